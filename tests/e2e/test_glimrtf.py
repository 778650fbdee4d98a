"""glimrtf as a program: the whole document byte for byte, its exit status,
the early end, and its standard streams: text streams on Windows (CR LF in,
Ctrl-Z, CR LF out with the zero byte as one byte, pairs cut across the read
blocks), bytes as they are natively."""

import unittest

import orvitest

GLIMRTF = orvitest.program("glimrtf")

HEADER = (b"{\\rtf1\\ansi\\deff0\\deftab720{\\fonttbl{\\f0\\fswiss MS Sans Serif;}"
          b"{\\f1\\froman\\fcharset2 Symbol;}{\\f2\\fmodern\\fprq1 Courier New;}"
          b"{\\f3\\froman Times New Roman;}{\\f4\\froman Times New Roman;}}\n"
          b"{\\colortbl\\red0\\green0\\blue0;}\n"
          b"\\deflang1033\\pard")
B = b"\\plain\\f2\\fs20\\b "
BI = b"\\plain\\f2\\fs20\\b\\i "
P = b"\\plain\\f2\\fs20 "
LINE_END = b"\n\\par " + P
END = b"\\par }\n\0"
EARLY_END = b"\n\\par }\n"
BLOCK = 256 * 1024  # the Windows build's read block


def as_written(document):
    """What a document (built with bare line feeds) looks like on this
    platform's standard output."""
    return document.replace(b"\n", b"\r\n") if orvitest.WINDOWS else document


def convert(data, *args):
    result = orvitest.run([GLIMRTF] + list(args), stdin=data)
    assert result.status == 0, result
    return result.out


class Document(unittest.TestCase):
    def test_both_endings_status_and_ignored_arguments(self):
        self.assertEqual(convert(b"", "-x", "file.txt"), as_written(HEADER + END))
        self.assertEqual(convert(b"_\bHi\n_\b"), as_written(HEADER + BI + b"H" + P + b"i"
                                                        + LINE_END + EARLY_END))

    def test_long_input_streams_through_many_blocks(self):
        # Each line starts and ends the same state, so the document is the
        # same piece over and over; about 3 MB cuts lines and marks at every
        # possible place of the blocks.
        line = b"_\bxa{b}\t_\b\\c\fd__\bz\n"
        piece = BI + b"x" + P + b"a\\{b\\}\\tab " + BI + b"\\\\" + P + b"c" + B + b"d_" + BI \
            + b"z" + LINE_END
        count = 3 * 1024 * 1024 // len(line)
        self.assertEqual(convert(line * count), as_written(HEADER + piece * count + END))


@unittest.skipUnless(orvitest.WINDOWS, "text streams are a Windows matter")
class WindowsTextStreams(unittest.TestCase):
    def test_carriage_return_line_feed_and_control_z(self):
        self.assertEqual(convert(b"ab\r\ncd\r\n"), convert(b"ab\ncd\n"))
        # A carriage return without a line feed stays a byte of the text.
        self.assertEqual(convert(b"a\rb\r\r\n"),
                         as_written(HEADER + P + b"a\rb\r" + LINE_END + END))
        # Ctrl-Z ends the input like its end, also inside a mark.
        self.assertEqual(convert(b"ab\x1a_\bcd\r\n"), convert(b"ab"))
        self.assertEqual(convert(b"ab_\x1acd"), as_written(HEADER + P + b"ab" + EARLY_END))
        self.assertEqual(convert(b"ab\r\x1a"), as_written(HEADER + P + b"ab\r" + END))

    def test_pairs_cut_at_read_block_boundaries(self):
        # A CR as the last byte of a block and its LF first in the next must
        # still be one line feed; a lone CR there must stay.
        for tail in (b"\r\nz\n", b"\rz\n", b"\r"):
            with self.subTest(tail=tail):
                data = b"a" * (BLOCK - 1) + tail
                expected = HEADER + P + data.replace(b"\r\n", b"\n").replace(b"\n", LINE_END) + END
                self.assertEqual(convert(data), as_written(expected))


@unittest.skipIf(orvitest.WINDOWS, "native streams only")
class NativeStreams(unittest.TestCase):
    def test_bytes_pass_as_they_are(self):
        self.assertEqual(convert(b"ab\r\ncd\x1a"),
                         HEADER + P + b"ab\r" + LINE_END + b"cd\x1a" + END)


if __name__ == "__main__":
    unittest.main()
