"""orvilib and the library's Error Report boxes under Wine, against the real
registry of the run's prefix. The suite's configuration key is shared with
other tests of the run: ctest serialises its users (RESOURCE_LOCK) and this
script puts the key back as it found it."""

import os
import unittest

import orvitest

CONFIG_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Vemto\1.3"
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


def set_config(values):
    """Replaces the configuration key by one holding the given .reg lines, or
    removes it when values is None."""
    text = "[-" + CONFIG_KEY + "]\n"
    if values is not None:
        text += "[" + CONFIG_KEY + "]\n" + values
    assert orvitest.reg_import(text) == 0


def orvilib(*args):
    return orvitest.run([orvitest.program("orvilib")] + list(args), boxes=True)


def probe(*args):
    return orvitest.run([os.path.join(orvitest.BUILD, "tests", "config_probe.exe")] + list(args),
                        boxes=True)


@unittest.skipUnless(orvitest.WINDOWS, "orvilib is a Windows program")
class OrvilibTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved = orvitest.SavedKey(CONFIG_KEY)
        cls.saved.save()
        assert orvitest.reg_import(
            "[-" + OTHER_KEY + "]\n[" + OTHER_KEY + "]\n" +
            '"ORVILIB"="D:\\\\other\\\\lib"\n"NAME"="x/y\\\\z"\n') == 0

    @classmethod
    def tearDownClass(cls):
        orvitest.reg("delete", r"HKEY_LOCAL_MACHINE\SOFTWARE\OrviTest\Orvilib Query", "/f")
        cls.saved.restore()

    def assertPrints(self, args, out):
        with self.subTest(args=args):
            r = orvilib(*args)
            self.assertEqual((r.status, r.out, r.err, r.boxes), (0, out, b"", []))

    def assertUsage(self, args):
        with self.subTest(args=args):
            r = orvilib(*args)
            self.assertEqual((r.status, r.out, r.err, r.boxes), (1, b"", USAGE, []))

    def assertBox(self, result, text):
        """One Error Report box with the error icon and no owner, nothing printed."""
        self.assertEqual((result.status, result.out, result.err), (1, b"", b""))
        self.assertEqual(len(result.boxes), 1, result.boxes)
        box = result.boxes[0]
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        self.assertEqual(box.text, text)

    def assertKeylistBox(self, result):
        # The system's text for ERROR_FILE_NOT_FOUND follows the message.
        self.assertEqual(len(result.boxes), 1, result.boxes)
        text = result.boxes[0].text
        self.assertTrue(text.startswith(b"Can't get Orvi keylist\n") and text.endswith(b"\r\n")
                        and len(text) > 26, text)
        self.assertBox(result, text)

    def test_prints_values_of_the_configuration_key_with_either_slash(self):
        set_config(CONFIG_VALUES)
        self.assertPrints([], b"C:/Orvi/lib/tcl\r\n")
        self.assertPrints(["-b"], b"C:\\Orvi\\lib\\tcl\r\n")
        self.assertPrints(["-bk"], b"C:\\Orvi\\lib\\tcl\r\n")  # the k is ignored
        self.assertPrints(["-bogus", "-b"], b"C:\\Orvi\\lib\\tcl\r\n")
        self.assertPrints(["ORVILIB"], b"C:/Orvi/lib/tcl\r\n")
        self.assertPrints(["-b", "FORWARD"], b"C:\\fwd\\path\\\r\n")
        self.assertPrints(["FORWARD"], b"C:/fwd/path/\r\n")
        self.assertPrints(["PLAIN"], b"plain text\r\n")
        self.assertPrints(["-b", "PLAIN"], b"plain text\r\n")
        self.assertPrints(["EMPTY"], b"\r\n")
        self.assertPrints(["-b", "EMPTY"], b"\r\n")

    def test_prints_any_value_type_as_text_up_to_its_first_zero_byte(self):
        set_config(CONFIG_VALUES)
        self.assertPrints(["SHORTDWORD"], b"A/\r\n")
        self.assertPrints(["-b", "SHORTDWORD"], b"A\\\r\n")
        self.assertPrints(["RAW"], b"/A/\r\n")
        self.assertPrints(["-b", "EXPAND"], b"%TEMP%\\o\r\n")
        self.assertPrints(["ACCENTS"], b"caf\xe9 \xfc/x\r\n")
        self.assertPrints([LONGEST_NAME], LONG_DATA.replace("\\", "/").encode() + b"\r\n")
        self.assertPrints(["-b", LONGEST_NAME], LONG_DATA.encode() + b"\r\n")

    def test_reads_another_key_given_with_slashes(self):
        set_config(CONFIG_VALUES)
        self.assertPrints(["-k" + OTHER_KEY_SLASHED], b"D:/other/lib\r\n")
        self.assertPrints(["-k", OTHER_KEY_SLASHED], b"D:/other/lib\r\n")
        self.assertPrints(["-k", OTHER_KEY_SLASHED.replace("/", "\\"), "-b"], b"D:\\other\\lib\r\n")
        self.assertPrints(["-b", "-k", OTHER_KEY_SLASHED, "NAME"], b"x\\y\\z\r\n")
        self.assertPrints(["-k", OTHER_KEY_SLASHED, "NAME"], b"x/y/z\r\n")
        # A later -k replaces an earlier one.
        self.assertPrints(["-kSOFTWARE/Missing", "-k", OTHER_KEY_SLASHED], b"D:/other/lib\r\n")
        # The configuration key itself, reached through -k.
        self.assertPrints(["-kSOFTWARE/Kestrova/Vemto/1.3", "FORWARD"], b"C:/fwd/path/\r\n")

    def test_malformed_command_lines_print_the_usage_and_touch_nothing(self):
        # The key is missing: a registry access would show a box instead.
        set_config(None)
        for args in (["-x"], ["-"], ["--"], ["-b", "-"], ["-k"], ["-b", "-k"],
                     ["-kSOFTWARE", "-k"], ["ORVILIB", "PLAIN"], ["ORVILIB", "-b"],
                     ["ORVILIB", ""], ["", ""], ["-K", "SOFTWARE"], ["-B"]):
            self.assertUsage(args)

    def test_failures_show_error_report_boxes(self):
        set_config(CONFIG_VALUES)
        # Names are matched exactly, although the registry ignores case.
        self.assertBox(orvilib("orvilib"), b"No value from orvilib")
        self.assertBox(orvilib("MISSING"), b"No value from orvilib")
        self.assertBox(orvilib(""), b"No value from orvilib")
        self.assertBox(orvilib("-k", OTHER_KEY_SLASHED, "PLAIN"), b"No value from orvilib")
        # "-b" after -k is the key, not the option.
        self.assertKeylistBox(orvilib("-k", "-b"))
        self.assertKeylistBox(orvilib("-kSOFTWARE/OrviTest/Missing"))
        # A key name longer than the registry allows.
        self.assertKeylistBox(orvilib("-k", "SOFTWARE/" + "K" * 300))

        set_config("")  # the key exists with no values
        self.assertBox(orvilib(), b"No value from orvilib")
        set_config(None)
        self.assertKeylistBox(orvilib())
        self.assertKeylistBox(orvilib("-b", "PLAIN"))

    def test_library_directory_ends_the_process_when_the_key_is_broken(self):
        set_config(CONFIG_VALUES)
        r = probe("libdir", "libdir")
        self.assertEqual((r.status, r.out, r.err), (0, b"libdir C:\\Orvi\\lib\\tcl\r\n" * 2, b""))
        set_config('"orvilib"="lower"\n"PLAIN"="x"\n')
        r = probe("libdir", "box", "not reached")
        self.assertEqual((r.status, r.out, r.err, r.boxes),
                         (1, b"", b"no value for ORVILIB\r\n", []))
        set_config("")
        r = probe("libdir")
        self.assertEqual((r.status, r.out, r.err), (1, b"", b"no value for ORVILIB\r\n"))
        set_config(None)
        r = probe("libdir")
        self.assertEqual((r.status, r.out, r.err, r.boxes),
                         (1, b"", b"bad keylist: SOFTWARE\\Kestrova\\Vemto\\1.3\r\n", []))

    def test_error_report_boxes(self):
        r = probe("report", "2", "Can't do it", "report", "0x2000ABCD", "no text",
                  "report", "193", "inserts", "box", "Plain \xe9 box", "box", "")
        self.assertEqual(r.status, 0)
        self.assertEqual(r.out, b"box -1\r\nbox -1\r\n")  # no display: no button pressed
        for box in r.boxes:
            self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        texts = [b.text for b in r.boxes]
        # No box at all for the code without a system text.
        self.assertEqual(len(texts), 4, texts)
        self.assertTrue(texts[0].startswith(b"Can't do it\n") and texts[0].endswith(b"\r\n"))
        self.assertGreater(len(texts[0]), len(b"Can't do it\n\r\n"))
        # A system text with an insert is shown with the insert unfilled.
        self.assertTrue(texts[1].startswith(b"inserts\n") and b"%1" in texts[1], texts[1])
        self.assertEqual(texts[2:], [b"Plain \xe9 box", b""])


if __name__ == "__main__":
    unittest.main(verbosity=2)
