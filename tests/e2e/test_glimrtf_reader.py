"""glimrtf's documents read by LibreOffice (one headless run for all) and
unrtf, both to HTML: the bundled example through glimpage and glimrtf, and a
few tricky inputs. Each paragraph must hold its input line's text, exactly the
overstruck characters bold italic and the rest of a line after a form feed
bold. unrtf drops bytes above 127, so only LibreOffice judges those."""

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
    """What a reader must show: per line a list of (character, (bold, italic))."""
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
    """Paragraphs of (character, (bold, italic)) from HTML: a tag in `starts`
    closes the current paragraph and opens the next; its end tag closes it."""

    SLOT = {"b": 0, "strong": 0, "i": 1, "em": 1}

    def __init__(self, *starts):
        super().__init__()
        self.starts, self.depth, self.paragraphs, self.current = starts, [0, 0], [], None

    def handle_starttag(self, tag, attrs):
        if tag in self.SLOT:
            self.depth[self.SLOT[tag]] += 1
        elif tag in self.starts:
            self.handle_endtag(tag)
            self.current = []

    def handle_endtag(self, tag):
        if tag in self.SLOT:
            self.depth[self.SLOT[tag]] -= 1
        elif tag in self.starts and self.current is not None:
            self.paragraphs.append(self.current)
            self.current = None

    def handle_data(self, data):
        if self.current is not None:
            self.current.extend((c, (self.depth[0] > 0, self.depth[1] > 0)) for c in data)


def text(paragraph, visible_only):
    """The text as HTML renders it: runs of blanks and line ends are one
    blank, none at the ends; a no-break space stays a blank."""
    s = "".join(c for c, _ in paragraph)
    if visible_only:
        return "".join(s.split())
    return re.sub("[ \n]+", " ", s).strip(" ").replace("\xa0", " ")


class RealReaders(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = tempfile.mkdtemp(prefix="glimrtf-reader-")
        examples = os.path.join(orvitest.SOURCE, "examples")
        with open(os.path.join(examples, "hello.hls"), "rb") as script:
            paged = orvitest.run([GLIMPAGE], stdin=script, cwd=examples)
        assert paged.status == 0, paged
        hello = paged.out.replace(b"\r\n", b"\n") if orvitest.WINDOWS else paged.out
        cls.inputs = {"hello": hello, "tricky": TRICKY, "tabstart": TAB_START, "ansi": ANSI}
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
        parser = StyledText("p")
        with open(os.path.join(self.work, "html", name + ".html"), encoding="utf-8") as f:
            parser.feed(f.read())
        return parser.paragraphs

    def unrtf(self, name):
        out = subprocess.run(["unrtf", "--html", self.rtf[name]], stdin=subprocess.DEVNULL,
                             capture_output=True, timeout=60, check=True).stdout
        parser = StyledText("body", "br")
        parser.feed(out.decode("utf-8", "replace"))
        # Every paragraph ends in a line break; what follows the last is empty.
        self.assertEqual(text(parser.paragraphs[-1], False), "")
        return parser.paragraphs[:-1]

    def assertReads(self, paragraphs, name, visible_only=False):
        """unrtf writes tabs as runs of no-break spaces: with visible_only
        only what is not blank is compared. Blanks take whatever style the
        reader gives them; every other character must have its own."""
        def seen(p):
            return text(p, visible_only), [(c, s) for c, s in p if not c.isspace()]
        self.assertEqual([seen(p) for p in paragraphs],
                         [seen(p) for p in expected_paragraphs(self.inputs[name])])

    def test_bundled_example_through_both_programs(self):
        paragraphs = self.libreoffice("hello")
        self.assertReads(paragraphs, "hello")
        # assertReads checks each character's style; the example must have marks.
        self.assertIn(BOLD_ITALIC, [s for p in paragraphs for _, s in p])
        self.assertReads(self.unrtf("hello"), "hello", visible_only=True)

    def test_escapes_tabs_and_form_feeds(self):
        for name in ("tricky", "tabstart"):
            with self.subTest(name=name):
                self.assertReads(self.libreoffice(name), name)
                self.assertReads(self.unrtf(name), name, visible_only=True)

    def test_bytes_above_127_read_in_the_ansi_code_page(self):
        self.assertReads(self.libreoffice("ansi"), "ansi")


if __name__ == "__main__":
    unittest.main()
