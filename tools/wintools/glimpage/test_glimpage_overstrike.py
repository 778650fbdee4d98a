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
GOLDEN = pathlib.Path(orvitest.SOURCE, "tools/wintools/glimpage/golden/hello.txt").read_bytes()
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
            ([], b"f|../tools/wintools/glimpage/golden/crlf.txt\r\n+ 2 1\r\n- 2 1\r\n+ 3 3\r\n"
             b"- 3 3\r\nt -1 0|end\r\n", None, (0, b"ab" + NL + b"_\bcd" + NL + b"x\r_\by" + NL +
                                                 b"end" + NL, b"")),
            # Ctrl+Z ends a Windows text stream, natively it is a byte.
            ([], b"t|a\x1ab\nt|c\n", None, (0, b"" if orvitest.WINDOWS else b"a\x1ab\nc\n", b"")),
            ([], b"f|../tools/wintools/glimpage/golden/unended.txt\n", None,  # no final line feed
             (0, b"line one" + NL + b"fifteen letters", b"")),
        ]
        for args, script, stdout, expected in cases:
            with self.subTest(args=args, script=script[:40], stdout=stdout):
                result = orvitest.run([GLIMPAGE] + args, script, cwd=EXAMPLES, stdout=stdout)
                self.assertEqual((result.status, result.out, result.err), expected)

    def test_a_failed_read_is_named_and_fails_the_run(self):
        directory = os.open(orvitest.SOURCE, os.O_RDONLY)  # opens, but cannot be read
        self.addCleanup(os.close, directory)
        result = orvitest.run([GLIMPAGE], directory)
        self.assertEqual((result.status, result.out), (1, b""))
        self.assertRegex(result.err, re.escape(NAME) + rb": standard input: .+\r?\n$")
        if not orvitest.WINDOWS:  # a text file that fails: the run goes on after it
            result = orvitest.run([GLIMPAGE], b"f|/proc/self/mem\nt|after\n")
            self.assertEqual((result.status, result.out, result.err),
                             (1, b"after\n", NAME + b": /proc/self/mem: Input/output error\n"))

    def test_marks_whole_characters_of_the_code_page(self):
        # 80 88 9F: three letters in code page 1252 (80 the euro sign), one (88 9F)
        # in 932; in the C locale no character.
        script = b"f|../tools/wintools/glimpage/golden/codepage.txt\n+ 1 1\n- 1 3\n"
        cases = [("C", b"_\b\x80_\b\x88_\b\x9f" if orvitest.WINDOWS else b"\x80\x88\x9f")]
        if orvitest.WINDOWS:
            cases.append(("ja_JP.UTF-8", b"\x80_\b\x88\x9f"))
        for locale, marked in cases:
            result = orvitest.run([GLIMPAGE], script, cwd=EXAMPLES, env={"LC_ALL": locale})
            self.assertEqual(result.out, marked + NL, locale)

    @unittest.skipIf(orvitest.WINDOWS, "a native terminal")
    def test_on_terminals_it_cannot_page_on(self):
        # No controlling terminal for the keys: the first prompt quits. A
        # terminal of no size takes LINES. TERM=dumb: overstruck text; vt100:
        # the database's sequences (no SGR 27, which a vt100 lacks); a window
        # of 1 row: the text, unpaged; vt220 shows the cursor at the end.
        tput = lambda term, *names: b"".join(subprocess.run(["tput", "-T", term, name], check=True,
                                                            capture_output=True).stdout
                                             for name in names)
        x9 = b"t|x\n" * 9
        for term, lines, args, script, expected in [
                ("dumb", "5", [], HELLO, (0, GOLDEN, b"")),
                ("vt100", "5", [], x9, (0, tput("vt100", "clear") + b"x\r\n" * 4 +
                                        tput("vt100", "rev") + b"-More-" +
                                        tput("vt100", "sgr0", "cr", "el"), b"")),
                ("vt220", "1", [], x9, (0, b"x\r\n" * 9 + tput("vt220", "cnorm"), b"")),
                # A script typed on the terminal: never waited for.
                ("vt100", "5", ["x.c"], None, (1, b"", b"usage: " + NAME + b" [-u] [-r] {script-file"
                                               b" | -} [text-file | -]\n" + NAME + b": the highlight "
                                               b"script is read from standard input: " + NAME +
                                               b" < script\n"))]:
            self.assertEqual(on_terminal(args, script, TERM=term, LINES=lines), expected)

    @unittest.skipIf(orvitest.WINDOWS, "a native terminal")
    def test_a_character_that_a_block_of_output_cuts_is_shown_whole(self):
        # 65535 bytes, then a character of three bytes across the end of the
        # output's 64 KiB block, and a tab, on a terminal of one row.
        script = (b"t|" + b"x" * 1023 + b"\n") * 63 + b"T|" + b"x" * 1023 + b"\nt|\xe4\xb8\xad\ty\n"
        status, out, err = on_terminal([], script, TERM="vt100", LINES="1", LC_ALL="C.UTF-8")
        self.assertEqual((status, out[-13:], err), (0, b"\xe4\xb8\xad" + b" " * 7 + b"y\r\n", b""))


def on_terminal(args, script, **env):
    """Runs glimpage in a session of its own, its output a pseudo-terminal:
    standard input the script, or the terminal itself when script is None.
    Returns its status, what it wrote to the terminal and its standard error."""
    master, terminal = pty.openpty()
    child = subprocess.Popen([GLIMPAGE] + args, stdin=subprocess.PIPE if script else terminal,
                             stdout=terminal, stderr=subprocess.PIPE, cwd=EXAMPLES,
                             env=dict(os.environ, **env), start_new_session=True)
    os.close(terminal)
    if script:
        child.stdin.write(script)
        child.stdin.close()
    out = b""
    while True:
        try:
            data = os.read(master, 65536)
        except OSError:  # the terminal is closed and read
            break
        if not data:
            break
        out += data
    os.close(master)
    return child.wait(60), out, child.stderr.read()
