"""orvilib and the library's Error Report boxes under Wine, against the real
registry of the run's prefix."""

import os
import re
import unittest

import orvitest

OTHER_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\OrviTest\Orvilib Query\Sub"
OTHER_KEY_SLASHED = "SOFTWARE/OrviTest/Orvilib Query/Sub"
LONGEST_NAME = "L" + "N" * 16382
LONG_DATA = "d:\\" + "\\".join(["part%05d" % i for i in range(20000)])
CONFIG_VALUES = (
    '"ORVILIB"="C:\\\\Orvi\\\\lib\\\\tcl"\n"FORWARD"="C:/fwd/path/"\n"PLAIN"="plain text"\n'
    '"EMPTY"=""\n"SHORTDWORD"=dword:00005c41\n"ACCENTS"="caf\u00e9 \u00fc\\\\x"\n'
    '"EXPAND"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,6f,00,00,00\n'
    '"' + LONGEST_NAME + '"=' + orvitest.reg_text(LONG_DATA) + '\n')


def orvilib(*args, stdout=None):
    return orvitest.run([orvitest.program("orvilib"), *args], boxes=True, stdout=stdout)


@unittest.skipUnless(orvitest.WINDOWS, "orvilib is a Windows program")
class OrvilibTest(orvitest.ConfigKeyTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        assert orvitest.reg_import("[-%s]\n[%s]\n" % (OTHER_KEY, OTHER_KEY) +
                                   '"ORVILIB"="D:\\\\other\\\\lib"\n"NAME"="x/y\\\\z"\n') == 0

    @classmethod
    def tearDownClass(cls):
        orvitest.reg("delete", r"HKEY_LOCAL_MACHINE\SOFTWARE\OrviTest\Orvilib Query", "/f")
        super().tearDownClass()

    def assertBox(self, result, text):
        """One Error Report box, nothing printed; the system's text for the
        error follows a message that ends in a line feed."""
        self.assertEqual((result.status, result.out, result.err), (1, b"", b""))
        [box] = result.boxes
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        if text.endswith(b"\n"):
            self.assertTrue(box.text.startswith(text) and box.text.endswith(b"\r\n")
                            and len(box.text) > len(text) + 2, box.text)
        else:
            self.assertEqual(box.text, text)

    def test_command_line_forms_print_the_value_with_either_slash(self):
        orvitest.set_config(CONFIG_VALUES)
        key = OTHER_KEY_SLASHED
        for args, out in [
                ([], b"C:/Orvi/lib/tcl"), (["-bk"], b"C:\\Orvi\\lib\\tcl"),  # the k is ignored
                (["-bogus", "-b", "FORWARD"], b"C:\\fwd\\path\\"), (["EMPTY"], b""),
                # Any value type prints as text up to its first zero byte.
                (["SHORTDWORD"], b"A/"), (["-b", "EXPAND"], b"%TEMP%\\o"),
                (["ACCENTS"], b"caf\xe9 \xfc/x"), (["-b", LONGEST_NAME], LONG_DATA.encode()),
                # Another key, given with either slash; a later -k replaces an earlier one.
                (["-k" + key, "NAME"], b"x/y/z"),
                (["-kSOFTWARE/Missing", "-k", key.replace("/", "\\"), "-b"], b"D:\\other\\lib")]:
            with self.subTest(args=args[:3]):
                r = orvilib(*args)
                self.assertEqual((r.status, r.out, r.err, r.boxes), (0, out + b"\r\n", b"", []))
        # A failed write: status 1, and one line on standard error unless the
        # pipe's reader has gone.
        for stdout, err in [("full", rb"orvilib: .+\r\n"), (100, b"")]:
            r = orvilib("-b", LONGEST_NAME, stdout=stdout)
            self.assertEqual((r.status, r.boxes), (1, []), stdout)
            self.assertTrue(re.fullmatch(err, r.err), r.err)

    def test_malformed_command_lines_print_the_usage_and_touch_nothing(self):
        # The key is missing: a registry access would show a box instead.
        orvitest.set_config(None)
        for args in (["-x"], ["-"], ["--"], ["-b", "-k"], ["-kSOFTWARE", "-k"],
                     ["ORVILIB", "-b"], ["", ""], ["-K", "SOFTWARE"]):
            with self.subTest(args=args):
                r = orvilib(*args)
                self.assertEqual((r.status, r.out, r.err, r.boxes),
                                 (1, b"", b"usage: orvilib [-b] [-k key] [name]\r\n", []))

    def test_failures_show_error_report_boxes(self):
        orvitest.set_config(CONFIG_VALUES)
        # Names are matched exactly, although the registry ignores case.
        for args in (["orvilib"], [""], ["-k", OTHER_KEY_SLASHED, "PLAIN"]):
            self.assertBox(orvilib(*args), b"No value from orvilib")
        # "-b" after -k is the key, not the option; a key name over the registry's limit.
        for args in (["-k", "-b"], ["-kSOFTWARE/Missing"], ["-k", "SOFTWARE/" + "K" * 300]):
            self.assertBox(orvilib(*args), b"Can't get Orvi keylist\n")
        orvitest.set_config("")  # the key exists with no values
        self.assertBox(orvilib(), b"No value from orvilib")

    def test_error_report_boxes(self):
        r = orvitest.run([os.path.join(orvitest.BUILD, "tests", "usefull_probe.exe"),
                          "report:2:Can't do it", "report:0x2000ABCD:no text", "report:193:inserts",
                          "box:Plain \xe9 box", "box:"], boxes=True)
        self.assertEqual((r.status, r.out), (0, b"box -1\r\nbox -1\r\n"))  # no button pressed
        self.assertEqual({(b.owner, b.caption, b.style) for b in r.boxes},
                         {(0, b"Error Report", 0x10)})
        # No box at all for the code without a system text; a system text with
        # an insert is shown with the insert unfilled.
        texts = [b.text for b in r.boxes]
        self.assertEqual(texts[2:], [b"Plain \xe9 box", b""], texts)
        self.assertTrue(texts[0].startswith(b"Can't do it\n") and len(texts[0]) > 15, texts)
        self.assertTrue(texts[1].startswith(b"inserts\n") and b"%1" in texts[1], texts)


if __name__ == "__main__":
    unittest.main(verbosity=2)
