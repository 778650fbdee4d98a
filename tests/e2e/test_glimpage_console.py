"""glimpage on a Wine console in a tmux pane of 40 x 6 (a page is 5 text rows
and the prompt), seen through capture-pane: reverse video, the -More- prompt
and its keys, and text on the screen while the script keeps the pager
waiting. Each test runs glimpage as a job of the launcher."""

import time
import unittest

import orvitest
from console import Console

GLIMPAGE = orvitest.program("glimpage")
MORE = ("-More-", "######")


def lines(*rows):
    """Expected (texts, masks) from (text, mask) pairs, padded to the page."""
    rows = list(rows) + [("", "")] * (6 - len(rows))
    return [t for t, _ in rows], [m for _, m in rows]


@unittest.skipUnless(orvitest.WINDOWS, "the console is Wine's")
class ConsolePaging(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.console = Console(6, 40)
        cls.console.start()
        cls.addClassCleanup(cls.console.close)

    def start(self, script, name, data, more=False):
        with open(self.console.path(name), "wb") as f:
            f.write(data)
        job = self.console.run(GLIMPAGE, script, more)
        self.addCleanup(self.stop, job)  # no pager is left behind for the next test
        return job

    def stop(self, job):
        self.console.feed(job, b"")
        for attempt in range(20):
            if self.console.finished(job):
                return
            if attempt > 2:
                self.console.keys("C-c")
            time.sleep(1)

    def page(self, expected, what, timeout=10):
        self.console.wait_for(lambda s: (s.text, s.masks) == expected, timeout, what)

    def test_pages_in_reverse_video_until_q(self):
        text = ["line%02d" % n for n in range(1, 20)]
        text[9] = "L10" + "x" * 42  # 45 bytes: wraps across the second prompt
        job = self.start(b"f|page.txt\n+ 2 3\n- 2 5\n"  # inside one line
                         b"+ 3 5\n- 4 3\n"              # across a line end
                         b"+ 10 1\n- 10 45\n",          # the long line
                         "page.txt", ("\n".join(text) + "\n").encode())
        # The first key of a fresh Wine console can take seconds to arrive.
        self.page(lines(("line01", ""), ("line02", "..###"), ("line03", "....##"),
                        ("line04", "###"), ("line05", ""), MORE), "the first page", 30)
        self.console.keys("Space")
        self.page(lines(("line06", ""), ("line07", ""), ("line08", ""), ("line09", ""),
                        ("L10" + "x" * 37, "#" * 40), MORE), "the second page", 30)
        # The prompt came while the reverse attribute was in force: the rest
        # of the line goes on reversed on the blanked page.
        self.console.keys("Space")
        last = lines(("xxxxx", "#####"), ("line11", ""), ("line12", ""), ("line13", ""),
                     ("line14", ""), MORE)
        self.page(last, "the third page")
        self.console.keys("q")
        self.assertEqual(self.console.status(job), 0)
        self.page(last, "the page left as it was")

    def test_merged_text_shows_while_the_script_waits(self):
        # The script pauses after the first byte of short.txt. The margin of a
        # line whose first byte is highlighted is reversed too; a missing
        # file's message comes after the text written before it.
        job = self.start(b"t|plain\nf|nothere.txt\nm\nf|short.txt\n+ 1 1\n- 1 1\n",
                         "short.txt", b"short\nend\n", more=True)
        self.page(lines(("plain", ""), ("can't open nothere.txt", ""), ("        s", "#########")),
                  "the text before the pause", 30)
        self.assertFalse(self.console.finished(job))
        self.console.feed(job, b"+ 2 2\n- 2 2\n")
        # Without a form feed the run ends without a prompt.
        self.assertEqual(self.console.status(job), 0)
        self.page(lines(("plain", ""), ("can't open nothere.txt", ""),
                        ("        short", "#########"), ("        end", ".........#")), "the end")


if __name__ == "__main__":
    unittest.main()
