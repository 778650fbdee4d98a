"""What needs a real console, of glimpage on a Wine console in a tmux pane of 40 x 6 (a
page: 5 text rows and the prompt) and natively on the terminal of an 80 x 25 pane,
highlighted in brackets. Paging rules: unit tests."""

import pathlib
import unittest

import orvitest
from console import Console


@unittest.skipUnless(orvitest.WINDOWS, "the console is Wine's")
class ConsolePaging(unittest.TestCase):

    def test_shows_merged_text_while_the_script_waits_then_pages(self):
        console = Console(6, 40)
        self.addCleanup(console.close)
        with open(console.dir + "/text.txt", "wb") as f:
            f.write(b"\xe9hort\n" + b"x" * 37 + b"\nline3\nline4\nline5\n")
        # The script pauses after the first byte of the text: what was merged
        # is on the screen, before the message that came after it.
        console.start(orvitest.program("glimpage"),
                      b"t|plain\nf|nothere.txt\nm 0 0\nf|text.txt\n+ 1 1\n- 1 1\n", more=True,
                      locale="C.UTF-8")
        # The region starts at a letter of the code page (1252's e acute, which
        # the console shows in its own code page, 437: a theta).
        before = ["plain", "can't open nothere.txt", "[        \u0398]"]
        console.wait_for(before, "the text before the pause", 30)
        self.assertIsNone(console.status(0))
        # The message is no row of the page, which scrolls; a long line is two.
        # The last region goes on across the prompt.
        console.feed(b"+ 3 3\n- 4 3\n")
        console.wait_for([before[1], "[        \u0398]hort", "        " + "x" * 32, "xxxxx",
                          "        li[ne3]", "[-More-]"], "the first page")
        console.keys("Space")
        # The page is blanked in the normal attribute, the text goes on reversed.
        console.wait_for(["[        lin]e4", "        line5"], "the second page", 30)
        self.assertEqual(console.status(), 0)


LINES = [b"line %d" % n for n in range(100)]
ROWS = ["line %d" % n for n in range(100)]


@unittest.skipIf(orvitest.WINDOWS, "the terminal back end is native")
class TerminalPaging(unittest.TestCase):

    def start(self, script, text, rows=25, locale="C", more=False):
        console = Console(rows, 80)
        self.addCleanup(console.close)
        pathlib.Path(console.dir, "text.txt").write_bytes(b"\n".join(text) + b"\n")
        console.start(orvitest.program("glimpage"), b"f|text.txt\n" + script, more, locale)
        return console

    def test_pages_highlights_keys_and_what_the_text_cannot_do(self):
        # The run's first form feed is absorbed; a row of exactly 80 is one
        # row; the wrap of a highlighted row waits for the prompt.
        escapes = b"\x1b[31m\x1b[?25l\x1b]2;title\x07\x7f"
        console = self.start(b"h|head er\n+ 1 3\n- 1 6\n+ 23 1\n- 23 85\n+ 24 2\n- 24 4\n",
                             [b"\fab cd ef", b"x" * 80] + LINES[3:23] + [b"y" * 85, b"\fz" + escapes])
        rows = ["a[b cd] ef", "x" * 80] + ROWS[3:23]
        console.wait_for(["[head er]"] + rows + ["[" + "y" * 80 + "]", "[-More-]"], "a page")
        # A key that sends an escape sequence turns one page; so does Q's
        # neighbour, and Q quits. Control bytes are shown, the page stays.
        console.keys("Down")
        console.wait_for(["[yyyyy]", "[-More-]"], "the next page, ended by a form feed")
        console.keys("PageDown")
        shown = "[z^[[]31m^[[?25l^[]2;title^G^?"
        console.wait_for([shown, "[-More-]"], "the last page and its closing prompt")
        console.keys("Q")
        console.wait_for([shown, "status 0"], "the page left and the shell's row")
        self.assertEqual(console.status(), 0)
        self.assertEqual(console.file("stty.after"), console.file("stty.before"))
        self.assertEqual(console.pane("#{cursor_flag}"), "1")
        self.assertNotEqual(console.pane("#{pane_title}"), "title")
        self.assertNotIn("\x1b[31m", console._tmux("capture-pane", "-p", "-e"))

    def test_counts_the_cells_of_the_locales_characters(self):
        # Tab stops and rows in cells: a wide character that one cell is left
        # for starts the next row; Greek rows of 49 cells are one row each. A
        # region starts at a letter beyond ASCII; C1 controls and invalid bytes
        # are shown escaped.
        greek = "\u03b1\u03b2\u03b3\u03b4\u03b5\u03b6\u03b7\u03b8\u03b9" * 5
        text = ["\u00e9\tx \u4e2d\ty", "a" + "\u4e2d" * 40, "\u03b5\u03bb\u03bb\u03b7\u03bd x",
                "c1 \u009b bad \udc9b \udce4\udcb8"] + ["%03d %s" % (n, greek) for n in range(9)]
        console = self.start(b"+ 3 1\n- 3 10\n", [t.encode("utf-8", "surrogateescape") for t in text],
                             rows=8, locale="C.UTF-8")
        console.wait_for(["\u00e9       x \u4e2d    y", "a" + "\u4e2d" * 39, "\u4e2d",
                          "[\u03b5\u03bb\u03bb\u03b7\u03bd] x", "c1 <U+009B> bad <9B> <E4><B8>"] +
                         text[4:6] + ["[-More-]"], "a page of the locale's characters")

    def test_the_last_page_stays(self):
        # A page ended by a form feed, then one filled exactly, then the
        # closing prompt: no key blanks the last page.
        console = self.start(b"", [b"\fa", b"b\f" + LINES[1]] + LINES[2:6], rows=6)
        console.wait_for(["a", "b", "[-More-]"], "a page")
        console.keys("x")
        console.wait_for(ROWS[1:6] + ["[-More-]"], "a full page")
        console.keys("x")
        console.wait_for(ROWS[1:6] + ["[-More-]"], "the closing prompt")
        console.keys("Down")
        console.wait_for(ROWS[1:6] + ["status 0"], "the page left and nothing unread")

    def test_keeps_the_terminal_through_signals_and_takes_a_new_size(self):
        # A form feed ends the page highlighted; the script waits after it.
        text = [b"\f" + LINES[1]] + LINES[2:24] + [LINES[24] + b"\fz"] + LINES[25:]
        console = self.start(b"+ 24 1\nx 24 9\n", text, more=True)
        page = ROWS[1:24] + ["[line 24]", "[-More-]"]
        console.wait_for(page, "a page")
        console.keys("C-z")
        self.assertEqual(console.file("stty.stopped"), console.file("stty.before"))
        # Continued: the page and its prompt again, a key without Enter, and
        # a page of the new size.
        console.wait_for(page, "the page drawn again")
        console.resize(12, 80)
        console.keys("x")
        # Stopped again before the next page: the old page, drawn again, ends
        # reversed; the pane's output shows the new one blanked in normal video.
        pathlib.Path(console.dir, "stty.stopped").unlink()
        console.keys("C-z")
        self.assertEqual(console.file("stty.stopped"), console.file("stty.before"))
        raw = pathlib.Path(console.dir, "raw")
        console._tmux("pipe-pane", "cat > '%s'" % raw)
        console.feed(b"")
        rows = ["[z]"] + ["[%s]" % row for row in ROWS[25:35]]
        console.wait_for(rows + ["[-More-]"], "a page of 12 rows")
        self.assertTrue(console._until(lambda: b"line 34" in raw.read_bytes(), 10))
        self.assertNotRegex(raw.read_bytes(), rb"\x1b\[7m[^\x1b]*\x1b\[H\x1b\[J")
        console.keys("C-c")
        console.wait_for(rows + ["status 130"], "the page left and the shell's row")
        self.assertEqual(console.status(), 130)
        self.assertEqual(console.file("stty.after"), console.file("stty.before"))

