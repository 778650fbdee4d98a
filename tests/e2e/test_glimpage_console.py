"""What needs a real console, of glimpage on a Wine console in a tmux pane of 40 x 6 (a
page: 5 text rows and the prompt), highlighted in brackets. Paging rules: unit tests."""

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


if __name__ == "__main__":
    unittest.main()
