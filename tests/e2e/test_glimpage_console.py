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
            f.write(b"short\n" + b"x" * 37 + b"\nline3\nline4\nline5\n")
        # The script pauses after the first byte of the text: what was merged
        # is on the screen, before the message that came after it.
        console.start(orvitest.program("glimpage"),
                      b"t|plain\nf|nothere.txt\nm 0 0\nf|text.txt\n+ 1 1\n- 1 1\n", more=True)
        before = ["plain", "can't open nothere.txt", "[        s]"]
        console.wait_for(before, "the text before the pause", 30)
        self.assertIsNone(console.status(0))
        # The message is no row of the page, which scrolls; a long line is two.
        # The last region goes on across the prompt.
        console.feed(b"+ 3 3\n- 4 3\n")
        console.wait_for([before[1], "[        s]hort", "        " + "x" * 32, "xxxxx",
                          "        li[ne3]", "[-More-]"], "the first page")
        console.keys("Space")
        # The page is blanked in the normal attribute, the text goes on reversed.
        console.wait_for(["[        lin]e4", "        line5"], "the second page", 30)
        self.assertEqual(console.status(), 0)


LINES = [b"line %d" % n for n in range(100)]


@unittest.skipIf(orvitest.WINDOWS, "the terminal back end is native")
class TerminalPaging(unittest.TestCase):

    def start(self, script, text):
        console = Console(25, 80)
        self.addCleanup(console.close)
        pathlib.Path(console.dir, "text.txt").write_bytes(b"\n".join(text) + b"\n")
        console.start(orvitest.program("glimpage"), b"f|text.txt\n" + script)
        return console

    def test_pages_highlights_and_quits(self):
        # The run's first form feed is absorbed; a row of exactly 80 is one
        # row; the wrap of a highlighted row waits for the prompt.
        console = self.start(b"h|head er\n+ 1 3\n- 1 6\n+ 23 1\n- 23 85\n",
                             [b"\fab cd ef", b"x" * 80] + LINES[3:23] + [b"y" * 85, b"\fz"])
        rows = ["a[b cd] ef", "x" * 80] + ["line %d" % n for n in range(3, 23)]
        console.wait_for(["[head er]"] + rows + ["[" + "y" * 80 + "]", "[-More-]"], "a page")
        console.keys("Space")
        # Blanked in the normal attribute, the stretch goes on; a form feed prompts.
        console.wait_for(["[yyyyy]", "[-More-]"], "the next page")
        console.keys("q")
        console.wait_for(["[yyyyy]", "status 0"], "the page left and the shell's row")
        self.assertEqual(console.status(), 0)
        self.assertEqual(console.file("stty.after"), console.file("stty.before"))

    def test_keeps_the_terminal_through_signals_and_takes_a_new_size(self):
        console = self.start(b"", LINES[1:])
        console.wait_for(["line %d" % n for n in range(1, 25)] + ["[-More-]"], "a page")
        console.keys("C-z")
        self.assertEqual(console.file("stty.stopped"), console.file("stty.before"))
        # Continued: a key without Enter again, and a page of the new size.
        console.resize(12, 80)
        console.keys("x")
        rows = ["line %d" % n for n in range(25, 36)]
        console.wait_for(rows + ["[-More-]"], "a page of 12 rows")
        console.keys("C-c")
        console.wait_for(rows + ["status 130"], "the page left and the shell's row")
        self.assertEqual(console.status(), 130)
        self.assertEqual(console.file("stty.after"), console.file("stty.before"))


if __name__ == "__main__":
    unittest.main()
