"""orvilib under Wine, against the real registry of the run's prefix."""

import re
import unittest

import orvitest

LONGEST_NAME = "L" + "N" * 16382
LONG_DATA = "d:\\" + "\\".join(["part%05d" % i for i in range(20000)])
OTHER = orvitest.CONFIG_KEY + "\\Other Key"
CONFIG_VALUES = (
    '"ORVILIB"="C:\\\\Orvi\\\\lib\\\\tcl"\n"FORWARD"="C:/fwd/path/"\n"EMPTY"=""\n'
    '"SHORTDWORD"=dword:00005c41\n"ACCENTS"="caf\u00e9 \u00fc\\\\x"\n'
    '"EXPAND"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,6f,00,00,00\n'
    '"' + LONGEST_NAME + '"=' + orvitest.reg_text(LONG_DATA) + '\n'
    '[' + OTHER + ']\n"ORVILIB"="D:\\\\other\\\\lib"\n"NAME"="x/y\\\\z"\n')
KEY = OTHER.split("\\", 1)[1].replace("\\", "/")  # below HKEY_LOCAL_MACHINE, with slashes
KEYLIST = rb"Can't get Orvi keylist\n.+\r\n"  # the system's text after the message
USAGE = b"usage: orvilib [-b] [-k key] [name]\r\n"


def orvilib(*args, stdout=None):
    return orvitest.run([orvitest.program("orvilib"), *args], boxes=True, stdout=stdout)


@unittest.skipUnless(orvitest.WINDOWS, "orvilib is a Windows program")
class OrvilibTest(orvitest.ConfigKeyTest):
    def test_values_with_either_slash_and_failed_writes(self):
        orvitest.set_config(CONFIG_VALUES)
        for args, out in [
                ([], b"C:/Orvi/lib/tcl"), (["-bk"], b"C:\\Orvi\\lib\\tcl"),  # the k is ignored
                (["-bogus", "-b", "FORWARD"], b"C:\\fwd\\path\\"), (["EMPTY"], b""),
                # Any value type prints as text up to its first zero byte.
                (["SHORTDWORD"], b"A/"), (["-b", "EXPAND"], b"%TEMP%\\o"),
                (["ACCENTS"], b"caf\xe9 \xfc/x"), (["-b", LONGEST_NAME], LONG_DATA.encode()),
                # Another key, with either slash; a later -k replaces an earlier one.
                (["-k" + KEY, "NAME"], b"x/y/z"),
                (["-kSOFTWARE/Missing", "-k", KEY.replace("/", "\\"), "-b"], b"D:\\other\\lib")]:
            with self.subTest(args=args[:3]):
                r = orvilib(*args)
                self.assertEqual((r.status, r.err, r.boxes), (0, b"", []))
                self.assertEqual(r.out, out + b"\r\n")  # bytes: no slow diff of a long value
        # A failed write: status 1, a line on standard error unless the reader has gone.
        for stdout, err in [("full", rb"orvilib: .+\r\n"), (100, b"")]:
            r = orvilib("-b", LONGEST_NAME, stdout=stdout)
            self.assertEqual((r.status, r.boxes), (1, []), stdout)
            self.assertTrue(re.fullmatch(err, r.err), r.err)

    def test_failures(self):
        orvitest.set_config(CONFIG_VALUES)
        for args, err, box in [
                # A malformed command line reads no key (this one would show a box).
                *[(["-kSOFTWARE/Missing"] + a, USAGE, None) for a in (
                    ["-x"], ["-"], ["--"], ["-b", "-k"], ["ORVILIB", "-b"], ["-kSOFTWARE", "-k"],
                    ["", ""], ["-K", "SOFTWARE"])],
                # Names are exact, although the registry ignores case.
                (["orvilib"], b"", b"No value from orvilib"), ([""], b"", b"No value from orvilib"),
                (["-k", KEY, "FORWARD"], b"", b"No value from orvilib"),
                # "-b" after -k is the key; a key name over the registry's limit.
                (["-k", "-b"], b"", KEYLIST), (["-kSOFTWARE/Missing"], b"", KEYLIST),
                (["-k", "SOFTWARE/" + "K" * 300], b"", KEYLIST)]:
            with self.subTest(args=args[:3]):
                r = orvilib(*args)
                self.assertEqual((r.status, r.out, r.err), (1, b"", err))
                self.assertEqual([(b.owner, b.caption, b.style) for b in r.boxes],
                                 [(0, b"Error Report", 16)] if box else [])
                self.assertTrue(box is None or re.fullmatch(box, r.boxes[0].text, re.S))

