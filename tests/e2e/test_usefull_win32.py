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
    def test_short_directory_read_once_then_names_after_it(self):
        orvitest.set_config({"ORVILIB": r"C:\Program Files\Common Files"})
        r = probe("path", "path:a.tcl", r"setlib:C:\windows", "path", "exit:b.tcl")
        self.assertEqual((r.status, r.err, r.boxes), (0, b"", []))
        short = r.lines[0]
        self.assertTrue(short.startswith("C:\\") and " " not in short and "~" in short, short)
        # The registry changed, the process kept its directory.
        self.assertEqual(r.lines[1:], [short + r"\a.tcl", short, short + r"\b.tcl"])

    def test_empty_directory_is_relative_and_fatal_endings_print_one_line(self):
        # Directories that don't exist keep their length: 1003 + 1 + 19 + NUL
        # fills the 1024-character buffer, one more never writes past it.
        d1003, d1500 = ("C:\\" + "d" * (n - 3) for n in (1003, 1500))
        for values, ops, lines, err in [
                (None, ["path"], [], "bad keylist: SOFTWARE\\Kestrova\\Vemto\\1.3"),
                ({"orvilib": "lower"}, ["path"], [], "no value for ORVILIB"),
                ({"ORVILIB": ""}, ["path", "path:x.tcl", "exit:x.tcl"],
                 ["orvilib", r"orvilib\x.tcl"], ""),
                ({"ORVILIB": d1003}, ["path:" + "f" * 19, "path:" + "t" * 20],
                 [d1003 + "\\" + "f" * 19], "library path too long: " + "t" * 20),
                ({"ORVILIB": d1500}, ["path"], [], "library path too long: " + d1500)]:
            with self.subTest(values=str(values)[:20], ops=ops[:1]):
                orvitest.set_config(values)
                r = probe(*ops)
                self.assertEqual((r.status, r.err, r.boxes, r.lines),
                                 (1, (err + "\r\n" if err else "").encode(), [], lines))

    def test_environment_first_then_registry_in_name_order(self):
        # Written in reverse: the table follows the order of the ten names,
        # not the registry's.
        orvitest.set_config({"ORVI_UMASK": "022", "orvi_trace": "lower", "ORVI_TMP": "regtmp",
                             "ORVI_TEST_FILE": "tf", "ORVI_DIR": "", "ORVI_COST": "regcost",
                             "ORVI_BLOCKONLY": "1", "ORVILIB": r"C:\windows"})
        r = probe("env:ORVI_COST", "env:orvi_cost", "env:ORVI_SIGNAL", "table", "env:ORVI_TMP",
                  "table", "env:ORVI_TEST", "env:ORVI_DIR", "env:ORVI_TRACE", "env:orvi_tmp",
                  "delkey", "env:ORVI_BLOCKONLY", "load", "table",
                  env={"ORVI_COST": "envcost", "ORVI_SIGNAL": ""})
        self.assertEqual((r.status, r.err, r.boxes), (0, b"", []))
        table = "table ORVI_BLOCKONLY=1 ORVI_COST=regcost ORVI_TEST_FILE=tf ORVI_TMP=regtmp " \
                "ORVI_UMASK=022"
        self.assertEqual(r.lines, [
            # Answered by the environment (whose names ignore case, and where
            # an empty value is set): the registry is not read.
            "ORVI_COST=[envcost]", "orvi_cost=[envcost]", "ORVI_SIGNAL=[]", "table unbuilt",
            "ORVI_TMP=[regtmp]", table,
            # The table's names are exact: no prefix match, no other case, and
            # empty data counts as absent.
            "ORVI_TEST=[]", "ORVI_DIR=[]", "ORVI_TRACE=[]", "orvi_tmp=[]",
            # Built once: a key deleted later doesn't matter.
            "ORVI_BLOCKONLY=[1]", table])

    def test_missing_key_shows_one_box_then_answers_empty(self):
        orvitest.set_config(None)
        r = probe("env:ORVI_DIR", "table", "env:ORVI_TMP", "table", "load", "env:ORVI_COST",
                  env={"ORVI_DIR": "envdir"})
        self.assertEqual((r.status, r.err, r.lines), (0, b"", [
            "ORVI_DIR=[envdir]", "table unbuilt", "ORVI_TMP=[]", "table failed", "ORVI_COST=[]"]))
        [box] = r.boxes
        self.assertEqual((box.owner, box.caption, box.style), (0, b"Error Report", 0x10))
        self.assertTrue(box.text.startswith(b"Can't get Orvi keylist\n") and len(box.text) > 23)


if __name__ == "__main__":
    unittest.main()
