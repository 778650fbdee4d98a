"""glimhtml as a program: the golden page of the bundled example, the command
line, failures; its pages in headless Chromium, which reads back each
character's computed style, the text, the line targets, the page breaks and
the title, with no script and nothing fetched (rules: unit tests, fuzzer)."""

import json
import os
import pathlib
import re
import socket
import subprocess
import tempfile
import unittest
import urllib.request

import orvitest

GLIMHTML = orvitest.program("glimhtml")
GOLDEN = pathlib.Path(__file__).parent / "golden"
HELLO = (GOLDEN / "../../glimpage/golden/hello.txt").read_bytes()  # CR LF, as glimpage.exe writes it
# Text that must stay text, controls, form feeds, characters of code page 1252.
TRICKY = ("<script>alert(1)</script> &amp; <img src=http://192.0.2.1/i>\n\f_\bh_\bi \x1b[1m\n"
          "a\fb _\b\u00e9 caf\u00e9 \u20ac\x7f\n\tend")
ENCODING, ENV = ("cp1252", {}) if orvitest.WINDOWS else ("utf-8", {"LC_ALL": "C.UTF-8"})
# Each character but blanks, by line: text, bold, italic; and the page's facts.
READ = """const lines = [[]], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n; (n = walk.nextNode());)
  for (const c of n.parentElement == document.body ? "" : n.data) {
    const s = getComputedStyle(n.parentElement);
    if (c == "\\n") lines.push([]);
    else if (c.trim()) lines.at(-1).push([c, s.fontWeight >= 600, s.fontStyle == "italic"]);
  }
return {lines, ids: [...document.querySelectorAll("[id]")].map(e => e.id), title: document.title,
        target: document.querySelector(":target").id, scripts: document.scripts.length,
        fetched: performance.getEntriesByType("resource").length,
        breaks: [...document.querySelectorAll("pre")].map(e => getComputedStyle(e).breakBefore)};"""


def shown(c):
    return "^" + chr(ord(c) ^ 64) if ord(c) < 32 and c != "\t" or c == "\x7f" else c


def expected(text, title):
    """READ's view of a page: overstruck characters bold italic, those after a
    form feed bold, controls in caret notation, a page per form feed."""
    lines = [[[s, bool(m[1]) or "\f" in line[:m.start()], bool(m[1])]
              for m in re.finditer("_\b(.)|([^\f])", line, re.S)
              for s in shown(m[1] or m[2]) if not s.isspace()] for line in text.split("\n")]
    count = text.count("\n") + (not text.endswith("\n"))
    return {"lines": lines, "ids": [f"L{n}" for n in range(1, count + 1)], "title": title,
            "target": "L2", "scripts": 0, "fetched": 0,
            "breaks": ["auto"] + ["page"] * text[1:].count("\f")}


class Glimhtml(unittest.TestCase):
    def test_golden_page_command_line_and_failures(self):
        usage = rb"usage: glimhtml \[-t title\] .*\n"
        folder = os.open(orvitest.SOURCE, os.O_RDONLY)  # reading it fails
        self.addCleanup(os.close, folder)
        cases = [  # arguments, standard input, output to: status, output, standard error
            ([], HELLO, None, 0, re.escape((GOLDEN / "hello.html").read_bytes()), b""),
            ([], HELLO * 9999, "full", 1, b"", rb"glimhtml: .+\r?\n"),
            ([], HELLO * 9999, 100, 1, b"", b""),  # a reader that has gone
            ([], folder, None, 1, rb"(?s).*<body>\n</body>\n</html>\n",
             rb"glimhtml: standard input: (Is a directory|Invalid argument)\r?\n")]
        if not orvitest.WINDOWS:  # the same code parses both builds' command lines
            cases += [(["-t"], b"", None, 1, b"", usage), (["a.txt"], b"", None, 1, b"", usage)]
        for args, stdin, stdout, status, out, err in cases:
            with self.subTest(args=args, stdout=stdout, stdin=str(stdin)[:9]):
                r = orvitest.run([GLIMHTML] + args, stdin, stdout=stdout)
                self.assertEqual(r.status, status)
                self.assertTrue(re.fullmatch(out, r.out) and re.fullmatch(err, r.err), r.err)

    def test_pages_in_chromium(self):
        work = tempfile.TemporaryDirectory(prefix="glimhtml-browser-")
        self.addCleanup(work.cleanup)
        title = "a <b> & caf\u00e9"  # set twice, the last one wins
        pages = {"hello": (HELLO.decode().replace("\r\n", "\n"), [], "listing"),
                 "tricky": (TRICKY, ["-tx", "-t", title], title)}
        for name, (text, args, _) in pages.items():
            r = orvitest.run([GLIMHTML] + args, text.encode(ENCODING), env=ENV)
            pathlib.Path(work.name, name + ".html").write_bytes(r.out)
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        driver = subprocess.Popen(["chromedriver", f"--port={port}"], stdout=subprocess.PIPE,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(driver.communicate)
        self.addCleanup(driver.kill)
        for line in driver.stdout:  # until it listens
            if b"started successfully" in line:
                break

        def call(method, path, body=None):
            data = None if body is None else json.dumps(body).encode()
            request = urllib.request.Request(f"http://127.0.0.1:{port}{path}", data, method=method)
            with urllib.request.urlopen(request, timeout=60) as response:
                return json.load(response)["value"]
        args = ["--headless", "--no-sandbox", "--disable-gpu", "--disable-background-networking",
                "--disable-component-update", "--disable-sync", "--no-first-run",
                "--user-data-dir=" + work.name + "/profile"]
        session = "/session/" + call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "goog:chromeOptions": {"args": args}}}})["sessionId"]
        self.addCleanup(call, "DELETE", session)
        for name, (text, _, title) in pages.items():
            call("POST", session + "/url", {"url": f"file://{work.name}/{name}.html#L2"})
            seen = call("POST", session + "/execute/sync", {"script": READ, "args": []})
            self.assertEqual(seen, expected(text, title), name)

