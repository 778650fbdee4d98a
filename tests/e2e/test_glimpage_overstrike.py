"""glimpage run natively and under Wine, to a file, /dev/full or a pipe: the golden
output of the bundled example, text streams, messages, statuses (rules: unit tests)."""

import pathlib
import unittest

import orvitest

GLIMPAGE = orvitest.program("glimpage")
NL = b"\r\n" if orvitest.WINDOWS else b"\n"
NAME = (orvitest.wine_path(GLIMPAGE) if orvitest.WINDOWS else GLIMPAGE).encode()  # argv[0]


class Program(unittest.TestCase):

    def test_outputs_statuses_and_messages(self):
        examples = pathlib.Path(orvitest.SOURCE, "examples")
        golden = pathlib.Path(orvitest.SOURCE, "tests/e2e/golden/glimpage/hello.txt").read_bytes()
        hello = (examples / "hello.hls").read_bytes()
        cases = [  # arguments, script, output to, (status, output, standard error)
            ([], hello, None, (0, golden.replace(b"\r\n", NL), b"")),
            (["-u", "-", "-r"], hello, None, (0, golden.replace(b"\r\n", NL), b"")),  # "-" ends options
            # A failed write ends the run with one line; a reader that has
            # gone away ends it quietly.
            ([], hello, "full", (1, b"", NAME + b": No space left on device" + NL)),
            ([], (b"t|" + b"x" * 1000 + b"\n") * 1000, 100, (1, b"", b"")),
            (["-rQ"], hello, None, (1, b"", NAME + b": unknown option: -Q" + NL + b"usage: " +
                                    NAME + b" [-u] [-r] {script-file | -} [text-file | -]" + NL)),
            # CR LF reads like LF in script and text; a lone CR is a byte.
            ([], b"f|../tests/e2e/golden/glimpage/crlf.txt\r\n+ 2 1\r\n- 2 1\r\n+ 3 3\r\n"
             b"- 3 3\r\nt -1 0|end\r\n", None, (0, b"ab" + NL + b"_\bcd" + NL + b"x\r_\by" + NL +
                                                 b"end" + NL, b"")),
            # Ctrl+Z ends a Windows text stream, natively it is a byte.
            ([], b"t|a\x1ab\nt|c\n", None, (0, b"" if orvitest.WINDOWS else b"a\x1ab\nc\n", b"")),
        ]
        for args, script, stdout, expected in cases:
            with self.subTest(args=args, script=script[:40], stdout=stdout):
                result = orvitest.run([GLIMPAGE] + args, script, cwd=examples, stdout=stdout)
                self.assertEqual((result.status, result.out, result.err), expected)


if __name__ == "__main__":
    unittest.main()
