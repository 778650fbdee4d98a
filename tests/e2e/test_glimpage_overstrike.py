"""glimpage with standard output in a file: the exact overstruck bytes.

Each test runs the real program (under Wine for the Windows build) on a
script whose cases are batched, so that a test costs one or a few process
starts. Expected output is written out byte for byte: a highlighted visible
byte is '_', backspace, byte; lines end in CR LF.
"""

import os
import shutil
import tempfile
import unittest

import orvitest

GLIMPAGE = orvitest.program("glimpage")
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden", "glimpage")


def marked(text):
    """Overstruck form of bytes that are all highlighted."""
    return b"".join(b"_\b" + bytes([c]) for c in text)


M = marked

class PagerCase(unittest.TestCase):
    """Runs glimpage in a scratch directory holding the text files."""

    def setUp(self):
        self.dir = tempfile.mkdtemp(prefix="glimpage-e2e-")

    def tearDown(self):
        shutil.rmtree(self.dir, ignore_errors=True)

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
        files = {"a_c": b"x\ty z\nabcdefg\n"}
        script = b"f|a.c\n+ 2 3\n- 2 5\n"
        self.assertPaged(self.page(script, **files),
                         b"x       y z\r\nab" + M(b"cde") + b"fg\r\n")
        # Under -r everything but "cde" is highlighted, yet blanks, the spaces
        # of the tab and line ends are never marked.
        reverse = M(b"x") + b"       " + M(b"y") + b" " + M(b"z") + b"\r\n" + \
            M(b"ab") + b"cde" + M(b"fg") + b"\r\n"
        for args in (["-r"], ["-ur"], ["-r", "-u"], ["-u", "-r", "-", "-x"]):
            with self.subTest(args=args):
                self.assertPaged(self.page(script, args, **files), reverse)
        # "-" or a plain argument ends the options: a later -r is ignored.
        for args in (["-", "-r"], ["a.c", "-r"], ["-u"]):
            with self.subTest(args=args):
                self.assertPaged(self.page(script, args, **files),
                                 b"x       y z\r\nab" + M(b"cde") + b"fg\r\n")

    def test_nested_regions_close_at_depth_zero_and_extra_close_is_ignored(self):
        # Depth 1 from a, 2 from c, 1 after d's close (inclusive: e is the
        # first byte after column 4), 0 after f; the second close at depth 0
        # must not make the later open cancel out.
        script = b"f|n.c\n+ 1 1\n+ 1 3\n- 1 4\n- 1 6\n- 1 6\n+ 1 8\n"
        self.assertPaged(self.page(script, n_c=b"abcdefgh\nij\n"),
                         M(b"abcdef") + b"g" + M(b"h") + b"\r\n" + M(b"ij") + b"\r\n")

    def test_output_off_skips_bytes_but_counts_positions(self):
        text = b"line1\nline2\nline3\nline4\n"
        # A region opened while output is off shows once output is back on.
        script = b"f|b.txt\nO 2 1\n+ 2 2\no 3 3\n- 3 3\n"
        self.assertPaged(self.page(script, b_txt=text),
                         b"line1\r\n" + M(b"n") + b"e3\r\nline4\r\n")
        # The script ending while output is off ends the run at once.
        self.assertPaged(self.page(b"f|b.txt\n+ 1 2\nO 2 1\n", b_txt=text),
                         b"l" + M(b"ine1") + b"\r\n")

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
        text = (b"\tA\n"            # tab at column 1: 8 spaces
                b"1234567\tB\n"     # at column 8: 1 space
                b"12345678\tC\n"    # at column 9: 8 spaces
                b"\tD\n"            # margin from here on; tab stops unchanged
                b"\n"               # empty lines get the margin too
                b"xy\n"             # marked first byte: mark after the margin
                b"\fq\n"            # form feed keeps the column: margin twice
                b"a\tb\n"           # a highlighted tab is not marked
                b"a\f\tb\n")        # the form feed does not move the column
        script = b"f|t.c\nm 4 1\n+ 6 1\n- 6 1\n+ 8 1\n- 8 3\n"
        margin = b" " * 8
        self.assertPaged(self.page(script, t_c=text),
                         b"        A\r\n" +
                         b"1234567 B\r\n" +
                         b"12345678        C\r\n" +
                         margin + b"        D\r\n" +
                         margin + b"\r\n" +
                         margin + M(b"x") + b"y\r\n" +
                         margin + b"\x0c" + margin + b"q\r\n" +
                         margin + M(b"a") + b"       " + M(b"b") + b"\r\n" +
                         margin + b"a\x0c       b\r\n")

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

    def test_negative_and_line_zero_positions(self):
        script = (b"f|n.c\n"
                  b"t 0 5|zero\n"      # line 0 is reached at once
                  b"+ 1 2\n"
                  b"- 1 -1\n"          # negative column: reached as line 2 begins
                  b"t 3 -1|after3\n"   # right after the line feed ending line 3
                  b"t -1 0|at-end\n")  # negative line: after the end of the file
        self.assertPaged(self.page(script, n_c=b"l1\nl2\nl3\nl4\n"),
                         b"zero\r\nl" + M(b"1") + b"\r\nl2\r\nl3\r\nafter3\r\nl4\r\nat-end\r\n")

    def test_crlf_text_and_script_read_like_lf(self):
        text = b"ab\r\ncd\r\nx\ry\r\n"   # a lone CR is an ordinary byte
        script = b"f|crlf.c\r\n+ 2 1\r\n- 2 1\r\n+ 3 3\r\n- 3 3\r\nt -1 0|end\r\n"
        self.assertPaged(self.page(script, crlf_c=text),
                         b"ab\r\n" + M(b"c") + b"d\r\nx\r" + M(b"y") + b"\r\nend\r\n")

    def test_script_reader_does_not_resynchronise(self):
        text = {"a_c": b"abcdefg\n"}
        # A blank after the column: the next line is read shifted and the
        # closing command is lost, so the region runs to the end.
        self.assertPaged(self.page(b"f|a.c\n+ 1 2 \n- 1 3\n", **text),
                         b"a" + M(b"bcdefg") + b"\r\n")
        # An empty line swallows the command after it.
        self.assertPaged(self.page(b"f|a.c\n\n+ 1 2\n", **text), b"abcdefg\r\n")
        # A last command without a line feed is not executed.
        self.assertPaged(self.page(b"f|a.c\n+ 1 2\n- 1 3", **text),
                         b"a" + M(b"bcdefg") + b"\r\n")
        self.assertPaged(self.page(b"f|a.c", **text), b"")

    def test_empty_script_writes_nothing(self):
        self.assertPaged(self.page(b""), b"")

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
        for args, letter in ((["-x"], b"x"), (["-ux"], b"x"), (["-u", "-rQ", "-x"], b"Q"),
                             (["--"], b"-")):
            with self.subTest(args=args):
                result = self.page(b"f|a.c\n", args, a_c=b"text\n")
                self.assertPaged(result, b"",
                                 err=name + b": unknown option: -" + letter + b"\r\n" +
                                 b"usage: " + name +
                                 b" [-u] [-r] {script-file | -} [text-file | -]\r\n",
                                 status=1)


if __name__ == "__main__":
    unittest.main()
