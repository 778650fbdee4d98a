"""glimpage on hostile input: it must end in time, without a crash, with the
documented messages and statuses. Runs the Windows build under Wine and the
native build (under the sanitizers in the native-asan tree)."""

import os
import random
import unittest

import orvitest
from test_glimpage_overstrike import GLIMPAGE, M, PagerCase

NL = b"\r\n" if orvitest.WINDOWS else b"\n"


def random_script(rng, size):
    """Near-commands: real letters, huge and negative numbers, bars with long
    or binary arguments, stray blanks and line ends."""
    number = lambda: rng.choice([b"", b"-", b"%d" % rng.randrange(-5, 30),
                                 b"%d" % rng.randrange(2 ** 31, 2 ** 80)])
    argument = lambda: rng.choice([b"", b"|r.bin", b"|missing", b"|" + b"x" * 1500,
                                   b"|" + bytes(rng.randrange(256) for _ in range(20))])
    script = b""
    while len(script) < size:
        script += (bytes([rng.choice(b"+-fOoHhTtm\0\n |x")]) + rng.choice([b"", b" ", b"\t "]) +
                   number() + b" " + number() + argument() + rng.choice([b"\n", b"\r\n", b" \n", b""]))
    return script


class BadInput(PagerCase):

    def test_random_scripts_and_texts_end_cleanly(self):
        rng = random.Random(20240602)
        text = bytes(rng.randrange(256) for _ in range(20000))
        self.write("r.bin", text + b"\n\x0c\t\0\r\r\n" * 50)
        scripts = [bytes(rng.randrange(256) for _ in range(6000))]
        scripts += [random_script(rng, 6000) for _ in range(3)]
        for round_, script in enumerate(scripts):
            with self.subTest(round=round_):
                result = self.page(b"f|r.bin\n" + script)
                self.assertEqual(result.status, 0)
                # Standard error holds nothing but messages about files.
                for line in result.err.split(NL)[:-1]:
                    self.assertTrue(line.startswith(b"can't open "), line)

    def test_nul_bytes_end_arguments_but_not_text(self):
        self.write("a.c", b"a\0b\0\n")
        script = (b"\0 1 1\n"           # a NUL letter: an ignored command
                  b"t|x\0y\n"           # the argument ends at the NUL
                  b"f|a.c\0ignored\n"   # the file name too
                  b"+ 1 1\n- 1 3\n")
        result = self.page(script)
        self.assertEqual(result.out, b"x" + NL + M(b"a") + b"\0" + M(b"b") + b"\0" + NL)
        self.assertEqual((result.err, result.status), (b"", 0))

    def test_long_command_line_arguments(self):
        self.assertEqual(self.page(b"t|ok\n", ["-u", "z" * 2000]).out, b"ok" + NL)
        self.assertEqual(self.page(b"t|ok\n", ["-" + "ur" * 1000]).status, 0)
        failed = self.page(b"t|ok\n", ["-" + "u" * 1999 + "x"])
        self.assertEqual((failed.status, failed.out), (1, b""))
        self.assertIn(b": unknown option: -x" + NL, failed.err)

    def test_unusable_text_files(self):
        os.mkdir(os.path.join(self.dir, "subdir"))
        self.write("ok.c", b"ok\n")
        missing = os.path.join(self.dir, "no", "such.c")
        if orvitest.WINDOWS:
            missing = orvitest.wine_path(missing)
        # /proc/self/mem opens but every read fails: the reader must take
        # that as the end of the file rather than retry forever.
        script = (b"f|" + missing.encode() + b"\nt|1\n"
                  b"f|/proc/self/mem\nt|2\n"
                  b"f|subdir\nt|3\n"
                  b"f|ok.c\n")
        result = self.page(script)
        self.assertEqual(result.status, 0)
        self.assertEqual(result.out, b"1" + NL + b"2" + NL + b"3" + NL + b"ok" + NL)
        err = result.err.split(NL)
        self.assertEqual(err[0], b"can't open " + missing.encode())
        if orvitest.WINDOWS:
            # A directory cannot be opened as a file on Windows.
            self.assertEqual(err[1:], [b"can't open subdir", b""])
        else:
            # A POSIX system opens it and fails the first read: either way
            # nothing of it shows.
            self.assertIn(err[1:], ([b"can't open subdir", b""], [b""]))


if __name__ == "__main__":
    unittest.main()
