"""glimrtf's documents as real readers see them: the bundled example through
glimpage and glimrtf, and a few tricky inputs, converted to HTML by LibreOffice
(one headless run for all documents) and by unrtf. Each paragraph must hold
exactly its input line's text, with exactly the overstruck characters bold
italic and the rest of a line after a form feed bold. LibreOffice reads bytes
above 127 in the ANSI code page (cp1252); unrtf drops them, so it only judges
the documents without them.
"""

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

TRICKY = (b"_\bH_\bi there {braces} and \\backslash\\ and \\par is no control word\n"
          b"\tplain\t_\bm_\ba_\br_\bk\t_\be_\bd\tafter a tab\n"
          b"_\b{_\b}_\b\\ escapes, __\bx one plain underscore then a marked x, a_b\n"
          b"\fbold line _\bwith _\bmarks back to bold\n"
          b"plain again after the bold line\n"
          b"two\fform\f_\bfeeds, bold to the end\n"
          b"last line without a line feed")
TAB_START = b"\t\t_\bx_\by plain after a marked start\n"
# cp1252: accented letters, the euro sign, typographic quotes, a dash.
ANSI = (b"caf\xe9 na\xefve \x80 \x93quoted\x94 \x96 \xfc\xdf\n"
        b"_\b\xe9_\b\xe8 marked accents, \xa9 and _\b\x80 marked euro\n")


def expected_paragraphs(data):
    """What a reader must show for overstruck text: per line a list of
    (character, (bold, italic))."""
    paragraphs = []
    for line in data.split(b"\n"):
        chars, style, i = [], PLAIN, 0
        while i < len(line):
            if line[i:i + 2] == b"_\b" and i + 2 < len(line):
                chars.append((line[i + 2:i + 3].decode("cp1252"), BOLD_ITALIC))
                i += 3
                continue
            if line[i] == 0x0C:
                style = BOLD
            else:
                chars.append((line[i:i + 1].decode("cp1252"), style))
            i += 1
        paragraphs.append(chars)
    return paragraphs


class StyledText(html.parser.HTMLParser):
    """Collects paragraphs of (character, (bold, italic)) from HTML, with the
    whitespace rendering of HTML: runs of blanks and line ends are one blank,
    none at the ends of a paragraph; a no-break space is a blank that stays.
    `paragraph_tag` starts a paragraph, `break_tag` (if any) ends one."""

    def __init__(self, paragraph_tag, break_tag=None):
        super().__init__(convert_charrefs=True)
        self.paragraph_tag, self.break_tag = paragraph_tag, break_tag
        self.bold = self.italic = 0
        self.paragraphs, self.current = [], None

    def handle_starttag(self, tag, attrs):
        if tag in ("b", "strong"):
            self.bold += 1
        elif tag in ("i", "em"):
            self.italic += 1
        elif tag == self.paragraph_tag:
            self.current = []
        elif tag == self.break_tag and self.current is not None:
            self.paragraphs.append(self.current)
            self.current = []

    def handle_endtag(self, tag):
        if tag in ("b", "strong"):
            self.bold -= 1
        elif tag in ("i", "em"):
            self.italic -= 1
        elif tag == self.paragraph_tag and self.current is not None:
            self.paragraphs.append(self.current)
            self.current = None

    def handle_data(self, data):
        if self.current is None:
            return
        for c in data:
            self.current.append((c, (self.bold > 0, self.italic > 0)))

    def result(self):
        return [rendered(p) for p in self.paragraphs]


def rendered(chars):
    out = []
    for c, style in chars:
        if c in " \n":
            if out and out[-1][0] == " " and out[-1][2]:
                continue
            out.append((" ", style, True))
        else:
            out.append((" " if c == "\xa0" else c, style, False))
    while out and out[0][2]:
        out.pop(0)
    while out and out[-1][2]:
        out.pop()
    return [(c, style) for c, style, _ in out]


def unix_text(data):
    return data.replace(b"\r\n", b"\n") if orvitest.WINDOWS else data


class RealReaders(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="glimrtf-reader-")
        examples = os.path.join(orvitest.SOURCE, "examples")
        with open(os.path.join(examples, "hello.hls"), "rb") as script:
            paged = orvitest.run([GLIMPAGE], stdin=script, cwd=examples)
        assert paged.status == 0, paged
        cls.inputs = {"hello": paged.out, "tricky": TRICKY, "tabstart": TAB_START, "ansi": ANSI}
        cls.rtf = {}
        for name, data in cls.inputs.items():
            converted = orvitest.run([GLIMRTF], stdin=data)
            assert converted.status == 0, converted
            cls.rtf[name] = os.path.join(cls.work, name + ".rtf")
            with open(cls.rtf[name], "wb") as f:
                f.write(converted.out)
        # LibreOffice starts slowly: one run converts every document.
        soffice = shutil.which("soffice")
        assert soffice, "soffice not found: install libreoffice-writer-nogui"
        with open(os.path.join(cls.work, "soffice.log"), "wb") as log:
            subprocess.run([soffice, "--headless",
                            "-env:UserInstallation=file://" + os.path.join(cls.work, "profile"),
                            "--convert-to", "html", "--outdir", os.path.join(cls.work, "html")]
                           + list(cls.rtf.values()),
                           stdin=subprocess.DEVNULL, stdout=log, stderr=log, timeout=240,
                           check=True)

    @classmethod
    def tearDownClass(cls):
        shutil.rmtree(cls.work, ignore_errors=True)

    def libreoffice(self, name):
        with open(os.path.join(self.work, "html", name + ".html"), encoding="utf-8") as f:
            parser = StyledText("p")
            parser.feed(f.read())
        return parser.result()

    def unrtf(self, name):
        out = subprocess.run(["unrtf", "--html", self.rtf[name]], stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60, check=True).stdout
        parser = StyledText("body", "br")
        parser.feed(out.decode("utf-8", "replace"))
        # Every paragraph ends in a line break; what follows the last is empty.
        paragraphs = parser.result()
        self.assertEqual(paragraphs[-1], [])
        return paragraphs[:-1]

    def assertReads(self, paragraphs, data, visible_only=False):
        expected = [rendered(p) for p in expected_paragraphs(unix_text(data))]
        if visible_only:
            # unrtf writes tabs as runs of no-break spaces: compare what is
            # not blank.
            expected = [[(c, s) for c, s in p if not c.isspace()] for p in expected]
            paragraphs = [[(c, s) for c, s in p if not c.isspace()] for p in paragraphs]
        self.assertEqual(["".join(c for c, _ in p) for p in paragraphs],
                         ["".join(c for c, _ in p) for p in expected], "text")
        # Blanks take whatever style the reader gives them; every other
        # character must have its own.
        styles = [[(c, s) for c, s in p if not c.isspace()] for p in paragraphs]
        self.assertEqual(styles, [[(c, s) for c, s in p if not c.isspace()] for p in expected],
                         "styles")

    def test_bundled_example_through_both_programs(self):
        paragraphs = self.libreoffice("hello")
        self.assertReads(paragraphs, self.inputs["hello"])
        marked = "".join(c for p in paragraphs for c, s in p if s == BOLD_ITALIC and c != " ")
        overstruck = re.findall(rb"_\x08(.)", self.inputs["hello"], re.S)
        self.assertEqual(marked, b"".join(c for c in overstruck if c != b" ").decode())
        self.assertTrue(marked)
        self.assertReads(self.unrtf("hello"), self.inputs["hello"], visible_only=True)

    def test_escapes_tabs_and_form_feeds(self):
        for name in ("tricky", "tabstart"):
            with self.subTest(name=name):
                self.assertReads(self.libreoffice(name), self.inputs[name])
                self.assertReads(self.unrtf(name), self.inputs[name], visible_only=True)

    def test_bytes_above_127_read_in_the_ansi_code_page(self):
        paragraphs = self.libreoffice("ansi")
        self.assertReads(paragraphs, ANSI)
        self.assertIn("café naïve € “quoted” – üß", "".join(c for c, _ in paragraphs[0]))


if __name__ == "__main__":
    unittest.main()
