"""End-to-end tests of wideconv: the real program on files made here, natively
(the locale chooses the narrow character set) or under Wine (the prefix's ANSI
code page, 1252 for the default prefix)."""

import glob
import os
import stat
import subprocess
import tempfile
import threading
import unittest

import orvitest

PROGRAM = orvitest.program("wideconv")
BOM = b"\xff\xfe"


def utf16(text):
    return BOM + text.encode("utf-16-le", "surrogatepass")


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def file(self, data, name="in.txt"):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
        return path

    def arg(self, path):
        return orvitest.wine_path(path) if orvitest.WINDOWS else path

    def wideconv(self, *args, locale="C.UTF-8", env=None):
        run_env = {"LC_ALL": locale}
        run_env.update(env or {})
        result = orvitest.run([PROGRAM] + list(args), env=run_env)
        # Standard error is a text stream too; compare its lines as written.
        result.err = result.err.replace(b"\r\n", b"\n")
        return result

    def convert(self, data, **kwargs):
        return self.wideconv(self.arg(self.file(data)), **kwargs)

    def assertPrints(self, data, expected, **kwargs):
        result = self.convert(data, **kwargs)
        self.assertEqual((result.status, result.out, result.err), (0, expected, b""), data)

    def assertFails(self, result, status, message):
        self.assertEqual((result.status, result.err, result.out), (status, message, b""))


class DocumentedFailures(Case):
    def test_argument_count(self):
        usage = b"Usage: wideconv fileName\n"
        self.assertFails(self.wideconv(), 1, usage)
        path = self.arg(self.file(b"text"))
        self.assertFails(self.wideconv(path, path), 1, usage)

    def test_missing_file(self):
        path = self.arg(os.path.join(self.dir.name, "absent.txt"))
        self.assertFails(self.wideconv(path), 2, b"Can't find the file: %s\n" % path.encode())

    def test_directory_cannot_be_opened(self):
        path = self.arg(self.dir.name)
        self.assertFails(self.wideconv(path), 4, b"Can't open %s\n" % path.encode())

    def test_unreadable_file_cannot_be_opened(self):
        if os.geteuid() != 0:
            path = self.file(b"secret")
            os.chmod(path, 0)
        else:
            # Root reads any file by permission; a write-only kernel attribute
            # refuses a read open even to root.
            candidates = (glob.glob("/sys/devices/pci*/*/rescan") + glob.glob("/sys/bus/*/rescan")
                          + glob.glob("/sys/class/*/hot_remove"))
            found = [p for p in candidates if stat.S_IMODE(os.stat(p).st_mode) == 0o200]
            if not found:
                self.skipTest("running as root and no write-only file in /sys")
            path = found[0]
        arg = self.arg(path)
        self.assertFails(self.wideconv(arg), 4, b"Can't open %s\n" % arg.encode())

    def test_more_data_than_the_size_taken_first(self):
        # Kernel files report size 0 to the status query, then deliver data:
        # the read fills the whole 2-byte block.
        arg = self.arg("/proc/version")
        self.assertFails(self.wideconv(arg), 6, b"Buffer overflow 2 2\n")

    def test_failed_read_is_not_an_empty_file(self):
        # Reading a process's memory from address 0 fails at once.
        arg = self.arg("/proc/self/mem")
        self.assertFails(self.wideconv(arg), 10, b"Can't read %s\n" % arg.encode())

    @unittest.skipIf(orvitest.WINDOWS, "the Windows status query fails on a FIFO (status 2)")
    def test_file_growing_after_the_status_query(self):
        # A FIFO reports size 0; the data arrives only after the open.
        path = os.path.join(self.dir.name, "fifo")
        os.mkfifo(path)

        def feed():
            try:
                with open(path, "wb") as f:
                    f.write(utf16("grown"))
            except BrokenPipeError:
                pass

        writer = threading.Thread(target=feed)
        writer.start()
        result = self.wideconv(path)
        writer.join(10)
        self.assertFails(result, 6, b"Buffer overflow 2 2\n")

    def test_read_block_that_cannot_be_had(self):
        # A sparse file claims a size the process cannot allocate; it is
        # never read.
        size = 2_000_000_000 if orvitest.WINDOWS else 1 << 40
        path = os.path.join(self.dir.name, "sparse")
        with open(path, "wb") as f:
            f.truncate(size)
        result = self.wideconv(self.arg(path),
                               env={"ASAN_OPTIONS": "allocator_may_return_null=1"})
        self.assertEqual((result.status, result.out), (3, b""))
        self.assertIn(b"Can't malloc converion buffer %d\n" % size, result.err)


class DocumentedText(Case):
    def test_short_files(self):
        self.assertPrints(b"", b"")
        self.assertPrints(BOM, b"")
        self.assertPrints(b"\xff", b"\xff", locale="C")

    def test_zero_ends_the_text(self):
        self.assertPrints(utf16("ab\0cd"), b"ab")
        self.assertPrints(b"ab\0cd", b"ab")
        self.assertPrints(BOM + b"\0\0rest", b"")

    def test_utf16_without_the_little_endian_mark_is_bytes(self):
        self.assertPrints("hi".encode("utf-16-le"), b"h")
        self.assertPrints(b"\xfe\xff\0h\0i", b"\xfe\xff", locale="C")
        self.assertPrints(b"\xfe\xffx", b"\xfe\xffx", locale="C")

    def test_odd_length_drops_the_half_code_unit(self):
        # The lone last byte is not half of any character that can be shown.
        self.assertPrints(utf16("ab") + b"c", b"ab")
        self.assertPrints(BOM + b"c", b"")
        self.assertPrints(utf16("ab") + b"\xff", b"ab")


class Conversion(Case):
    def test_text_in_the_narrow_character_set(self):
        # Only the first mark is dropped; a later one is text.
        if orvitest.WINDOWS:
            self.assertPrints(utf16("caf\u00e9 \u20ac5\ufeff"), b"caf\xe9 \x805?")
        else:
            self.assertPrints(utf16("caf\u00e9 \u20ac5\ufeff"), "caf\u00e9 \u20ac5\ufeff".encode())

    def test_characters_the_character_set_lacks(self):
        # Replaced, as the Windows conversion does with no flags; not a failure.
        if orvitest.WINDOWS:
            self.assertPrints(utf16("a\u4e2db\u0416c"), b"a?b?c")
        else:
            self.assertPrints(utf16("a\u4e2db"), b"a?b", locale="C")
            self.assertPrints(utf16("caf\u00e9"), b"caf?", locale="C")

    def test_surrogate_pairs(self):
        text = utf16("x\U0001F600y\U00010000")
        if orvitest.WINDOWS:
            result = self.convert(text)
            self.assertEqual(result.status, 0)
            self.assertRegex(result.out, rb"^x\?+y\?+$")
        else:
            self.assertPrints(text, "x\U0001F600y\U00010000".encode())
            self.assertPrints(text, b"x?y?", locale="C")

    @unittest.skipIf(orvitest.WINDOWS, "the code-page conversion replaces lone surrogates")
    def test_malformed_utf16_fails_the_size_query(self):
        # Same codes whichever way the size is found (UTF-8 by counting,
        # ASCII by a converter pass).
        for locale in ("C.UTF-8", "C"):
            self.assertFails(self.convert(utf16("a\udc00b"), locale=locale), 7,
                             b"Bad buffer size: error 84\n")
            self.assertFails(self.convert(utf16("a\ud800b"), locale=locale), 7,
                             b"Bad buffer size: error 84\n")
            self.assertFails(self.convert(utf16("a\ud800"), locale=locale), 7,
                             b"Bad buffer size: error 22\n")

    @unittest.skipIf(orvitest.WINDOWS, "needs the sanitizer's allocation limit")
    def test_output_block_that_cannot_be_had(self):
        with open(PROGRAM, "rb") as f:
            if b"__asan_init" not in f.read():
                self.skipTest("not a sanitizer build")
        # 900 KB of UTF-16 read; its 1.35 MB of UTF-8 exceed the 1 MB limit.
        data = utf16("\u4e2d" * 450000)
        result = self.convert(data, env={
            "ASAN_OPTIONS": "allocator_may_return_null=1:max_allocation_size_mb=1"})
        self.assertEqual((result.status, result.out), (9, b""))
        self.assertIn(b"Can't malloc output buffer 1350001\n", result.err)

    @unittest.skipIf(orvitest.WINDOWS, "Wine reports no error for a full device")
    def test_failed_write_is_not_success(self):
        path = self.file(b"text")
        with open("/dev/full", "wb") as full:
            done = subprocess.run([PROGRAM, path], stdout=full, stderr=subprocess.PIPE,
                                  stdin=subprocess.DEVNULL, timeout=60)
        self.assertEqual((done.returncode, done.stderr), (11, b"Can't write the output\n"))


class TextStreams(Case):
    """Line ends and Ctrl-Z go through the C library's text streams: on Windows
    CR LF is read as LF, Ctrl-Z ends the data and LF is written as CR LF;
    natively every byte passes unchanged."""

    def test_line_ends(self):
        wide = utf16("one\r\ntwo\n")
        narrow = b"one\r\ntwo\nthree\r"
        if orvitest.WINDOWS:
            self.assertPrints(wide, b"one\r\r\ntwo\r\n")
            self.assertPrints(narrow, b"one\r\ntwo\r\nthree\r")
        else:
            self.assertPrints(wide, b"one\r\ntwo\n")
            self.assertPrints(narrow, narrow)

    def test_ctrl_z(self):
        # U+041A is the bytes 1A 04: a Ctrl-Z byte inside UTF-16 text.
        wide = utf16("a\x1ab") + b"\0\0" + utf16("\u041ac")
        if orvitest.WINDOWS:
            self.assertPrints(b"ab\x1acd", b"ab")
            self.assertPrints(utf16("a\x1ab"), b"a")
            self.assertPrints(utf16("x\u041ay"), b"x")
        else:
            self.assertPrints(b"ab\x1acd", b"ab\x1acd")
            self.assertPrints(wide, b"a\x1ab")

    @unittest.skipUnless(orvitest.WINDOWS, "only Windows reads CR LF as LF")
    def test_cr_lf_bytes_inside_utf16_shift_the_code_units(self):
        # U+0D41 U+000A is 41 0D 0A 00; reading drops the 0D, so 41 0A 00
        # pairs up as U+0A41 and the zero unit is lost: the odd length ends
        # the text behind it.
        self.assertPrints(BOM + b"\x41\x0d\x0a\x00", b"?")


if __name__ == "__main__":
    unittest.main()
