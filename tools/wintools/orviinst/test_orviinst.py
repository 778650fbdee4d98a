"""orviinst.dll under Wine, called by a stand-in installer that, copied as
revedor.exe, also stands in for the shell. Drive D: maps to a scratch folder."""

import os
import shutil
import tempfile
import unittest

import orvitest

HOST = os.path.join(orvitest.BUILD, "tests", "orviinst_host.exe")
DLL = orvitest.wine_path(os.path.join(orvitest.BIN, "orviinst.dll"))


@unittest.skipUnless(orvitest.WINDOWS, "orviinst is a Windows library")
class OrviinstTest(orvitest.ConfigKeyTest):
    @classmethod
    def setUpClass(cls):
        super().setUpClass()
        cls.root = cls.enterClassContext(tempfile.TemporaryDirectory(prefix="orviinst-"))
        cls.library("d")
        drive = os.path.join(os.environ["WINEPREFIX"], "dosdevices", "d:")
        os.symlink(os.path.join(cls.root, "d"), drive)
        cls.addClassCleanup(os.unlink, drive)

    @classmethod
    def library(cls, name, shell="stand-in", scripts=("xconfig.tcl", "addpath.tcl", "delpath.tcl")):
        """Windows name of a new library folder; shell "empty" can't start, "folder" is a folder."""
        path = os.path.join(cls.root, name)
        os.makedirs(os.path.join(path, "revedor.exe" if shell == "folder" else ""), exist_ok=True)
        for file in scripts + (("revedor.exe",) if shell == "empty" else ()):
            open(os.path.join(path, file), "wb").close()
        if shell == "stand-in":
            shutil.copy(HOST, os.path.join(path, "revedor.exe"))
        return orvitest.wine_path(path)

    def host(self, orvilib, *exports, status=0, env=()):
        """Calls the exports from D:'s root, ORVILIB None meaning no such value."""
        orvitest.set_config({} if orvilib is None else {"ORVILIB": orvilib})
        env = dict(env, ORVI_STANDIN_STATUS=str(status), TCL_LIBRARY="old", TK_LIBRARY="old")
        r = orvitest.run([HOST, DLL, *exports], env=env, cwd=self.root + "/d", boxes=True)
        return r.status, r.err, r.out.replace(b"\r\n", b"\n").decode(), r.boxes  # shell: CR LF

    def test_runs(self):
        self.library("d/cov/lib")
        self.library("d/Program Files/cov")
        for orvilib, export, env, command in [
                ("D:/cov/lib", "runXconfig", {}, r"D:\cov\lib\revedor.exe D:\cov\lib\xconfig.tcl"),
                (r"D:\Program Files\cov", "addPath", {"ORVI_DEBUG": "1"},
                 r'"D:\Program Files\cov\revedor.exe" "D:\Program Files\cov\addpath.tcl" -debug'),
                # A trailing backslash stays; any value, in any case, switches debugging on.
                ("D:\\", "UninstInitialize", {"orvi_debug": ""},
                 r"D:\\revedor.exe D:\\delpath.tcl -debug")]:
            directory = orvilib.replace("/", "\\")
            box = orvitest.MessageBox(0, b"The command line is:\n " + command.encode(),
                                      b"Debug Report", 0x40)
            self.assertEqual(self.host(orvilib, export, env=env, status=1),  # 1 is success
                             (0, b"", f"{command}\n{export}=0 {directory} {directory}\n",
                              [box] if env else []))

    def test_failures_show_a_box_and_change_no_variable_before_the_shell_starts(self):
        shell, script, run = b"Can't find \\revedor.exe", b"Can't find tcl file", b"Can't run tcl76"
        for orvilib, export, status, message, *env in [
                (self.library("folder", shell="folder", scripts=()), "addPath", 0, shell),
                ("", "runXconfig", 0, shell),  # not the shell at the drive's root
                (self.library("one", scripts=("xconfig.tcl",)), "UninstInitialize", 0, script),
                (self.library("unstartable", shell="empty"), "runXconfig", 0, run),
                (self.library("good"), "runXconfig", -5, run),
                # The stand-in's malloc fails from 56 bytes, the size of the shell's path.
                ("D:/" + "x" * 40, "runXconfig", 0, b"Can't allocate 56 bytes of memory",
                 {"ORVI_STANDIN_MALLOC_LIMIT": "56"})]:
            variables = f"{orvilib} {orvilib}" if message == run else "old old"
            with self.subTest(orvilib=orvilib, status=status):
                exit_status, err, out, [box] = self.host(orvilib, export, status=status,
                                                         env=dict(*env))
                self.assertEqual((exit_status, err, out.splitlines()[-1], box.caption,
                                  box.text.split(b"\n")[0]),
                                 (0, b"", f"{export}=-1 {variables}", b"Error Report", message))

    def test_uninst_uninitialize_reads_nothing_and_no_orvilib_ends_the_installer(self):
        self.assertEqual(self.host(None, "UninstUnInitialize", "runXconfig"),
                         (1, b"no value for ORVILIB\r\n", "UninstUnInitialize=0 old old\n", []))

