"""glimpage with standard output in a file: the exact overstruck bytes (a
highlighted visible byte is '_', backspace, byte; lines end in CR LF)."""

import os
import shutil
import tempfile
import unittest

import orvitest

GLIMPAGE = orvitest.program("glimpage")
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden", "glimpage")


def M(text):
    """Overstruck form of bytes that are all highlighted."""
    return b"".join(b"_\b" + bytes([c]) for c in text)


class PagerCase(unittest.TestCase):
    """Runs glimpage in a scratch directory holding the text files."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="glimpage-e2e-")
        self.addCleanup(shutil.rmtree, self.dir, True)

    def write(self, name, data):
        with open(os.path.join(self.dir, name), "wb") as f:
            f.write(data)

    def page(self, script, args=(), **files):
        for name, data in files.items():
            self.write(name.replace("_", "."), data)
        return orvitest.run([GLIMPAGE] + list(args), stdin=script, cwd=self.dir, timeout=60)

    def assertPaged(self, result, out, err=b"", status=0):
        self.assertEqual(result.out, out)
        self.assertEqual(result.err, err)
        self.assertEqual(result.status, status)


@unittest.skipUnless(orvitest.WINDOWS, "overstruck bytes are checked on the Windows build")
class OverstrikeOutput(PagerCase):

    def test_region_marks_visible_bytes_and_reverse_sense_inverts_it(self):
        plain = b"x       y z\r\nab" + M(b"cde") + b"fg\r\n"
        # Under -r blanks, the spaces of the tab and line ends stay unmarked;
        # "-" or a plain argument ends the options, so a later -r is ignored.
        reverse = (M(b"x") + b"       " + M(b"y") + b" " + M(b"z") + b"\r\n" + M(b"ab") + b"cde" +
                   M(b"fg") + b"\r\n")
        for args, out in (([], plain), (["-ur"], reverse), (["-u", "-r", "-", "-x"], reverse),
                          (["a.c", "-r"], plain)):
            with self.subTest(args=args):
                result = self.page(b"f|a.c\n+ 2 3\n- 2 5\n", args, a_c=b"x\ty z\nabcdefg\n")
                self.assertPaged(result, out)

    def test_positions_regions_and_strict_reading(self):
        cases = [
            # Nesting: depth 2 from c, 1 after d (the end column is inclusive),
            # 0 after f; a close at depth 0 must not cancel the later open.
            (b"+ 1 1\n+ 1 3\n- 1 4\n- 1 6\n- 1 6\n+ 1 8\n", b"abcdefgh\nij\n",
             M(b"abcdef") + b"g" + M(b"h") + b"\r\n" + M(b"ij") + b"\r\n"),
            # Output off counts positions; a region opened meanwhile shows after.
            (b"O 2 1\n+ 2 2\no 3 3\n- 3 3\n", b"line1\nline2\nline3\nline4\n",
             b"line1\r\n" + M(b"n") + b"e3\r\nline4\r\n"),
            # The script ending while output is off ends the run at once.
            (b"+ 1 2\nO 2 1\n", b"line1\nline2\n", b"l" + M(b"ine1") + b"\r\n"),
            # Line 0 is reached at once, a negative column as the next line
            # begins, a negative line after the end of the file.
            (b"t 0 5|zero\n+ 1 2\n- 1 -1\nt 3 -1|after3\nt -1 0|at-end\n", b"l1\nl2\nl3\nl4\n",
             b"zero\r\nl" + M(b"1") + b"\r\nl2\r\nl3\r\nafter3\r\nl4\r\nat-end\r\n"),
            # CR LF in script and text reads like LF; a lone CR is a plain byte.
            (b"+ 2 1\r\n- 2 1\r\n+ 3 3\r\n- 3 3\r\nt -1 0|end\r\n", b"ab\r\ncd\r\nx\ry\r\n",
             b"ab\r\n" + M(b"c") + b"d\r\nx\r" + M(b"y") + b"\r\nend\r\n"),
            # No resynchronising: a blank after the column shifts the next line
            # and loses the close; a last command without a line feed is not run.
            (b"+ 1 2 \n- 1 3\n", b"abcdefg\n", b"a" + M(b"bcdefg") + b"\r\n"),
            (b"+ 1 2\n- 1 3", b"abcdefg\n", b"a" + M(b"bcdefg") + b"\r\n"),
        ]
        for script, text, out in cases:
            with self.subTest(script=script):
                self.assertPaged(self.page(b"f|a.c\n" + script, a_c=text), out)

    def test_file_commands_open_close_and_report_missing_files(self):
        script = (b"f|missing.c\n"
                  b"t 5 5|after-missing\n"   # no file open: runs at once
                  b"f|a.c\n"
                  b"+ 1 2\n"
                  b"f 2 3|b.c\n"             # rest of a.c is dropped, depth stays
                  b"- 2 1\n"                 # inclusive: the b of line 2 is marked
                  b"f 3 1|gone\\x.c\n"
                  b"t 9 9|after-gone\n")
        result = self.page(script, a_c=b"one\ntwo three\n", b_c=b"b1\nb2\nb3\n")
        self.assertPaged(result,
                         b"after-missing\r\no" + M(b"ne") + b"\r\n" + M(b"tw") + M(b"b1") +
                         b"\r\n" + M(b"b") + b"2\r\nafter-gone\r\n",
                         err=b"can't open missing.c\r\ncan't open gone\\x.c\r\n")

    def test_margin_tabs_and_form_feeds(self):
        margin = b" " * 8
        rows = [(b"\tA", b"        A"),                  # tab at column 1: 8 spaces
                (b"1234567\tB", b"1234567 B"),          # at column 8: 1 space
                (b"12345678\tC", b"12345678        C"),  # margin from line 4 on:
                (b"\tD", margin + b"        D"),          # tab stops unchanged
                (b"", margin),                            # empty lines get it too
                (b"xy", margin + M(b"x") + b"y"),         # mark after the margin
                (b"\fq", margin + b"\f" + margin + b"q"), # form feed: margin twice
                (b"a\tb", margin + M(b"a") + b"       " + M(b"b")),  # tab not marked
                (b"a\f\tb", margin + b"a\f       b")]     # form feed keeps the column
        script = b"f|t.c\nm 4 1\n+ 6 1\n- 6 1\n+ 8 1\n- 8 3\n"
        self.assertPaged(self.page(script, t_c=b"".join(t + b"\n" for t, _ in rows)),
                         b"".join(out + b"\r\n" for _, out in rows))

    def test_header_and_text_commands(self):
        script = (b"h|x y\n"       # header: every byte marked, blanks too
                  b"H|ab\n"
                  b"T|cd\n"
                  b"t|\n"
                  b"t|p\fq\n"       # plain form feed: the bare byte
                  b"h|a\fb\n"       # header form feed: marked like any byte
                  b"h 2 1|\n"       # empty header: just the line end
                  b"m\n"            # the margin is for source text only
                  b"T|abc\n"        # columns count for the next tab stop
                  b"f|tab.c\n")
        common = (M(b"x y") + b"\r\n" + M(b"ab") + b"cd\r\n" + b"p\x0cq\r\n" +
                  M(b"a\x0cb") + b"\r\n" + b"\r\n" + b"abc")
        self.assertPaged(self.page(script, tab_c=b"\tX\n"), common + b"     X\r\n")
        # Under -r headers stay marked and plain text stays plain.
        self.assertPaged(self.page(script, ["-r"], tab_c=b"\tX\n"),
                         common + b"     " + M(b"X") + b"\r\n")

    def test_bundled_example_matches_its_golden_output(self):
        # The README's main job: a header, a blank line, the margin, tabs and
        # three regions, one running to the end of its line.
        examples = os.path.join(orvitest.SOURCE, "examples")
        with open(os.path.join(examples, "hello.hls"), "rb") as script:
            result = orvitest.run([GLIMPAGE], stdin=script, cwd=examples, timeout=60)
        with open(os.path.join(GOLDEN, "hello.txt"), "rb") as golden:
            self.assertPaged(result, golden.read())


@unittest.skipUnless(orvitest.WINDOWS, "messages are checked on the Windows build")
class Options(PagerCase):

    def test_unknown_option_prints_message_and_usage_and_fails(self):
        # Wine hands the program its own full Windows path as argv[0].
        name = orvitest.wine_path(GLIMPAGE).encode()
        for args, letter in ((["-rQ", "-x"], b"Q"), (["--"], b"-")):
            with self.subTest(args=args):
                result = self.page(b"f|a.c\n", args, a_c=b"text\n")
                self.assertPaged(result, b"",
                                 err=name + b": unknown option: -" + letter + b"\r\n" +
                                 b"usage: " + name +
                                 b" [-u] [-r] {script-file | -} [text-file | -]\r\n",
                                 status=1)


if __name__ == "__main__":
    unittest.main()
