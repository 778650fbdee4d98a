"""glimrtf as a program: the whole document byte for byte, its exit status and
its standard streams: text streams on Windows, bytes as they are natively."""

import os
import re
import subprocess
import unittest

import orvitest

HEADER = (rb"{\rtf1\ansi\deff0\deftab720{\fonttbl{\f0\fswiss MS Sans Serif;}{\f1\froman"
          rb"\fcharset2 Symbol;}{\f2\fmodern\fprq1 Courier New;}{\f3\froman Times New Roman;}"
          rb"{\f4\froman Times New Roman;}}" b"\n" rb"{\colortbl\red0\green0\blue0;}" b"\n"
          rb"\deflang1033\pard")
B, BI, P = rb"\plain\f2\fs20\b ", rb"\plain\f2\fs20\b\i ", rb"\plain\f2\fs20 "
LINE_END, END = b"\n\\par " + P, b"\\par }\n\0"
# About 3 MB: lines and marks cut at every place of the 256 KiB read blocks.
LINE, PIECE = b"_\bxa{b}\t_\b\\c\fd__\bz\n", (BI + b"x" + P + b"a\\{b\\}\\tab " + BI + b"\\\\"
                                              + P + b"c" + B + b"d_" + BI + b"z" + LINE_END)
COUNT, EDGE = 3 * 1024 * 1024 // len(LINE), b"a" * (256 * 1024 - 1)
GLIMRTF = orvitest.program("glimrtf")


def document(body):
    """Header and body, its line feeds as they leave (CR LF on Windows)."""
    return (HEADER + body).replace(b"\n", b"\r\n") if orvitest.WINDOWS else HEADER + body


class Glimrtf(unittest.TestCase):
    def test_documents(self):
        cases = [(b"", END), (LINE * COUNT, PIECE * COUNT + END)]
        if not orvitest.WINDOWS:
            cases.append((b"ab\r\ncd\x1a", P + b"ab\r" + LINE_END + b"cd\x1a" + END))
        else:  # CR LF is LF, also cut between blocks; a lone CR stays; Ctrl-Z ends.
            cases += [(b"a\rb\r\r\n", P + b"a\rb\r" + LINE_END + END),
                      (b"ab\x1a_\bcd\r\n", P + b"ab" + END), (b"ab_\x1acd", P + b"ab_" + END),
                      (EDGE + b"\r\nz\n", P + EDGE + LINE_END + b"z" + LINE_END + END),
                      (EDGE + b"\r", P + EDGE + b"\r" + END)]
        for data, body in cases:
            r = orvitest.run([GLIMRTF, "-x", "file.txt"], stdin=data)  # arguments are ignored
            self.assertEqual((r.status, r.err), (0, b""), data[:20])
            self.assertEqual(r.out, document(body), data[:20])  # bytes: no slow diff of megabytes

    def test_reads(self):
        # A directory fails at the first read: named on standard error, the document
        # closed. A non-blocking pipe's "try again" while its writer works is no end.
        (reader, writer), directory = os.pipe(), os.open(orvitest.SOURCE, os.O_RDONLY)
        self.addCleanup(os.close, directory)
        os.set_blocking(reader, False)
        with subprocess.Popen(["sh", "-c", "for i in 1 2 3; do sleep .3; echo ab; done"],
                              stdout=writer), open(reader, "rb") as pipe:
            os.close(writer)
            for stdin, status, body, err in [
                    (directory, 1, END, rb"glimrtf: standard input: .+\r?\n"),
                    (pipe, 0, P + (b"ab" + LINE_END) * 3 + END, b"")]:
                r = orvitest.run([GLIMRTF], stdin=stdin)
                self.assertEqual((r.status, r.out), (status, document(body)))
                self.assertRegex(r.err, b"^" + err + b"$")

    def test_failed_writes(self):
        # A full device is named on standard error; a reader that has gone is not.
        for stdout, err in [("full", rb"glimrtf: .+\r?\n"), (100, b"")]:
            r = orvitest.run([GLIMRTF], stdin=LINE * COUNT, stdout=stdout)
            self.assertEqual(r.status, 1, stdout)
            self.assertTrue(re.fullmatch(err, r.err), r.err)

