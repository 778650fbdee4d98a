"""Library paths and the registry-backed environment under Wine, against the
real registry and environment. Both keep process-wide state, so every case is
one run of usefull_probe, which calls them in the order of its arguments."""

import os
import unittest

import orvitest

SETTINGS = ("ORVI_BLOCKONLY", "ORVI_COMPRESS", "ORVI_COST", "ORVI_DIR", "ORVI_SIGNAL",
            "ORVI_TEST", "ORVI_TEST_FILE", "ORVI_TMP", "ORVI_TRACE", "ORVI_UMASK")


# None of the ten settings reaches a probe unless a case gives it.
for name in [n for n in os.environ if n.upper() in SETTINGS]:
    del os.environ[name]


def probe(*ops, env=None):
    result = orvitest.run([os.path.join(orvitest.BUILD, "tests", "usefull_probe.exe"), *ops],
                          env=env, boxes=True)
    result.lines = result.out.decode("latin-1").split("\r\n")[:-1]
    return result


@unittest.skipUnless(orvitest.WINDOWS, "the registry services are Windows only")
class RegistryServicesTest(orvitest.ConfigKeyTest):
    def assertClean(self, result, status=0, err=b""):
        self.assertEqual((result.status, result.err, result.boxes), (status, err, []))

    def test_short_directory_read_once_then_names_after_it(self):
        orvitest.set_config({"ORVILIB": r"C:\Program Files\Common Files"})
        r = probe("path", "path:a.tcl", "path", r"setlib:C:\windows", "path", "exit:b.tcl",
                  "exit", "env:ORVI_TMP", "table")
        self.assertClean(r)
        short = r.lines[0]
        self.assertTrue(short.startswith("C:\\") and " " not in short and "~" in short, short)
        self.assertEqual(r.lines[1:], [
            short + r"\a.tcl", short,
            short,  # the registry changed, the process kept its directory
            short + r"\b.tcl", short,
            "ORVI_TMP=[]", "table"])

    def test_empty_directory_is_relative_and_fatal_endings_print_one_line(self):
        # Directories that don't exist keep their length: 1003 + 1 + 19 + NUL
        # fills the 1024-character buffer, one more never writes past it.
        fits, too_long = "f" * 19, "t" * 20
        d1003, d1023, d1500 = ("C:\\" + "d" * (n - 3) for n in (1003, 1023, 1500))
        for directory, ops, lines, err in [
                (None, ["path"], [], "bad keylist: SOFTWARE\\Kestrova\\Vemto\\1.3"),
                ("", ["path", "path:x.tcl", "exit:x.tcl", "path"],
                 ["orvilib", r"orvilib\x.tcl"], ""),
                (d1003, ["path:" + fits, "path:" + too_long, "path"], [d1003 + "\\" + fits],
                 "library path too long: " + too_long),
                (d1023, ["path", "path:x"], [d1023], "library path too long: x"),
                (d1500, ["path", "path:x"], [], "library path too long: " + d1500)]:
            with self.subTest(directory=directory and directory[:10], ops=ops[:1]):
                orvitest.set_config(None if directory is None else {"ORVILIB": directory})
                r = probe(*ops)
                self.assertClean(r, status=1, err=(err + "\r\n" if err else "").encode())
                self.assertEqual(r.lines, lines)

    def test_environment_first_then_registry_in_name_order(self):
        # Written in reverse: the table follows the order of the ten names,
        # not the registry's.
        orvitest.set_config({"ORVI_UMASK": "022", "orvi_trace": "lower", "ORVI_TMP": "regtmp",
                             "ORVI_TEST_FILE": "tf", "ORVI_SIGNAL": "sig", "ORVI_DIR": "",
                             "ORVI_COST": "regcost", "ORVI_COMPRESS": "0",
                             "ORVI_BLOCKONLY": "1", "ORVILIB": r"C:\windows"})
        r = probe("env:ORVI_COST", "env:orvi_cost", "env:ORVI_SIGNAL", "table",
                  "env:ORVI_TMP", "table",
                  "env:ORVI_TEST", "env:ORVI_TEST_FILE", "env:ORVI_DIR", "env:ORVI_TRACE",
                  "env:orvi_tmp", "env:ORVI_UMASK", "env:OTHER",
                  "delkey", "env:ORVI_BLOCKONLY", "load", "table",
                  env={"ORVI_COST": "envcost", "ORVI_SIGNAL": ""})
        self.assertEqual((r.status, r.err, r.boxes), (0, b"", []))
        table = ("table ORVI_BLOCKONLY=1 ORVI_COMPRESS=0 ORVI_COST=regcost ORVI_SIGNAL=sig "
                 "ORVI_TEST_FILE=tf ORVI_TMP=regtmp ORVI_UMASK=022")
        self.assertEqual(r.lines, [
            # Answered by the environment (whose names ignore case, and where
            # an empty value is set): the registry is not read.
            "ORVI_COST=[envcost]", "orvi_cost=[envcost]", "ORVI_SIGNAL=[]", "table unbuilt",
            "ORVI_TMP=[regtmp]", table,
            # The table's names are exact: no prefix match, no other case, and
            # empty data counts as absent.
            "ORVI_TEST=[]", "ORVI_TEST_FILE=[tf]", "ORVI_DIR=[]", "ORVI_TRACE=[]",
            "orvi_tmp=[]", "ORVI_UMASK=[022]", "OTHER=[]",
            # Built once: a key deleted later doesn't matter.
            "ORVI_BLOCKONLY=[1]", table])

    def test_missing_key_shows_one_box_then_answers_empty(self):
        orvitest.set_config(None)
        r = probe("env:ORVI_DIR", "table", "env:ORVI_TMP", "table", "env:ORVI_COST", "load",
                  "env:ORVI_TMP", "env:ORVI_DIR", env={"ORVI_DIR": "envdir"})
        self.assertEqual((r.status, r.err), (0, b""))
        self.assertEqual(r.lines, [
            "ORVI_DIR=[envdir]", "table unbuilt", "ORVI_TMP=[]", "table failed", "ORVI_COST=[]",
            "ORVI_TMP=[]", "ORVI_DIR=[envdir]"])
        [box] = r.boxes
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        self.assertTrue(box.text.startswith(b"Can't get Orvi keylist\n") and len(box.text) > 23)


if __name__ == "__main__":
    unittest.main()
