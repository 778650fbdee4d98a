"""End-to-end tests of wideconv: natively the locale chooses the narrow
character set, under Wine the prefix's ANSI code page (1252)."""

import os
import re
import tempfile
import unittest

import orvitest

PROGRAM = orvitest.program("wideconv")
BOM = b"\xff\xfe"
SANITIZED = not orvitest.WINDOWS and b"__asan_init" in open(PROGRAM, "rb").read()
# Natively the sanitizer's allocator refuses blocks over 1 MB, as a 32-bit
# process has no room for gigabytes.
LIMIT = {"ASAN_OPTIONS": "allocator_may_return_null=1:max_allocation_size_mb=1"}


def utf16(text):
    return BOM + text.encode("utf-16-le", "surrogatepass")


def arg(path):
    return orvitest.wine_path(path) if orvitest.WINDOWS else path


class Case(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.TemporaryDirectory()
        self.addCleanup(self.dir.cleanup)

    def file(self, data, name="in.txt", size=None):
        path = os.path.join(self.dir.name, name)
        with open(path, "wb") as f:
            f.write(data)
            f.truncate(size)  # a sparse file costs no disk
        return arg(path)

    def wideconv(self, *args, locale="C.UTF-8", stdout=None):
        result = orvitest.run([PROGRAM] + list(args), env={"LC_ALL": locale, **LIMIT},
                              stdout=stdout)
        # Standard error is a text stream; the sanitizer warns of blocks it refuses.
        result.err = re.sub(rb"==\d+==WARNING: AddressSanitizer.*\n", b"",
                            result.err.replace(b"\r\n", b"\n"))
        return result

    def assertPrints(self, data, expected, **kwargs):
        result = self.wideconv(self.file(data), **kwargs)
        self.assertEqual((result.status, result.out, result.err), (0, expected, b""), data)

    def assertFails(self, result, status, message):
        self.assertEqual((result.status, result.err, result.out), (status, message, b""))


class Failures(Case):
    def test_exit_statuses(self):
        usage, path, mem = b"Usage: wideconv fileName\n", self.file(b"text"), arg("/proc/self/mem")
        absent, folder = arg(os.path.join(self.dir.name, "absent.txt")), arg(self.dir.name)
        cases = [((), 1, usage), ((path, path), 1, usage),
                 ((absent,), 2, b"Can't find the file: %s\n" % absent.encode()),
                 ((folder,), 4, b"Can't open %s\n" % folder.encode()),
                 # A kernel file reports size 0, then delivers data: it grew
                 # after the status query and fills the whole 2-byte block.
                 ((arg("/proc/version"),), 6, b"Buffer overflow 2 2\n"),
                 # Reading a process's memory from address 0 fails: not an empty file.
                 ((mem,), 10, b"Can't read %s\n" % mem.encode())]
        if orvitest.WINDOWS or SANITIZED:  # sizes past 32 bits, too large to hold
            cases += [((self.file(b"", str(size), size),), 3,
                       b"Can't malloc converion buffer %d\n" % size) for size in (3 << 30, (4 << 30) + 10)]
        if SANITIZED:  # 900 KB of UTF-16 read; its 1.35 MB of UTF-8 exceed the limit
            cases.append(((self.file(utf16("\u4e2d" * 450000)),), 9,
                          b"Can't malloc output buffer 1350001\n"))
        for args, status, message in cases:
            self.assertFails(self.wideconv(*args), status, message)

    def test_failed_writes(self):
        # /dev/full: under Wine an unbuffered device, where stdio reports
        # success. A pipe closed after one byte of more than it holds: the
        # reader has what it wanted, so nothing is said.
        path = self.file(b"x" * 300000)
        for stdout, status, message in [("full", 11, b"Can't write the output\n"), (1, 1, b"")]:
            self.assertFails(self.wideconv(path, stdout=stdout), status, message)


class Text(Case):
    def test_short_files_zeros_and_marks(self):
        long = "x" * 4097  # a scan block and one unit more
        for data, expected in [
                (b"", b""), (BOM, b""), (b"\xff", b"\xff"), (utf16(long), long.encode()),
                (utf16("ab\0cd"), b"ab"), (b"ab\0cd", b"ab"), (BOM + b"\0\0rest", b""),
                # UTF-16 without the little-endian mark is bytes.
                ("hi".encode("utf-16-le"), b"h"), (b"\xfe\xff\0h\0i", b"\xfe\xff"),
                # Odd length: the lone last byte is dropped.
                (utf16("ab") + b"c", b"ab"), (BOM + b"c", b"")]:
            self.assertPrints(data, expected, locale="C")

    def test_narrow_character_set(self):
        # Only the first mark is dropped; a later one is text. What the
        # character set lacks is replaced, not a failure.
        if orvitest.WINDOWS:
            self.assertPrints(utf16("caf\u00e9 \u20ac5\ufeffa\u4e00b\u0416c"),
                              b"caf\xe9 \x805?a?b?c")
            result = self.wideconv(self.file(utf16("x\U0001F600y\U00010000")))
            self.assertEqual(result.status, 0)
            return self.assertRegex(result.out, rb"^x\?+y\?+$")
        # UTF-8's sizes are counted: every length of sequence, its edges.
        text = "caf\u00e9 \u20ac5\ufeff\x7f\x80\u07ff\u0800\uffff\ufffe\ud7ff\ue000\U0010FFFF"
        self.assertPrints(utf16(text), text.encode())
        self.assertPrints(utf16("a\u4e00bcaf\u00e9\U0001F600"), b"a?bcaf??", locale="C")
        # The size pass for other than UTF-8 writes round a scratch block.
        self.assertPrints(utf16("\u00e9" * 200000), b"?" * 200000, locale="C")
        # A character that transliterates to nothing at the very end of a
        # block sized exactly by the count: the text still fits.
        self.assertPrints(utf16("x\ufeff"), b"x", locale="C")

    @unittest.skipIf(orvitest.WINDOWS, "the code-page conversion replaces lone surrogates")
    def test_malformed_utf16_fails_the_size_query(self):
        # Same codes whichever way the size is found (UTF-8 by counting,
        # ASCII by a converter pass).
        for locale in ("C.UTF-8", "C"):
            for text, error in (("a\udc00b", 84), ("a\ud800b", 84), ("a\ud800", 22)):
                self.assertFails(self.wideconv(self.file(utf16(text)), locale=locale), 7,
                                 b"Bad buffer size: error %d\n" % error)

    def test_text_streams(self):
        # On Windows a byte file is a text stream (CR LF read as LF, Ctrl-Z
        # ends the data), UTF-16 text keeps those rules in whole code units
        # (U+201A is the bytes 1A 20; U+0A0D U+0D41 hold 0D 0A twice) and LF
        # is written as CR LF. Natively every byte passes unchanged.
        wide = "\u201a\u0a0d\u0d41\r\n\n\x1ax"
        for data, windows, native in [
                (b"\r\r\none\r\ntwo\nthree\r\x1ax", b"\r\r\none\r\ntwo\r\nthree\r", None),
                (utf16(wide), b"\x82??\r\n\r\n", wide.encode())]:
            self.assertPrints(data, windows if orvitest.WINDOWS else native or data)


if __name__ == "__main__":
    unittest.main()
