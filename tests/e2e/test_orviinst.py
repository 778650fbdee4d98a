"""orviinst.dll under Wine: its export table, and its exports called by a
stand-in installer (orviinst_host.exe) against the run's registry, starting a
stand-in shell (orviinst_revedor.exe, copied as revedor.exe into each library
directory) that records its command line, its argv and TCL_LIBRARY/TK_LIBRARY.

The suite's configuration key is shared with other tests of the run: ctest
serialises its users (RESOURCE_LOCK) and this script puts the key back as it
found it. The documented examples live on drive D:, which the script maps to
a scratch directory for its run."""

import os
import re
import shutil
import subprocess
import tempfile
import unittest

import orvitest

CONFIG_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Vemto\1.3"
TESTS = os.path.join(orvitest.BUILD, "tests")
DLL = os.path.join(orvitest.BIN, "orviinst.dll")
SCRIPTS = ("xconfig.tcl", "addpath.tcl", "delpath.tcl")
ERROR_STYLE = 0x10  # MB_ICONERROR
INFORMATION_STYLE = 0x40  # MB_ICONINFORMATION
# Every call starts from a known environment: no debug switch, and library
# variables whose change (or not) the host prints afterwards.
CLEAN = ["unset:ORVI_DEBUG", "unset:orvi_debug", "set:TCL_LIBRARY=before",
         "set:TK_LIBRARY=before"]
AFTER = ["env:TCL_LIBRARY", "env:TK_LIBRARY"]
UNCHANGED = b"TCL_LIBRARY=before\nTK_LIBRARY=before\n"


def set_orvilib(value):
    """Replaces the configuration key by one whose ORVILIB is value, or
    removes the key when value is None."""
    text = "[-" + CONFIG_KEY + "]\n"
    if value is not None:
        text += "[" + CONFIG_KEY + "]\n" + '"ORVILIB"=' + orvitest.reg_text(value) + "\n"
    assert orvitest.reg_import(text) == 0


def make_library(path, shell=True, scripts=SCRIPTS):
    """A library directory with the stand-in shell and empty scripts."""
    os.makedirs(path, exist_ok=True)
    if shell:
        shutil.copy(os.path.join(TESTS, "orviinst_revedor.exe"), os.path.join(path, "revedor.exe"))
    for name in scripts:
        open(os.path.join(path, name), "wb").close()
    return path


class Launch:
    """One host run: its result and the records of the shells it started."""

    def __init__(self, result, records):
        self.result = result
        self.records = records


def parse_records(data):
    records, current = [], None
    for line in data.split(b"\n"):
        if line == b"end":
            records.append(current)
            current = None
            continue
        if current is None:
            current = {"argv": []}
        if line.startswith(b"argv="):
            current["argv"].append(line[5:])
        elif line.startswith(b"cmdline="):
            current["cmdline"] = line[8:]
        elif line.endswith(b" unset"):
            current[line[:-6].decode()] = None
        elif b"=" in line:
            name, value = line.split(b"=", 1)
            current[name.decode()] = value
    return records


@unittest.skipUnless(orvitest.WINDOWS, "orviinst is a Windows library")
class OrviinstTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.saved = orvitest.SavedKey(CONFIG_KEY)
        cls.saved.save()
        cls.tmp = tempfile.TemporaryDirectory(prefix="orviinst-")
        cls.root = cls.tmp.name
        cls.drive = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "d:")
        cls.mapped = not os.path.lexists(cls.drive)
        if cls.mapped:
            os.symlink(os.path.join(cls.root, "d"), cls.drive)
        cls.counter = 0

    @classmethod
    def tearDownClass(cls):
        if cls.mapped:
            os.unlink(cls.drive)
        cls.saved.restore()
        cls.tmp.cleanup()

    def scratch(self, name):
        """A fresh directory whose name holds spaces."""
        OrviinstTest.counter += 1
        return os.path.join(self.root, "case %d" % self.counter, name)

    def host(self, *steps, status=None, cwd=None):
        log = os.path.join(self.root, "shell-%d.log" % OrviinstTest.counter)
        OrviinstTest.counter += 1
        env = {"ORVI_STANDIN_LOG": orvitest.wine_path(log)}
        if status is not None:
            env["ORVI_STANDIN_STATUS"] = str(status)
        result = orvitest.run([os.path.join(TESTS, "orviinst_host.exe"), orvitest.wine_path(DLL)]
                              + list(steps), env=env, cwd=cwd, boxes=True)
        records = []
        if os.path.exists(log):
            with open(log, "rb") as f:
                records = parse_records(f.read())
        return Launch(result, records)

    def assertErrorBox(self, launch, export, message):
        """The export failed with one Error Report box and left the environment
        and the shell alone."""
        r = launch.result
        self.assertEqual((r.status, r.err), (0, b""))
        self.assertEqual(r.out, export.encode() + b"=-1\n" + UNCHANGED)
        self.assertEqual(len(r.boxes), 1, r.boxes)
        box = r.boxes[0]
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", ERROR_STYLE))
        self.assertTrue(box.text.startswith(message + b"\n"), box.text)
        self.assertGreater(len(box.text), len(message) + 1)  # the system's text follows
        self.assertEqual(launch.records, [])

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

        set_orvilib("D:/cov/lib")
        launch = self.host(*CLEAN, "call:runXconfig", *AFTER)
        r = launch.result
        self.assertEqual((r.status, r.err, r.boxes), (0, b"", []))
        self.assertEqual(r.out, b"runXconfig=0\nTCL_LIBRARY=D:\\cov\\lib\nTK_LIBRARY=D:\\cov\\lib\n")
        self.assertEqual(launch.records, [{
            "cmdline": b"D:\\cov\\lib\\revedor.exe D:\\cov\\lib\\xconfig.tcl",
            "argc": b"2",
            "argv": [b"D:\\cov\\lib\\revedor.exe", b"D:\\cov\\lib\\xconfig.tcl"],
            "TCL_LIBRARY": b"D:\\cov\\lib", "TK_LIBRARY": b"D:\\cov\\lib"}])

        set_orvilib("D:\\Program Files\\cov")
        launch = self.host(*CLEAN, "set:ORVI_DEBUG=1", "call:addPath", *AFTER)
        r = launch.result
        command = (b'"D:\\Program Files\\cov\\revedor.exe" "D:\\Program Files\\cov\\addpath.tcl"'
                   b" -debug")
        self.assertEqual((r.status, r.err), (0, b""))
        self.assertEqual(r.out, b"addPath=0\nTCL_LIBRARY=D:\\Program Files\\cov\n"
                         b"TK_LIBRARY=D:\\Program Files\\cov\n")
        self.assertEqual([(b.owner, b.caption, b.style, b.text) for b in r.boxes],
                         [(0, b"Debug Report", INFORMATION_STYLE,
                           b"The command line is:\n " + command)])
        self.assertEqual(launch.records, [{
            "cmdline": command, "argc": b"3",
            "argv": [b"D:\\Program Files\\cov\\revedor.exe",
                     b"D:\\Program Files\\cov\\addpath.tcl", b"-debug"],
            "TCL_LIBRARY": b"D:\\Program Files\\cov", "TK_LIBRARY": b"D:\\Program Files\\cov"}])

    def test_slashes_trailing_backslash_spaces_and_debug_switch(self):
        library = make_library(self.scratch("orvi lib"))
        dir_ = orvitest.wine_path(library) + "\\"
        set_orvilib(dir_.replace("\\", "/")[:-1] + "\\")
        shell = dir_ + "\\revedor.exe"
        b = dir_.encode()
        launch = self.host(*CLEAN,
                           "set:ORVI_DEBUG=", "env:ORVI_DEBUG", "call:UninstInitialize",
                           "unset:ORVI_DEBUG", "set:orvi_debug=no", "call:runXconfig",
                           "unset:orvi_debug", "call:addPath", *AFTER)
        r = launch.result
        self.assertEqual((r.status, r.err), (0, b""))
        self.assertEqual(r.out, b"ORVI_DEBUG=\nUninstInitialize=0\nrunXconfig=0\naddPath=0\n"
                         b"TCL_LIBRARY=" + b + b"\nTK_LIBRARY=" + b + b"\n")
        expected = [
            [shell.encode(), b + b"\\delpath.tcl", b"-debug"],
            [shell.encode(), b + b"\\xconfig.tcl", b"-debug"],
            [shell.encode(), b + b"\\addpath.tcl"],
        ]
        self.assertEqual([rec["argv"] for rec in launch.records], expected)
        for rec, argv in zip(launch.records, expected):
            self.assertEqual(rec["cmdline"], b" ".join(
                b'"' + a + b'"' if b" " in a else a for a in argv))
            self.assertEqual((rec["TCL_LIBRARY"], rec["TK_LIBRARY"]), (b, b))
        # The debug box comes before each debug run, and only then.
        self.assertEqual([box.text for box in r.boxes],
                         [b"The command line is:\n " + launch.records[0]["cmdline"],
                          b"The command line is:\n " + launch.records[1]["cmdline"]])

    def test_shell_exit_status(self):
        library = make_library(self.scratch("lib"))
        set_orvilib(orvitest.wine_path(library))

        launch = self.host(*CLEAN, "call:runXconfig", status=1)
        self.assertEqual((launch.result.out, launch.result.boxes), (b"runXconfig=0\n", []))
        self.assertEqual(len(launch.records), 1)

        launch = self.host(*CLEAN, "call:runXconfig", *AFTER, status=-5)
        r = launch.result
        self.assertEqual(len(launch.records), 1)
        # The variables were set before the start, so they stay.
        winlib = orvitest.wine_path(library).encode()
        self.assertEqual(r.out, b"runXconfig=-1\nTCL_LIBRARY=" + winlib + b"\nTK_LIBRARY=" +
                         winlib + b"\n")
        self.assertEqual([(b.caption, b.style) for b in r.boxes], [(b"Error Report", ERROR_STYLE)])
        self.assertTrue(r.boxes[0].text.startswith(b"Can't run tcl76\n"), r.boxes[0].text)

    def test_missing_shell_or_script(self):
        no_shell = make_library(self.scratch("lib"), shell=False)
        set_orvilib(orvitest.wine_path(no_shell))
        self.assertErrorBox(self.host(*CLEAN, "call:runXconfig", *AFTER), "runXconfig",
                            b"Can't find \\revedor.exe")

        nothing = self.scratch("empty")
        os.makedirs(nothing)
        set_orvilib(orvitest.wine_path(nothing))  # both missing: only the shell is named
        self.assertErrorBox(self.host(*CLEAN, "call:addPath", *AFTER), "addPath",
                            b"Can't find \\revedor.exe")

        no_script = make_library(self.scratch("lib"), scripts=("xconfig.tcl",))
        set_orvilib(orvitest.wine_path(no_script))
        self.assertErrorBox(self.host(*CLEAN, "call:UninstInitialize", *AFTER),
                            "UninstInitialize", b"Can't find tcl file")

    def test_bad_library_directories(self):
        quoted = make_library(self.scratch('say "lib"'))
        long_ = make_library(os.path.join(self.scratch("long"), *(["d" * 120] * 4)))
        dir_script = make_library(self.scratch("lib"), scripts=())
        os.makedirs(os.path.join(dir_script, "xconfig.tcl"))
        dir_shell = make_library(self.scratch("lib"), shell=False)
        os.makedirs(os.path.join(dir_shell, "revedor.exe"))
        # An empty directory must not find a shell at the current drive's root.
        make_library(os.path.join(self.root, "d"))
        set_orvilib("")
        self.assertErrorBox(self.host(*CLEAN, "call:runXconfig", *AFTER,
                                      cwd=os.path.join(self.root, "d")),
                            "runXconfig", b"Can't find \\revedor.exe")
        cases = [
            (orvitest.wine_path(quoted), b"Can't find \\revedor.exe"),
            (orvitest.wine_path(long_), b"Can't find \\revedor.exe"),
            ("C:\\" + "x\\" * 20000, b"Can't find \\revedor.exe"),
            (orvitest.wine_path(dir_shell), b"Can't find \\revedor.exe"),
            (orvitest.wine_path(dir_script), b"Can't find tcl file"),
        ]
        for value, message in cases:
            with self.subTest(value=value[:80]):
                set_orvilib(value)
                self.assertErrorBox(self.host(*CLEAN, "call:runXconfig", *AFTER), "runXconfig",
                                    message)

    def test_uninst_uninitialize_touches_nothing(self):
        set_orvilib(None)
        launch = self.host(*CLEAN, "call:UninstUnInitialize", *AFTER)
        r = launch.result
        self.assertEqual((r.status, r.out, r.err, r.boxes, launch.records),
                         (0, b"UninstUnInitialize=0\n" + UNCHANGED, b"", [], []))
        # The other exports do read the registry: without the key the host ends.
        r = self.host(*CLEAN, "call:addPath").result
        self.assertEqual((r.status, r.out), (1, b""))
        self.assertIn(b"bad keylist", r.err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
