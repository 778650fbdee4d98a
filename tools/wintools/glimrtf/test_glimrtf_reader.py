"""glimrtf's documents as LibreOffice reads them: one paragraph per line, each
visible character in its style (code page 1252 above 127; UTF-8 natively)."""

import html
import os
import re
import subprocess
import tempfile
import unittest

import orvitest

# Marks after tabs (the example starts with one), a bold line, an unfinished mark.
TRICKY = b"\t\t_\bH_\bi \\par\n\fbold _\bx y\ncaf\xe9 \x80 \x93q\x94 _\b\xe9 a_"
# Accents, CJK, Greek, an emoji beyond U+FFFF, a bold-italic run of several bytes each.
UNICODE = "café naïve 日本\nΕλληνικά 😀 _\bé_\bλ_\b日_\b😀 z\n".encode()


def expected(data):
    """Per line the (character, bold, italic) of each character but blanks and
    form feeds: overstruck ones bold italic, others bold after a form feed."""
    return [[(m[1], True, True) if m[1] else (m[2], "\f" in line[:m.start()], False)
             for m in re.finditer("_\b(.)|(.)", line, re.S) if not m[0][-1].isspace()]
            for line in data.decode("utf-8" if data is UNICODE else "cp1252").split("\n")]


def styled(page):
    """The same per paragraph (<p>) of an HTML page."""
    paragraphs, depth = [], {"b": 0, "i": 0}
    for close, tag, text in re.findall(r"<(/?)(\w*)[^>]*>|([^<]+)", page):
        if tag in depth:
            depth[tag] += -1 if close else 1
        elif tag == "p" and not close:
            paragraphs.append([])
        elif text and paragraphs:
            paragraphs[-1] += [(c, depth["b"] > 0, depth["i"] > 0) for c in html.unescape(text)
                               if not c.isspace()]
    return paragraphs


class LibreOffice(unittest.TestCase):
    def test_bundled_example_and_tricky_input(self):
        examples = os.path.join(orvitest.SOURCE, "examples")
        with open(os.path.join(examples, "hello.hls"), "rb") as script:
            hello = orvitest.run([orvitest.program("glimpage")], stdin=script, cwd=examples).out
        self.assertIn(b"_\b", hello)
        inputs = {"hello": hello.replace(b"\r\n", b"\n"), "tricky": TRICKY}
        if not orvitest.WINDOWS:
            inputs["unicode"] = UNICODE
        work = tempfile.TemporaryDirectory(prefix="glimrtf-reader-")
        self.addCleanup(work.cleanup)
        for name, data in inputs.items():
            locale = {} if orvitest.WINDOWS else {"LC_ALL": "C.UTF-8"}
            with open(os.path.join(work.name, name + ".rtf"), "wb") as f:
                f.write(orvitest.run([orvitest.program("glimrtf")], stdin=data, env=locale).out)
        # LibreOffice starts slowly: one run converts every document.
        subprocess.run(["soffice", "--headless", "-env:UserInstallation=file://" + work.name,
                        "--convert-to", "html"] + [n + ".rtf" for n in inputs], cwd=work.name,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=240, check=True)
        for name, data in inputs.items():
            with open(os.path.join(work.name, name + ".html"), encoding="utf-8") as f:
                self.assertEqual(styled(f.read()), expected(data), name)

