"""Every Windows deliverable of the build runs on a bare Windows: a 32-bit PE
image whose import table names only DLLs that Windows itself ships, none of
the compiler's runtime DLLs (libgcc, libstdc++, winpthread)."""

import glob
import os
import re
import subprocess
import unittest

import orvitest

OBJDUMP = "i686-w64-mingw32-objdump"

# Lower-case names of system DLLs a deliverable may import.
SYSTEM_DLLS = {
    "kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll", "gdi32.dll",
    "shell32.dll", "shlwapi.dll", "ole32.dll", "oleaut32.dll", "comctl32.dll", "comdlg32.dll",
    "version.dll", "ws2_32.dll", "userenv.dll", "bcrypt.dll", "crypt32.dll", "psapi.dll",
}


def imports(path):
    """(file format, imported DLL names) of a PE image."""
    dump = subprocess.run([OBJDUMP, "-p", path], stdin=subprocess.DEVNULL,
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True,
                          timeout=60).stdout.decode("latin-1")
    form = re.search(r"file format (\S+)", dump)
    return (form.group(1) if form else None,
            re.findall(r"^\s*DLL Name: (\S+)", dump, re.MULTILINE))


@unittest.skipUnless(orvitest.WINDOWS, "checks the Windows build")
class ImportTables(unittest.TestCase):

    def test_deliverables_import_only_system_dlls(self):
        images = sorted(glob.glob(os.path.join(orvitest.BIN, "*.exe")) +
                        glob.glob(os.path.join(orvitest.BIN, "*.dll")))
        self.assertIn(orvitest.program("glimpage"), images, "glimpage.exe is not built")
        for image in images:
            with self.subTest(image=os.path.basename(image)):
                form, dlls = imports(image)
                self.assertEqual(form, "pei-i386")
                self.assertTrue(dlls, "no import table found")
                foreign = [d for d in dlls if d.lower() not in SYSTEM_DLLS]
                self.assertEqual(foreign, [], "imports DLLs that Windows does not ship")


if __name__ == "__main__":
    unittest.main()
