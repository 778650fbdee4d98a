"""glimhtml as a program: the golden page of the bundled example, failures and
statuses; and its pages in headless Chromium, which reads back each character's
computed style, the text, the line targets and the title, with no script run
and nothing fetched (the filter's rules: unit tests and fuzzer)."""

import json
import os
import pathlib
import re
import socket
import subprocess
import tempfile
import time
import unittest
import urllib.request

import orvitest

GLIMHTML = orvitest.program("glimhtml")
GOLDEN = pathlib.Path(orvitest.SOURCE, "tests/e2e/golden")
HELLO = (GOLDEN / "glimpage/hello.txt").read_bytes()  # CR LF, as glimpage.exe writes it
# What must stay text, controls, form feeds at and inside a line, characters
# of the code page (Windows) or the locale (natively).
TRICKY = ("<script>alert(1)</script> &amp; <img src=http://192.0.2.1/i>\n\f_\bh_\bi \x1b[1m\n"
          "a\fb _\b\u00e9 caf\u00e9 \u20ac\x7f\n\tend")
ENCODING, ENV = ("cp1252", {}) if orvitest.WINDOWS else ("utf-8", {"LC_ALL": "C.UTF-8"})
TITLE = "a <b> & caf\u00e9"
# Per line, each character but blanks: its text, whether bold, whether italic.
READ = """const lines = [[]], walk = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
for (let n; (n = walk.nextNode());) {
  const s = getComputedStyle(n.parentElement);
  for (const c of n.parentElement == document.body ? "" : n.data)
    if (c == "\\n") lines.push([]);
    else if (c.trim()) lines.at(-1).push([c, s.fontWeight >= 600, s.fontStyle == "italic"]);
}
return {lines, ids: [...document.querySelectorAll("[id]")].map(e => e.id), title: document.title,
        target: document.querySelector(":target").id, scripts: document.scripts.length,
        fetched: performance.getEntriesByType("resource").length,
        breaks: [...document.querySelectorAll("pre")].map(e => getComputedStyle(e).breakBefore)};"""


def expected(text):
    """What READ gives: overstruck characters bold italic, those after a form
    feed bold, controls in caret notation; pages for each form feed but one
    that starts the listing."""
    lines = []
    for line in text.split("\n"):
        lines.append([])
        for m in re.finditer("_\b(.)|([^\f])", line, re.S):
            c = m[1] or m[2]
            shown = "^" + chr(ord(c) ^ 64) if ord(c) < 32 and c != "\t" or c == "\x7f" else c
            lines[-1] += [[s, bool(m[1]) or "\f" in line[:m.start()], bool(m[1])]
                          for s in shown if not s.isspace()]
    count = text.count("\n") + (not text.endswith("\n"))
    return {"lines": lines, "ids": [f"L{n}" for n in range(1, count + 1)],
            "breaks": ["auto"] + ["page"] * text[1:].count("\f"), "scripts": 0, "fetched": 0}


class Glimhtml(unittest.TestCase):
    def test_golden_page_failures_and_statuses(self):
        page = (GOLDEN / "glimhtml/hello.html").read_bytes()
        cases = [  # arguments, standard input, output to: status, output, standard error
            ([], HELLO, None, 0, re.escape(page), b""),
            ([], HELLO * 9999, "full", 1, b"", rb"glimhtml: .+\r?\n"),
            ([], HELLO * 9999, 100, 1, b"", b""),  # a reader that has gone
            ([], "dir", None, 1, rb"(?s).*<body>\n</body>\n</html>\n",
             rb"glimhtml: standard input: (Is a directory|Invalid argument)\r?\n")]
        if not orvitest.WINDOWS:
            cases += [(["-t"], b"", None, 1, b"", rb"usage: glimhtml \[-t title\] .*\n")]
        for args, stdin, stdout, status, out, err in cases:
            with self.subTest(args=args, stdout=stdout, stdin=stdin[:9]):
                if stdin == "dir":
                    stdin = os.open(orvitest.SOURCE, os.O_RDONLY)
                    self.addCleanup(os.close, stdin)
                r = orvitest.run([GLIMHTML] + args, stdin, stdout=stdout)
                self.assertEqual(r.status, status)
                self.assertTrue(re.fullmatch(out, r.out) and re.fullmatch(err, r.err), r.err)

    def test_pages_in_chromium(self):
        work = tempfile.TemporaryDirectory(prefix="glimhtml-browser-")
        self.addCleanup(work.cleanup)
        pages = {"hello": (HELLO.decode().replace("\r\n", "\n"), []),
                 "tricky": (TRICKY, ["-t", TITLE])}
        for name, (text, args) in pages.items():
            r = orvitest.run([GLIMHTML] + args, text.encode(ENCODING), env=ENV)
            pathlib.Path(work.name, name + ".html").write_bytes(r.out)
        with socket.socket() as s:
            s.bind(("127.0.0.1", 0))
            port = s.getsockname()[1]
        driver = subprocess.Popen(["chromedriver", f"--port={port}"], stdout=subprocess.DEVNULL,
                                  stderr=subprocess.DEVNULL)
        self.addCleanup(driver.wait)
        self.addCleanup(driver.kill)

        def call(method, path, body=None):
            data = json.dumps(body).encode() if body is not None else None
            request = urllib.request.Request(f"http://127.0.0.1:{port}{path}", data, method=method)
            with urllib.request.urlopen(request, timeout=60) as response:
                return json.load(response)["value"]
        for _ in range(100):  # until chromedriver listens
            try:
                call("GET", "/status")
                break
            except OSError:
                time.sleep(0.1)
        options = {"args": ["--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                            "--disable-background-networking", "--disable-component-update",
                            "--disable-sync", "--user-data-dir=" + work.name + "/profile"]}
        session = "/session/" + call("POST", "/session", {"capabilities": {"alwaysMatch": {
            "goog:chromeOptions": options}}})["sessionId"]
        self.addCleanup(call, "DELETE", session)
        for name, (text, args) in pages.items():
            call("POST", session + "/url", {"url": f"file://{work.name}/{name}.html#L2"})
            seen = call("POST", session + "/execute/sync", {"script": READ, "args": []})
            self.assertEqual(seen.pop("target"), "L2")
            self.assertEqual(seen.pop("title"), args[-1] if args else "listing")
            self.assertEqual(seen, expected(text), name)


if __name__ == "__main__":
    unittest.main()
