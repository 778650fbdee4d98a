"""orvilib and the library's Error Report boxes under Wine, against the real
registry of the run's prefix."""

import os
import unittest

import orvitest

OTHER_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\OrviTest\Orvilib Query\Sub"
OTHER_KEY_SLASHED = "SOFTWARE/OrviTest/Orvilib Query/Sub"
USAGE = b"usage: orvilib [-b] [-k key] [name]\r\n"
LONGEST_NAME = "L" + "N" * 16382
LONG_DATA = "d:\\" + "\\".join(["part%05d" % i for i in range(20000)])

CONFIG_VALUES = (
    '"ORVILIB"="C:\\\\Orvi\\\\lib\\\\tcl"\n'
    '"FORWARD"="C:/fwd/path/"\n'
    '"PLAIN"="plain text"\n'
    '"EMPTY"=""\n'
    '"SHORTDWORD"=dword:00005c41\n'
    '"RAW"=hex:2f,41,5c\n'
    '"ACCENTS"="caf\u00e9 \u00fc\\\\x"\n'
    '"EXPAND"=hex(2):25,00,54,00,45,00,4d,00,50,00,25,00,5c,00,6f,00,00,00\n'
    '"' + LONGEST_NAME + '"=' + orvitest.reg_text(LONG_DATA) + '\n'
)


def orvilib(*args):
    return orvitest.run([orvitest.program("orvilib"), *args], boxes=True)


def probe(*args):
    return orvitest.run([os.path.join(orvitest.BUILD, "tests", "usefull_probe.exe"), *args],
                        boxes=True)


@unittest.skipUnless(orvitest.WINDOWS, "orvilib is a Windows program")
class OrvilibTest(orvitest.ConfigKeyTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        assert orvitest.reg_import(
            "[-" + OTHER_KEY + "]\n[" + OTHER_KEY + "]\n" +
            '"ORVILIB"="D:\\\\other\\\\lib"\n"NAME"="x/y\\\\z"\n') == 0

    @classmethod
    def tearDownClass(cls):
        orvitest.reg("delete", r"HKEY_LOCAL_MACHINE\SOFTWARE\OrviTest\Orvilib Query", "/f")
        super().tearDownClass()

    def assertBox(self, result, text, system_text=False):
        """One Error Report box, nothing printed; with system_text, the
        system's text for the error follows the message."""
        self.assertEqual((result.status, result.out, result.err), (1, b"", b""))
        [box] = result.boxes
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        if system_text:
            self.assertTrue(box.text.startswith(text + b"\n") and box.text.endswith(b"\r\n")
                            and len(box.text) > len(text) + 3, box.text)
        else:
            self.assertEqual(box.text, text)

    def test_command_line_forms_print_the_value_with_either_slash(self):
        orvitest.set_config(CONFIG_VALUES)
        key = OTHER_KEY_SLASHED
        for args, out in [
                ([], b"C:/Orvi/lib/tcl"), (["-bk"], b"C:\\Orvi\\lib\\tcl"),  # the k is ignored
                (["-bogus", "-b"], b"C:\\Orvi\\lib\\tcl"), (["EMPTY"], b""),
                # Any value type prints as text up to its first zero byte.
                (["SHORTDWORD"], b"A/"), (["RAW"], b"/A/"), (["-b", "EXPAND"], b"%TEMP%\\o"),
                (["ACCENTS"], b"caf\xe9 \xfc/x"), (["-b", LONGEST_NAME], LONG_DATA.encode()),
                # Another key, given with either slash; a later -k replaces an earlier one.
                (["-k" + key, "NAME"], b"x/y/z"),
                (["-k", key.replace("/", "\\"), "-b"], b"D:\\other\\lib"),
                (["-kSOFTWARE/Missing", "-k", key], b"D:/other/lib"),
                (["-kSOFTWARE/Kestrova/Vemto/1.3", "-b", "FORWARD"], b"C:\\fwd\\path\\")]:
            with self.subTest(args=args[:3]):
                r = orvilib(*args)
                self.assertEqual((r.status, r.out, r.err, r.boxes), (0, out + b"\r\n", b"", []))

    def test_malformed_command_lines_print_the_usage_and_touch_nothing(self):
        # The key is missing: a registry access would show a box instead.
        orvitest.set_config(None)
        for args in (["-x"], ["-"], ["--"], ["-b", "-k"], ["-kSOFTWARE", "-k"],
                     ["ORVILIB", "-b"], ["", ""], ["-K", "SOFTWARE"]):
            with self.subTest(args=args):
                r = orvilib(*args)
                self.assertEqual((r.status, r.out, r.err, r.boxes), (1, b"", USAGE, []))

    def test_failures_show_error_report_boxes(self):
        orvitest.set_config(CONFIG_VALUES)
        # Names are matched exactly, although the registry ignores case.
        for args in (["orvilib"], ["MISSING"], [""], ["-k", OTHER_KEY_SLASHED, "PLAIN"]):
            self.assertBox(orvilib(*args), b"No value from orvilib")
        # "-b" after -k is the key, not the option; a key name over the registry's limit.
        for args in (["-k", "-b"], ["-kSOFTWARE/OrviTest/Missing"], ["-k", "SOFTWARE/" + "K" * 300]):
            self.assertBox(orvilib(*args), b"Can't get Orvi keylist", system_text=True)
        orvitest.set_config("")  # the key exists with no values
        self.assertBox(orvilib(), b"No value from orvilib")
        orvitest.set_config(None)
        self.assertBox(orvilib("-b", "PLAIN"), b"Can't get Orvi keylist", system_text=True)

    def test_library_directory_ends_the_process_when_the_key_is_broken(self):
        orvitest.set_config(CONFIG_VALUES)
        r = probe("libdir", "libdir")
        self.assertEqual((r.status, r.out, r.err), (0, b"libdir C:\\Orvi\\lib\\tcl\r\n" * 2, b""))
        for values, err in [('"orvilib"="lower"\n"PLAIN"="x"\n', b"no value for ORVILIB"),
                            (None, b"bad keylist: SOFTWARE\\Kestrova\\Vemto\\1.3")]:
            orvitest.set_config(values)
            r = probe("libdir", "box:not reached")
            self.assertEqual((r.status, r.out, r.err, r.boxes), (1, b"", err + b"\r\n", []))

    def test_error_report_boxes(self):
        r = probe("report:2:Can't do it", "report:0x2000ABCD:no text", "report:193:inserts",
                  "box:Plain \xe9 box", "box:")
        self.assertEqual((r.status, r.out), (0, b"box -1\r\nbox -1\r\n"))  # no button pressed
        self.assertEqual({(b.owner, b.caption, b.style) for b in r.boxes},
                         {(0, b"Error Report", 0x10)})
        # No box at all for the code without a system text; a system text with
        # an insert is shown with the insert unfilled.
        texts = [b.text for b in r.boxes]
        self.assertEqual(texts[2:], [b"Plain \xe9 box", b""], texts)
        self.assertTrue(texts[0].startswith(b"Can't do it\n") and texts[0].endswith(b"\r\n")
                        and len(texts[0]) > 15, texts)
        self.assertTrue(texts[1].startswith(b"inserts\n") and b"%1" in texts[1], texts)


if __name__ == "__main__":
    unittest.main(verbosity=2)
