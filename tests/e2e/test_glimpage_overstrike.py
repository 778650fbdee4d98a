"""glimpage as a program, natively and under Wine, with its output in a file,
on /dev/full or in a pipe: the bundled example's golden output, text streams
on Windows (CR LF read as LF, LF written as CR LF), messages and statuses. The
driver's rules are the unit tests'."""

import os
import tempfile
import unittest

import orvitest

GLIMPAGE = orvitest.program("glimpage")
EXAMPLES = os.path.join(orvitest.SOURCE, "examples")
GOLDEN = os.path.join(os.path.dirname(os.path.abspath(__file__)), "golden", "glimpage")
NL = b"\r\n" if orvitest.WINDOWS else b"\n"
# Wine hands the program its own full Windows path as argv[0].
NAME = (orvitest.wine_path(GLIMPAGE) if orvitest.WINDOWS else GLIMPAGE).encode()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def M(text):
    """Overstruck form of bytes that are all highlighted."""
    return b"".join(b"_\b" + bytes([c]) for c in text)


class Program(unittest.TestCase):

    def test_outputs_statuses_and_messages(self):
        scratch = tempfile.TemporaryDirectory(prefix="glimpage-e2e-")
        self.addCleanup(scratch.cleanup)
        crlf = os.path.join(scratch.name, "crlf.c")
        with open(crlf, "wb") as f:
            f.write(b"ab\r\ncd\r\nx\ry\r\n")
        hello = read(os.path.join(EXAMPLES, "hello.hls"))
        big = (b"t|" + b"x" * 1000 + b"\n") * 1000
        usage = b" [-u] [-r] {script-file | -} [text-file | -]" + NL
        cases = [  # arguments, script, output to, (status, output, standard error)
            ([], hello, None, (0, read(os.path.join(GOLDEN, "hello.txt")).replace(b"\r\n", NL), b"")),
            # A failed write ends the run with one line; a reader that has
            # gone away ends it quietly.
            ([], hello, "full", (1, b"", NAME + b": No space left on device" + NL)),
            ([], big, 100, (1, b"", b"")),
            (["-rQ", "-x"], b"t|never\n", None,
             (1, b"", NAME + b": unknown option: -Q" + NL + b"usage: " + NAME + usage)),
        ]
        if orvitest.WINDOWS:
            # CR LF in script and text reads like LF; a lone CR is a plain byte.
            cases.append(([], b"f|" + orvitest.wine_path(crlf).encode() +
                          b"\r\n+ 2 1\r\n- 2 1\r\n+ 3 3\r\n- 3 3\r\nt -1 0|end\r\n", None,
                          (0, b"ab\r\n" + M(b"c") + b"d\r\nx\r" + M(b"y") + b"\r\nend\r\n", b"")))
        for args, script, stdout, expected in cases:
            with self.subTest(args=args, script=script[:40], stdout=stdout):
                result = orvitest.run([GLIMPAGE] + args, script, cwd=EXAMPLES, stdout=stdout,
                                      timeout=60)
                self.assertEqual((result.status, result.out, result.err), expected)


if __name__ == "__main__":
    unittest.main()
