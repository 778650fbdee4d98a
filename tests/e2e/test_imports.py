"""The PE tables of the Windows deliverables: 32-bit images that import only DLLs
Windows ships (no compiler runtime DLL), and the exports of orviinst.dll."""

import os
import re
import subprocess
import unittest

import orvitest

DELIVERABLES = ["glimhtml.exe", "glimpage.exe", "glimrtf.exe", "orviinst.dll", "orvilib.exe",
                "wideconv.exe"]
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll"}


def tables(image, directory=orvitest.BIN):
    return subprocess.run(["i686-w64-mingw32-objdump", "-p", os.path.join(directory, image)],
                          capture_output=True, check=True, timeout=60).stdout.decode("latin-1")


def check_system_imports(test, directory):
    """The deliverables in directory (the build's, or a package's unpacked)."""
    for image in DELIVERABLES:
        with test.subTest(image=image):
            dump = tables(image, directory)
            dlls = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
            test.assertIn("file format pei-i386", dump)
            test.assertTrue(dlls and dlls <= SYSTEM_DLLS, dlls)


@unittest.skipUnless(orvitest.WINDOWS, "checks the Windows build")
class PETables(unittest.TestCase):

    def test_deliverables_import_only_system_dlls(self):
        check_system_imports(self, orvitest.BIN)

    def test_orviinst_exports_undecorated_names_numbered_from_1_in_byte_order(self):
        dump = tables("orviinst.dll")
        self.assertRegex(dump, r"\nName\s+[0-9a-f]+ orviinst\.dll\nOrdinal Base\s+1\n")
        self.assertIn("\t[   0] UninstInitialize\n\t[   1] UninstUnInitialize\n\t[   2] addPath\n"
                      "\t[   3] runXconfig\n\n", dump)


if __name__ == "__main__":
    unittest.main()
