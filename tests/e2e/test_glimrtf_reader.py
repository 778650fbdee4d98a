"""glimrtf's documents as LibreOffice reads them: each paragraph holds its
input line's text (bytes above 127 in the ANSI code page), exactly the
overstruck characters bold italic and the rest of a line after a form feed bold."""

import html.parser
import os
import re
import shutil
import subprocess
import tempfile
import unittest

import orvitest

GLIMRTF = orvitest.program("glimrtf")
GLIMPAGE = orvitest.program("glimpage")

PLAIN, BOLD, BOLD_ITALIC = (False, False), (True, False), (True, True)

# It starts with tabs and marks before any style string.
TRICKY = (b"\t\t_\bH_\bi there {braces} and \\backslash\\ and \\par is no control word\n"
          b"\tplain\t_\bm_\ba_\br_\bk\t_\be_\bd\tafter a tab\n"
          b"_\b{_\b}_\b\\ escapes, __\bx one plain underscore then a marked x, a_b\n"
          b"\fbold line _\bwith _\bmarks back to bold\n"
          b"plain again after the bold line\n"
          b"two\fform\f_\bfeeds, bold to the end\n"
          # cp1252: accented letters, the euro sign, typographic quotes, a dash.
          b"caf\xe9 na\xefve \x80 \x93quoted\x94 \x96 \xfc\xdf\n"
          b"_\b\xe9_\b\xe8 marked accents, \xa9 and _\b\x80 marked euro\n"
          b"last line without a line feed")


def expected_paragraphs(data):
    """Per line a list of (character, (bold, italic))."""
    paragraphs = []
    for line in data.decode("cp1252").split("\n"):
        chars, style = [], PLAIN
        for marked, other in re.findall("_\b(.)|(.)", line, re.S):
            if marked:
                chars.append((marked, BOLD_ITALIC))
            elif other == "\f":
                style = BOLD
            else:
                chars.append((other, style))
        paragraphs.append(chars)
    return paragraphs


class StyledText(html.parser.HTMLParser):
    """Paragraphs (<p>) of (character, (bold, italic)) from HTML."""

    SLOT = {"b": 0, "strong": 0, "i": 1, "em": 1}

    def __init__(self):
        super().__init__()
        self.depth, self.paragraphs, self.current = [0, 0], [], None

    def handle_starttag(self, tag, attrs, step=1):
        if tag in self.SLOT:
            self.depth[self.SLOT[tag]] += step
        elif tag == "p":
            self.current = [] if step > 0 else None
            self.paragraphs += [self.current] if step > 0 else []

    def handle_endtag(self, tag):
        self.handle_starttag(tag, None, -1)

    def handle_data(self, data):
        if self.current is not None:
            self.current.extend((c, (self.depth[0] > 0, self.depth[1] > 0)) for c in data)


def seen(paragraph):
    """The text as HTML renders its blanks, and the style of every other
    character (blanks take whatever style the reader gives them)."""
    text = "".join(c for c, _ in paragraph)
    text = re.sub("[ \n]+", " ", text).strip(" ").replace("\xa0", " ")
    return text, [(c, s) for c, s in paragraph if not c.isspace()]


class LibreOffice(unittest.TestCase):
    def test_bundled_example_and_escapes_tabs_form_feeds_bytes_above_127(self):
        examples = os.path.join(orvitest.SOURCE, "examples")
        with open(os.path.join(examples, "hello.hls"), "rb") as script:
            paged = orvitest.run([GLIMPAGE], stdin=script, cwd=examples)
        self.assertEqual(paged.status, 0, paged)
        hello = paged.out.replace(b"\r\n", b"\n") if orvitest.WINDOWS else paged.out
        inputs = {"hello": hello, "tricky": TRICKY}
        work = tempfile.mkdtemp(prefix="glimrtf-reader-")
        self.addCleanup(shutil.rmtree, work, ignore_errors=True)
        for name, data in inputs.items():
            converted = orvitest.run([GLIMRTF], stdin=data)
            self.assertEqual(converted.status, 0, converted)
            with open(os.path.join(work, name + ".rtf"), "wb") as f:
                f.write(converted.out)
        # LibreOffice starts slowly: one run converts every document.
        with open(os.path.join(work, "soffice.log"), "wb") as log:
            subprocess.run(["soffice", "--headless",
                            "-env:UserInstallation=file://" + os.path.join(work, "profile"),
                            "--convert-to", "html", "--outdir", os.path.join(work, "html")]
                           + [os.path.join(work, n + ".rtf") for n in inputs],
                           stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=240,
                           check=True)
        for name, data in inputs.items():
            parser = StyledText()
            with open(os.path.join(work, "html", name + ".html"), encoding="utf-8") as f:
                parser.feed(f.read())
            self.assertEqual([seen(p) for p in parser.paragraphs],
                             [seen(p) for p in expected_paragraphs(data)], name)
            # Each character's style is checked; the example must have marks.
            self.assertIn(BOLD_ITALIC, [s for p in parser.paragraphs for _, s in p], name)


if __name__ == "__main__":
    unittest.main()
