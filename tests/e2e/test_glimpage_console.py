"""glimpage on a Wine console in a tmux pane: reverse video, the -More-
prompt, its keys and form feeds, seen through capture-pane.

All tests share one 40 x 6 pane (a page is 5 text rows and the prompt); each
runs glimpage as a job of the launcher and waits for its exit status.
"""

import time
import unittest

import orvitest
from console import Console

ROWS, COLUMNS = 6, 40
GLIMPAGE = orvitest.program("glimpage")
MORE = ("-More-", "######")


def lines(*rows):
    """Expected (text, masks) from (text, mask) pairs, padded to the page."""
    rows = list(rows) + [("", "")] * (ROWS - len(rows))
    return [t for t, _ in rows], [m for _, m in rows]


def shows(expected):
    return lambda screen: (screen.text, screen.masks) == expected


def paging_text():
    body = ["line%02d" % n for n in range(1, 25)]
    body[9] = "L10" + "x" * 42  # 45 bytes: wraps across the second prompt
    return ("\n".join(body) + "\n").encode()


PAGING_SCRIPT = (b"f|page.txt\n"
                 b"+ 2 3\n- 2 5\n"      # inside one line
                 b"+ 3 5\n- 4 3\n"      # across a line end
                 b"+ 10 1\n- 10 45\n")  # the long line, prompt in the middle

FIRST_PAGE = lines(("line01", ""), ("line02", "..###"), ("line03", "....##"),
                   ("line04", "###"), ("line05", ""), MORE)


@unittest.skipUnless(orvitest.WINDOWS, "the console is Wine's")
class ConsolePaging(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.console = Console(ROWS, COLUMNS)
        cls.console.start()

    @classmethod
    def tearDownClass(cls):
        cls.console.close()

    def start(self, script, name, data):
        with open(self.console.path(name), "wb") as f:
            f.write(data)
        job = self.console.run(GLIMPAGE, script)
        # A test that fails leaves no pager behind for the next one.
        self.addCleanup(self.stop, job)
        return job

    def stop(self, job):
        for _ in range(20):
            if self.console.finished(job):
                return
            self.console.keys("C-c")
            time.sleep(1)

    def page(self, expected, what, timeout=10):
        self.console.wait_for(shows(expected), timeout, what)

    def assertShows(self, expected):
        screen = self.console.screen()
        self.assertEqual((screen.text, screen.masks), expected)

    def paging_job(self):
        job = self.start(PAGING_SCRIPT, "page.txt", paging_text())
        # The first key of a fresh Wine console can take seconds to arrive.
        self.page(FIRST_PAGE, "the first page", timeout=30)
        return job

    def test_pages_in_reverse_video_until_q(self):
        job = self.paging_job()
        self.console.keys("Space")
        self.page(lines(("line06", ""), ("line07", ""), ("line08", ""), ("line09", ""),
                        ("L10" + "x" * 37, "#" * 40), MORE), "the second page", timeout=30)
        # The prompt came while the reverse attribute was in force: the rest
        # of the line goes on reversed on the blanked page.
        self.console.keys("Space")
        self.page(lines(("xxxxx", "#####"), ("line11", ""), ("line12", ""), ("line13", ""),
                        ("line14", ""), MORE), "the third page")
        self.console.keys("Q")  # only lower-case q quits
        last = lines(("line15", ""), ("line16", ""), ("line17", ""), ("line18", ""),
                     ("line19", ""), MORE)
        self.page(last, "the fourth page")
        self.console.keys("q")
        self.assertEqual(self.console.status(job), 0)
        self.assertShows(last)  # q leaves the page as it was

    def test_run_without_form_feed_ends_without_prompt(self):
        # The margin of a line whose first byte is highlighted is reversed too;
        # the rest of the page, whatever the console showed before, is blank.
        # A missing file's message comes after the text written before it.
        job = self.start(b"t|plain\nf|nothere.txt\nm\nf|short.txt\n+ 1 1\n- 1 1\n",
                         "short.txt", b"short\nend\n")
        self.assertEqual(self.console.status(job), 0)
        self.assertShows(lines(("plain", ""), ("can't open nothere.txt", ""),
                               ("        short", "#########"), ("        end", "")))


if __name__ == "__main__":
    unittest.main()
