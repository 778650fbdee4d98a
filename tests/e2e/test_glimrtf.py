"""glimrtf as a program: the whole document byte for byte, its exit status
and its standard streams: text streams on Windows, bytes as they are natively."""

import re
import unittest

import orvitest

GLIMRTF = orvitest.program("glimrtf")

HEADER = (b"{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
          b"{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fprq1 Courier New;}"
          b"{\\f3\\froman Times New Roman;}{\\f4\\froman Times New Roman;}}\n"
          b"{\\colortbl\\red0\\green0\\blue0;}\n"
          b"\\deflang1033\\pard")
B, BI, P = b"\\plain\\f2\\fs20\\b ", b"\\plain\\f2\\fs20\\b\\i ", b"\\plain\\f2\\fs20 "
LINE_END, END = b"\n\\par " + P, b"\\par }\n\0"
BLOCK = 256 * 1024  # the Windows build's read block


def check(test, data, document, *args):
    """document is built with bare line feeds; Windows writes them as CR LF."""
    result = orvitest.run([GLIMRTF] + list(args), stdin=data)
    document = HEADER + document
    if orvitest.WINDOWS:
        document = document.replace(b"\n", b"\r\n")
    test.assertEqual((result.status, result.out), (0, document), data[:40])


class Document(unittest.TestCase):
    def test_unfinished_mark_status_and_ignored_arguments(self):
        check(self, b"", END, "-x", "file.txt")
        check(self, b"_\bHi\n_\b", BI + b"H" + P + b"i" + LINE_END + b"_\b" + END)

    def test_long_input_streams_through_many_blocks_and_failed_writes_end_it(self):
        # Each line starts and ends the same state; about 3 MB cuts lines and
        # marks at every possible place of the blocks.
        line = b"_\bxa{b}\t_\b\\c\fd__\bz\n"
        piece = BI + b"x" + P + b"a\\{b\\}\\tab " + BI + b"\\\\" + P + b"c" + B + b"d_" + BI \
            + b"z" + LINE_END
        count = 3 * 1024 * 1024 // len(line)
        check(self, line * count, piece * count + END)
        # A full device is named on standard error; a reader that has gone is not.
        for stdout, err in [("full", rb"glimrtf: .+\r?\n"), (100, b"")]:
            r = orvitest.run([GLIMRTF], stdin=line * count, stdout=stdout)
            self.assertEqual(r.status, 1, stdout)
            self.assertTrue(re.fullmatch(err, r.err), r.err)

    def test_standard_input_stream(self):
        if not orvitest.WINDOWS:
            return check(self, b"ab\r\ncd\x1a", P + b"ab\r" + LINE_END + b"cd\x1a" + END)
        # CR LF is a line feed, also cut between read blocks; a lone CR stays a
        # byte; Ctrl-Z ends the input like its end, also inside a mark.
        edge = b"a" * (BLOCK - 1)
        for data, document in [
                (b"ab\r\ncd\r\n", P + b"ab" + LINE_END + b"cd" + LINE_END + END),
                (b"a\rb\r\r\n", P + b"a\rb\r" + LINE_END + END),
                (b"ab\x1a_\bcd\r\n", P + b"ab" + END),
                (b"ab_\x1acd", P + b"ab_" + END), (b"ab\r\x1a", P + b"ab\r" + END),
                (edge + b"\r\nz\n", P + edge + LINE_END + b"z" + LINE_END + END),
                (edge + b"\rz\n", P + edge + b"\rz" + LINE_END + END),
                (edge + b"\r", P + edge + b"\r" + END)]:
            check(self, data, document)


if __name__ == "__main__":
    unittest.main()
