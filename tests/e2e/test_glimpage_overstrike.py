"""glimpage run natively and under Wine, to a file, /dev/full, a pipe or a terminal it
does not page on: the golden output of the bundled example, text streams, messages,
statuses (rules: unit tests)."""

import os
import pathlib
import pty
import re
import subprocess
import unittest

import orvitest

GLIMPAGE = orvitest.program("glimpage")
NL = b"\r\n" if orvitest.WINDOWS else b"\n"
NAME = (orvitest.wine_path(GLIMPAGE) if orvitest.WINDOWS else GLIMPAGE).encode()  # argv[0]
EXAMPLES = pathlib.Path(orvitest.SOURCE, "examples")
GOLDEN = pathlib.Path(orvitest.SOURCE, "tests/e2e/golden/glimpage/hello.txt").read_bytes()
HELLO = (EXAMPLES / "hello.hls").read_bytes()


class Program(unittest.TestCase):

    def test_outputs_statuses_and_messages(self):
        cases = [  # arguments, script, output to, (status, output, standard error)
            ([], HELLO, None, (0, GOLDEN.replace(b"\r\n", NL), b"")),
            (["-u", "-", "-r"], HELLO, None, (0, GOLDEN.replace(b"\r\n", NL), b"")),  # "-" ends options
            # A failed write ends the run with one line; a reader that has
            # gone away ends it quietly.
            ([], HELLO, "full", (1, b"", NAME + b": No space left on device" + NL)),
            ([], (b"t|" + b"x" * 1000 + b"\n") * 1000, 100, (1, b"", b"")),
            (["-rQ"], HELLO, None, (1, b"", NAME + b": unknown option: -Q" + NL + b"usage: " +
                                    NAME + b" [-u] [-r] {script-file | -} [text-file | -]" + NL)),
            # CR LF reads like LF in script and text; a lone CR is a byte.
            ([], b"f|../tests/e2e/golden/glimpage/crlf.txt\r\n+ 2 1\r\n- 2 1\r\n+ 3 3\r\n"
             b"- 3 3\r\nt -1 0|end\r\n", None, (0, b"ab" + NL + b"_\bcd" + NL + b"x\r_\by" + NL +
                                                 b"end" + NL, b"")),
            # Ctrl+Z ends a Windows text stream, natively it is a byte.
            ([], b"t|a\x1ab\nt|c\n", None, (0, b"" if orvitest.WINDOWS else b"a\x1ab\nc\n", b"")),
            ([], b"f|../tests/e2e/golden/glimpage/unended.txt\n", None,  # no final line feed
             (0, b"line one" + NL + b"fifteen letters", b"")),
        ]
        for args, script, stdout, expected in cases:
            with self.subTest(args=args, script=script[:40], stdout=stdout):
                result = orvitest.run([GLIMPAGE] + args, script, cwd=EXAMPLES, stdout=stdout)
                self.assertEqual((result.status, result.out, result.err), expected)

    @unittest.skipIf(orvitest.WINDOWS, "a native terminal")
    def test_on_terminals_it_cannot_page(self):
        # TERM=dumb: overstruck text. No controlling terminal for the keys: the first
        # prompt quits; a terminal of no size takes LINES. Cursor moves and erasing left out.
        for term, script, expected in [("dumb", HELLO, GOLDEN),
                                       ("xterm", b"t|x\n" * 9, b"x\r\n" * 4 + b"\x1b[7m-More-\x1b[27m")]:
            master, terminal = pty.openpty()
            status = subprocess.run([GLIMPAGE], input=script, stdout=terminal, cwd=EXAMPLES,
                                    env=dict(os.environ, TERM=term, LINES="5"),
                                    start_new_session=True, timeout=60).returncode
            os.close(terminal)
            out = b""
            while len(out) < 100000:
                try:
                    out += os.read(master, 4096)
                except OSError:  # the terminal is closed and read
                    break
            os.close(master)
            self.assertEqual((status, re.sub(rb"\x1b\[[0-9;]*[HJK]", b"", out)), (0, expected))


if __name__ == "__main__":
    unittest.main()
