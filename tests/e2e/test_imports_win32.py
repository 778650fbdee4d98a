"""The PE images of the Windows deliverables: 32-bit, importing only DLLs Windows
ships (no compiler runtime DLL), without the C++ runtime, small, with ASLR and
DEP; and the exports of orviinst.dll."""

import os
import re
import subprocess
import tempfile
import unittest

import orvitest

# What the build declares (orvi_deliverable): a line "NAME FILE PLATFORMS PAGE" each.
DECLARED = [line.split() for line in open(os.path.join(orvitest.BUILD, "deliverables.txt"))]
DELIVERABLES = sorted(file for _, file, _, _ in DECLARED)
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll"}


# The C++ runtime's guards of static locals, exception handling and unwinder,
# as a name defined in an image or named in its tables. Every image refers to
# the frame registration that a runtime DLL may offer, defining none of it.
CXX_RUNTIME = r"(?m)^(?:[0-9a-f]+ [^AUvw] |\t).*(__cxa_guard|__gxx_personality|_Unwind_|__register_frame)"


def tool(name, *args):
    return subprocess.run(["i686-w64-mingw32-" + name, *args], capture_output=True, check=True,
                          timeout=60).stdout.decode("latin-1")


def tables(image, directory=orvitest.BIN):
    return tool("objdump", "-p", os.path.join(directory, image))


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

    def test_deliverables_have_no_cxx_runtime_aslr_and_dep_and_stay_small(self):
        # The build's images keep their symbols; the packages ship them stripped.
        for image in DELIVERABLES:
            with self.subTest(image=image), tempfile.TemporaryDirectory() as tmp:
                path, dump = os.path.join(orvitest.BIN, image), tables(image)
                found = re.findall(CXX_RUNTIME, tool("nm", "--defined-only", path) + dump)
                self.assertEqual(sorted(set(found)), [])
                flags = int(re.search(r"DllCharacteristics\s+([0-9a-f]+)", dump)[1], 16)
                self.assertEqual(flags & 0x140, 0x140, "DYNAMIC_BASE and NX_COMPAT")
                tool("strip", "-o", os.path.join(tmp, image), path)
                self.assertLess(os.path.getsize(os.path.join(tmp, image)), 80 * 1024)

    def test_orviinst_exports_undecorated_names_numbered_from_1_in_byte_order(self):
        dump = tables("orviinst.dll")
        self.assertRegex(dump, r"\nName\s+[0-9a-f]+ orviinst\.dll\nOrdinal Base\s+1\n")
        self.assertIn("\t[   0] UninstInitialize\n\t[   1] UninstUnInitialize\n\t[   2] addPath\n"
                      "\t[   3] runXconfig\n\n", dump)

