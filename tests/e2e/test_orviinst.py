"""orviinst.dll under Wine: its export table, and its exports called by a
stand-in installer (orviinst_host.exe) starting a stand-in shell
(orviinst_revedor.exe, copied as revedor.exe into each library directory) that
records its command line, argv and TCL_LIBRARY/TK_LIBRARY. The documented
examples live on drive D:, mapped to a scratch directory for the run."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

import orvitest

TESTS = os.path.join(orvitest.BUILD, "tests")
DLL = os.path.join(orvitest.BIN, "orviinst.dll")
# Every call starts with no debug switch and known library variables, whose
# change (or not) the host prints afterwards.
CLEAN = ["unset:ORVI_DEBUG", "set:TCL_LIBRARY=before", "set:TK_LIBRARY=before"]
AFTER = ["env:TCL_LIBRARY", "env:TK_LIBRARY"]


def set_orvilib(value):
    orvitest.set_config({"ORVILIB": value})


def make_library(path, shell=True, scripts=("xconfig.tcl", "addpath.tcl", "delpath.tcl")):
    os.makedirs(path, exist_ok=True)
    if shell:
        shutil.copy(os.path.join(TESTS, "orviinst_revedor.exe"), os.path.join(path, "revedor.exe"))
    for name in scripts:
        open(os.path.join(path, name), "wb").close()
    return path


def libraries(value):
    return b"TCL_LIBRARY=" + value + b"\nTK_LIBRARY=" + value + b"\n"


def parse_records(data):
    """The shell's records, each a list of its (name, value) lines."""
    return [[tuple(line.split(b"=", 1)) for line in block.splitlines()]
            for block in data.split(b"end\n")[:-1]]


@unittest.skipUnless(orvitest.WINDOWS, "orviinst is a Windows library")
class OrviinstTest(orvitest.ConfigKeyTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.tmp = tempfile.TemporaryDirectory(prefix="orviinst-")
        cls.addClassCleanup(cls.tmp.cleanup)
        cls.root = cls.tmp.name
        drive = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "d:")
        if not os.path.lexists(drive):
            os.symlink(os.path.join(cls.root, "d"), drive)
            cls.addClassCleanup(os.unlink, drive)

    def scratch(self, name):
        """A fresh directory whose name holds spaces."""
        return os.path.join(tempfile.mkdtemp(prefix="case ", dir=self.root), name)

    def host(self, *steps, status=0, cwd=None):
        log = self.scratch("shell.log")
        env = {"ORVI_STANDIN_LOG": orvitest.wine_path(log), "ORVI_STANDIN_STATUS": str(status)}
        result = orvitest.run([os.path.join(TESTS, "orviinst_host.exe"), orvitest.wine_path(DLL),
                               *CLEAN, *steps, *AFTER], env=env, cwd=cwd, boxes=True)
        with open(log, "ab+") as f:
            f.seek(0)
            return result, parse_records(f.read())

    def test_export_table(self):
        dump = subprocess.run(["i686-w64-mingw32-objdump", "-p", DLL], capture_output=True,
                              check=True).stdout.decode()
        self.assertIn("file format pei-i386", dump)
        self.assertRegex(dump, r"\nName\s+[0-9a-f]+ orviinst\.dll\n")
        self.assertRegex(dump, r"\nOrdinal Base\s+1\n")
        exports = re.search(r"\[Ordinal/Name Pointer\] Table\n((?:\t\[.*\n)*)", dump).group(1)
        self.assertEqual(re.findall(r"\[\s*(\d+)\] (\S+)", exports),
                         [("0", "UninstInitialize"), ("1", "UninstUnInitialize"),
                          ("2", "addPath"), ("3", "runXconfig")])
        self.assertEqual(len(re.findall(r"\+base\[\s*\d+\]", dump)), 4)
        system = {"kernel32.dll", "user32.dll", "advapi32.dll", "msvcrt.dll", "ntdll.dll"}
        imports = {name.lower() for name in re.findall(r"DLL Name: (\S+)", dump)}
        self.assertTrue(imports and imports <= system, imports)

    def test_documented_examples(self):
        make_library(os.path.join(self.root, "d", "cov", "lib"))
        make_library(os.path.join(self.root, "d", "Program Files", "cov"))
        plain, spaced = b"D:\\cov\\lib", b"D:\\Program Files\\cov"
        command = b'"' + spaced + b'\\revedor.exe" "' + spaced + b'\\addpath.tcl" -debug'
        # The first directory is written with forward slashes in the registry.
        for value, steps, export, argv, cmdline, boxes in [
                ("D:/cov/lib", [], b"runXconfig",
                 [plain + b"\\revedor.exe", plain + b"\\xconfig.tcl"],
                 plain + b"\\revedor.exe " + plain + b"\\xconfig.tcl", []),
                (spaced.decode(), ["set:ORVI_DEBUG=1"], b"addPath",
                 [spaced + b"\\revedor.exe", spaced + b"\\addpath.tcl", b"-debug"], command,
                 [(0, b"Debug Report", 0x40, b"The command line is:\n " + command)])]:
            set_orvilib(value)
            orvilib = value.replace("/", "\\").encode()
            r, records = self.host(*steps, "call:" + export.decode())
            self.assertEqual((r.status, r.err, r.out),
                             (0, b"", export + b"=0\n" + libraries(orvilib)))
            self.assertEqual([(b.owner, b.caption, b.style, b.text) for b in r.boxes], boxes)
            self.assertEqual(records, [[(b"cmdline", cmdline)] + [(b"argv", a) for a in argv] +
                                       [(b"TCL_LIBRARY", orvilib), (b"TK_LIBRARY", orvilib)]])

    def test_trailing_backslash_debug_switch_and_exit_status(self):
        library = make_library(self.scratch("orvi lib"))
        b = (orvitest.wine_path(library) + "\\").encode()
        set_orvilib(b.decode().replace("\\", "/")[:-1] + "\\")
        # Any value switches debugging on, the empty one and one in lower case
        # too; the shell's exit status 1 is success.
        r, records = self.host("set:ORVI_DEBUG=", "call:UninstInitialize", "unset:ORVI_DEBUG",
                               "set:orvi_debug=no", "call:runXconfig", "unset:orvi_debug",
                               "call:addPath", status=1)
        self.assertEqual((r.status, r.err, r.out), (0, b"", b"UninstInitialize=0\nrunXconfig=0\n"
                                                    b"addPath=0\n" + libraries(b)))
        shell = b + b"\\revedor.exe"
        self.assertEqual([[v for n, v in rec if n == b"argv"] for rec in records],
                         [[shell, b + b"\\delpath.tcl", b"-debug"],
                          [shell, b + b"\\xconfig.tcl", b"-debug"], [shell, b + b"\\addpath.tcl"]])
        # The debug box comes before each debug run, and only then.
        self.assertEqual([box.text for box in r.boxes],
                         [b"The command line is:\n " + rec[0][1] for rec in records[:2]])

        # A negative status is failure; the variables were set before the start.
        r, records = self.host("call:runXconfig", status=-5)
        self.assertEqual((r.out, len(records)), (b"runXconfig=-1\n" + libraries(b), 1))
        [box] = r.boxes
        self.assertEqual((box.caption, box.style), (b"Error Report", 0x10))
        self.assertTrue(box.text.startswith(b"Can't run tcl76\n"), box.text)

    def test_missing_or_unusable_shell_or_script_leave_all_alone(self):
        nothing = self.scratch("empty")
        os.makedirs(nothing)
        dir_script = make_library(self.scratch("lib"), scripts=())
        os.makedirs(os.path.join(dir_script, "xconfig.tcl"))
        # An empty directory must not find a shell at the current drive's root.
        drive_root = make_library(os.path.join(self.root, "d"))
        shell, script = b"Can't find \\revedor.exe", b"Can't find tcl file"
        for directory, export, message in [
                ("", "runXconfig", shell),
                (make_library(self.scratch("lib"), shell=False), "runXconfig", shell),
                (nothing, "addPath", shell),  # both missing: only the shell is named
                (make_library(self.scratch("lib"), scripts=("xconfig.tcl",)), "UninstInitialize",
                 script), (make_library(self.scratch('say "lib"')), "runXconfig", shell),
                ("C:\\" + "x\\" * 20000, "runXconfig", shell), (dir_script, "runXconfig", script)]:
            with self.subTest(directory=directory[-40:]):
                set_orvilib(orvitest.wine_path(directory) if directory[:1] == "/" else directory)
                r, records = self.host("call:" + export, cwd=drive_root)
                self.assertEqual((r.status, r.err, r.out, records),
                                 (0, b"", export.encode() + b"=-1\n" + libraries(b"before"), []))
                [box] = r.boxes
                self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
                self.assertTrue(box.text.startswith(message + b"\n") and
                                len(box.text) > len(message) + 1, box.text)

    def test_uninst_uninitialize_touches_nothing(self):
        orvitest.set_config(None)
        r, records = self.host("call:UninstUnInitialize")
        self.assertEqual((r.status, r.out, r.err, r.boxes, records),
                         (0, b"UninstUnInitialize=0\n" + libraries(b"before"), b"", [], []))


if __name__ == "__main__":
    unittest.main(verbosity=2)
