"""Library paths, the registry-backed environment and the Error Report box under
Wine. Their state is process-wide, so every case is one run of usefull_probe,
which calls them in the order of its arguments."""

import os
import unittest

import orvitest

for name in "BLOCKONLY COMPRESS COST DIR SIGNAL TEST TEST_FILE TMP TRACE UMASK".split():
    os.environ.pop("ORVI_" + name, None)  # no setting reaches a probe unless a case gives it


def probe(*ops, env=None):
    r = orvitest.run([os.path.join(orvitest.BUILD, "tests", "usefull_probe.exe"), *ops], env=env,
                     boxes=True)
    return r.status, r.err.decode(), r.out.decode("latin-1").split("\r\n")[:-1], r.boxes


@unittest.skipUnless(orvitest.WINDOWS, "the registry services are Windows only")
class RegistryServicesTest(orvitest.ConfigKeyTest):
    def test_library_paths(self):
        orvitest.set_config({"ORVILIB": r"C:\Program Files\Common Files"})
        status, err, lines, boxes = probe("path", "path:a.tcl", "delkey", "path", "exit:b.tcl")
        # The short form, read once: the key removed later doesn't matter.
        short = lines[0]
        self.assertTrue(short.startswith("C:\\") and " " not in short and "~" in short, short)
        self.assertEqual((status, err, boxes, lines[1:]),
                         (0, "", [], [short + r"\a.tcl", short, short + r"\b.tcl"]))
        # Endings with status 1. 1003 + 1 + 19 + NUL fills the 1024-byte buffer.
        long = "C:\\" + "d" * 1000
        for values, ops, lines, err in [
                (None, ["path"], [], "bad keylist: SOFTWARE\\Kestrova\\Vemto\\1.3\r\n"),
                ({"ORVILIB": ""}, ["path", "path:x", "exit:x"], ["orvilib", r"orvilib\x"], ""),
                ({"ORVILIB": long}, ["path:" + "f" * 19, "path:" + "t" * 20],
                 [long + "\\" + "f" * 19], "library path too long: " + "t" * 20 + "\r\n")]:
            with self.subTest(values=str(values)[:20]):
                orvitest.set_config(values)
                self.assertEqual(probe(*ops), (1, err, lines, []))

    def test_environment_first_then_the_registry_read_once(self):
        orvitest.set_config({"ORVI_UMASK": "022", "orvi_trace": "lower", "ORVI_TMP": "regtmp",
                             "ORVI_TEST_FILE": "tf", "ORVI_DIR": "", "ORVI_COST": "regcost"})
        ops = ["env:orvi_cost", "env:ORVI_SIGNAL", "env:ORVI_TMP", "env:ORVI_TEST", "env:ORVI_DIR",
               "env:ORVI_TRACE", "env:orvi_tmp", "delkey", "env:ORVI_UMASK"]
        self.assertEqual(probe(*ops, env={"ORVI_COST": "envcost", "ORVI_SIGNAL": ""}), (0, "", [
            # The environment first (its names ignore case, an empty value is
            # set); the registry's names are exact and its empty data absent.
            "orvi_cost=[envcost]", "ORVI_SIGNAL=[]", "ORVI_TMP=[regtmp]", "ORVI_TEST=[]",
            "ORVI_DIR=[]", "ORVI_TRACE=[]", "orvi_tmp=[]", "ORVI_UMASK=[022]"], []))

    def test_missing_key_shows_one_box_and_codes_without_a_text_none(self):
        # The environment answers without reading the registry, whose key is
        # gone when it is first needed.
        orvitest.set_config({"ORVI_TMP": "regtmp"})
        status, err, lines, boxes = probe("env:ORVI_DIR", "delkey", "env:ORVI_TMP", "env:ORVI_TMP",
                                          "report:0x2000ABCD:no text", "report:2:Can't",
                                          env={"ORVI_DIR": "envdir"})
        self.assertEqual((status, err, lines), (0, "", ["ORVI_DIR=[envdir]", "ORVI_TMP=[]",
                                                        "ORVI_TMP=[]"]))
        self.assertEqual([(b.owner, b.caption, b.style) for b in boxes],
                         [(0, b"Error Report", 16)] * 2)
        self.assertTrue(boxes[0].text.startswith(b"Can't get Orvi keylist\n") and
                        boxes[1].text.startswith(b"Can't\n") and len(boxes[1].text) > 8, boxes)

