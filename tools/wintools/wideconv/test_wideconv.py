"""End-to-end tests of wideconv: natively the locale chooses the narrow
character set, under Wine the prefix's ANSI code page (1252)."""

import itertools
import os
import re
import tempfile
import unittest

import orvitest

PROGRAM = orvitest.program("wideconv")
BOM = b"\xff\xfe"
SANITIZED = not orvitest.WINDOWS and b"__asan_init" in open(PROGRAM, "rb").read()
# Natively the sanitizer's allocator refuses blocks over 1 MB, as a 32-bit process has no room.
LIMIT = {"ASAN_OPTIONS": "allocator_may_return_null=1:max_allocation_size_mb=1"}


def utf16(text):
    return BOM + text.encode("utf-16-le", "surrogatepass")


def arg(path):
    return orvitest.wine_path(path) if orvitest.WINDOWS else path


class Wideconv(unittest.TestCase):
    def setUp(self):
        self.dir = self.enterContext(tempfile.TemporaryDirectory())

    def file(self, data, name="in.txt", size=None):
        path = os.path.join(self.dir, name)
        with open(path, "wb") as f:
            f.write(data)
            f.truncate(size)  # a sparse file costs no disk
        return arg(path)

    def wideconv(self, *args, locale="C.UTF-8", stdout=None):
        r = orvitest.run([PROGRAM, *args], env={"LC_ALL": locale, **LIMIT}, stdout=stdout)
        # Standard error is a text stream; the sanitizer warns of blocks it refuses.
        r.err = re.sub(rb"==\d+==WARNING: .*\n", b"", r.err.replace(b"\r\n", b"\n"))
        return r

    def assertPrints(self, data, expected, **kwargs):
        result = self.wideconv(self.file(data), **kwargs)
        self.assertEqual((result.status, result.out, result.err), (0, expected, b""), data)

    def assertFails(self, result, status, message):
        self.assertEqual((result.status, result.err, result.out), (status, message, b""))

    def test_exit_statuses(self):
        usage, path, mem = b"Usage: wideconv fileName\n", self.file(b"text"), arg("/proc/self/mem")
        absent, folder = arg(os.path.join(self.dir, "absent.txt")), arg(self.dir)
        cases = [((), 1, usage), ((path, path), 1, usage),
                 ((absent,), 2, b"Can't find the file: %s\n" % absent.encode()),
                 ((folder,), 4, b"Can't open %s\n" % folder.encode()),
                 # A kernel file reports size 0, then fills the 2-byte block: it grew.
                 ((arg("/proc/version"),), 6, b"Buffer overflow 2 2\n"),
                 # Reading a process's memory from address 0 fails: not an empty file.
                 ((mem,), 10, b"Can't read %s\n" % mem.encode())]
        if orvitest.WINDOWS or SANITIZED:  # sizes past 32 bits, too large to hold
            cases += [((self.file(b"", str(size), size),), 3, b"Can't malloc converion buffer %d\n"
                       % size) for size in (3 << 30, (4 << 30) + 10)]
        if SANITIZED:  # 900 KB of UTF-16 read; its 1.35 MB of UTF-8 exceed the limit
            cases.append(((self.file(utf16("\u4e2d" * 450000)),), 9,
                          b"Can't malloc output buffer 1350001\n"))
        for args, status, message in cases:
            self.assertFails(self.wideconv(*args), status, message)

    def test_failed_writes(self):
        # /dev/full is unbuffered under Wine, where stdio says success; the
        # reader of a pipe closed after one byte (of more than it holds) is not told.
        path = self.file(b"x" * 300000)
        for stdout, status, message in [("full", 11, b"Can't write the output\n"), (1, 1, b"")]:
            self.assertFails(self.wideconv(path, stdout=stdout), status, message)

    def test_short_files_zeros_and_marks(self):
        long = "x" * 4097  # a scan block and one unit more
        # UTF-16 without the little-endian mark is bytes; odd UTF-16 drops its last byte.
        for data, expected in [
                (b"", b""), (BOM, b""), (b"\xff", b"\xff"), (utf16(long), long.encode()),
                (utf16("ab\0cd"), b"ab"), (b"ab\0cd", b"ab"), (BOM + b"\0\0rest", b""),
                ("hi".encode("utf-16-le"), b"h"), (b"\xfe\xff\0h\0i", b"\xfe\xff"),
                (utf16("ab") + b"c", b"ab"), (BOM + b"c", b"")]:
            self.assertPrints(data, expected, locale="C")

    def test_narrow_character_set(self):
        # Only the first mark is dropped; a later one is text. What the
        # character set lacks is replaced, not a failure.
        if orvitest.WINDOWS:
            return self.assertPrints(utf16("caf\u00e9 \u20ac5\ufeffa\u4e00b\u0416c"),
                                     b"caf\xe9 \x805?a?b?c")
        # UTF-8's sizes are counted: every length of sequence, its edges.
        edges = "caf\u00e9 \u20ac5\ufeff\x7f\x80\u07ff\u0800\uffff\ufffe\ud7ff\ue000\U0010FFFF"
        for text, expected, locale in [
                (edges, edges.encode(), "C.UTF-8"),
                ("a\u4e00bcaf\u00e9\U0001F600", b"a?bcaf??", "C"),
                ("\u00e9" * 200000, b"?" * 200000, "C"),  # round the size pass's scratch block
                ("x\ufeff", b"x", "C")]:  # to nothing at the end of a block sized by the count
            self.assertPrints(utf16(text), expected, locale=locale)

    @unittest.skipIf(orvitest.WINDOWS, "the code-page conversion replaces lone surrogates")
    def test_malformed_utf16_fails_the_size_query(self):
        # The same codes by counting (UTF-8) as by a converter pass (C).
        for locale, (text, error) in itertools.product(
                ("C.UTF-8", "C"), [("a\udc00b", 84), ("a\ud800b", 84), ("a\ud800", 22)]):
            self.assertFails(self.wideconv(self.file(utf16(text)), locale=locale), 7,
                             b"Bad buffer size: error %d\n" % error)

    def test_text_streams(self):
        # Windows: a byte file is a text stream (CR LF read as LF, Ctrl-Z ends it), UTF-16
        # keeps those rules in whole code units (U+201A is 1A 20; U+0A0D U+0D41 hold 0D 0A
        # twice), LF leaves as CR LF. Natively every byte passes unchanged.
        wide = "\u201a\u0a0d\u0d41\r\n\n\x1ax"
        for data, windows, native in [
                (b"\r\r\none\r\ntwo\nthree\r\x1ax", b"\r\r\none\r\ntwo\r\nthree\r", None),
                (utf16(wide), b"\x82??\r\n\r\n", wide.encode())]:
            self.assertPrints(data, windows if orvitest.WINDOWS else native or data)

