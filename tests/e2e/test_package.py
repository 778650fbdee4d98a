"""The release packages as users get them, after scripts/package.sh --check has
built them twice in two directories and found the bytes equal."""

import os
import pathlib
import re
import shutil
import subprocess
import tempfile
import unittest

import orvitest
import test_imports_win32 as test_imports

V = re.search(r"project\(\w+ VERSION (\S+)", pathlib.Path(orvitest.SOURCE, "CMakeLists.txt")
              .read_text()).group(1)
ZIP, TARBALL = f"orvi-wintools-{V}-win32.zip", f"orvi-wintools-{V}-linux-x86_64.tar.gz"
DEB = f"orvi-wintools_{V}_amd64.deb"
EXAMPLES = os.path.join(orvitest.SOURCE, "examples")
GOLDEN = pathlib.Path(orvitest.SOURCE, "tools/wintools/glimpage/golden/hello.txt").read_bytes()
STRINGS = ["FileDescription", "FileVersion", "InternalName", "LegalCopyright", "OriginalFilename",
           "ProductName", "ProductVersion"]  # all verinfo.exe is asked for: no copyright line
RESOURCE = (r"^FileDescription=[A-Z][^\r]{{10,70}}\r\nFileVersion={v}.0\r\n"
            r"InternalName={name}\r\nOriginalFilename={name}\.{ext}\r\n"
            r"ProductName=Orvi Windows support tools\r\nProductVersion={v}.0\r\n$")


def output(*args, **kw):
    return subprocess.run(args, check=True, capture_output=True, timeout=600, **kw).stdout


@unittest.skipUnless(orvitest.WINDOWS, "packages the Windows build too")
class Packages(unittest.TestCase):

    @classmethod
    def setUpClass(cls):
        cls.dist = os.path.join(orvitest.BUILD, "dist")
        output("sh", os.path.join(orvitest.SOURCE, "scripts/package.sh"), "--check", cls.dist)
        output("sha256sum", "--strict", "-c", "SHA256SUMS", cwd=cls.dist)
        cls.tmp = tempfile.mkdtemp(prefix="orvi-package-")  # outside the build tree
        cls.addClassCleanup(shutil.rmtree, cls.tmp)
        cls.cafe = os.path.join(cls.tmp, "cafe.txt")
        pathlib.Path(cls.cafe).write_bytes(b"\xff\xfec\x00a\x00f\x00\xe9\x00")  # UTF-16LE

    def run_example(self, program):  # glimrtf and glimhtml set the header bold italic
        with open(os.path.join(EXAMPLES, "hello.hls"), "rb") as script:
            listing = orvitest.run([program("glimpage")], script, cwd=EXAMPLES)
        self.assertIn(b"\\b\\i h", orvitest.run([program("glimrtf")], listing.out).out)
        self.assertIn(b"<mark>hello.c:", orvitest.run([program("glimhtml")], listing.out).out)
        return listing.out

    def test_zip_programs_run_where_unpacked_under_a_fresh_prefix(self):
        zip, unpacked = os.path.join(self.dist, ZIP), os.path.join(self.tmp, "zip")
        output("unzip", "-q", zip, "-d", unpacked)
        self.assertEqual(sorted(os.listdir(unpacked)), ["README.txt"] + test_imports.DELIVERABLES)
        self.assertNotIn(b"\n", output("unzip", "-p", zip, "README.txt").replace(b"\r\n", b""))
        test_imports.check_system_imports(self, unpacked)
        script = os.path.join(orvitest.SOURCE, "scripts/wineprefix.sh")
        prefix = os.path.join(self.tmp, "prefix")
        output("sh", script, "setup", prefix)
        self.addCleanup(output, "sh", script, "remove", prefix)
        os.environ["WINEPREFIX"] = prefix  # for every Wine run of orvitest
        tests, exe = os.path.join(orvitest.BUILD, "tests"), lambda n: f"{unpacked}/{n}.exe"
        lib = orvitest.wine_path(unpacked)  # also the library directory of orvilib and orviinst
        for name in test_imports.DELIVERABLES:
            info = orvitest.run([tests + "/verinfo.exe", f"{lib}\\{name}", *STRINGS])
            self.assertRegex(info.out.decode(), RESOURCE.format(v=V, name=name[:-4], ext=name[-3:]))
        self.assertEqual(self.run_example(exe), GOLDEN)
        self.assertEqual(orvitest.run([exe("wideconv"), self.cafe]).out, b"caf\xe9")
        shutil.copy(tests + "/orviinst_host.exe", unpacked + "/revedor.exe")  # the shell too
        pathlib.Path(unpacked, "xconfig.tcl").touch()
        orvitest.set_config({"ORVILIB": lib})
        self.assertEqual(orvitest.run([exe("orvilib"), "-b"]).out, lib.encode() + b"\r\n")
        host = orvitest.run([tests + "/orviinst_host.exe", lib + "\\orviinst.dll", "runXconfig"],
                            env={"ORVI_STANDIN_STATUS": "0"})
        self.assertIn(b"\\xconfig.tcl\r\nrunXconfig=0 ", host.out)

    def test_debian_package_tools_and_pages_run_from_a_scratch_root(self):
        deb, root = os.path.join(self.dist, DEB), os.path.join(self.tmp, "root")
        fields = output("dpkg-deb", "-f", deb, "Package", "Version", "Architecture", "Depends")
        self.assertRegex(fields.decode(), rf"^Package: orvi-wintools\nVersion: {V}\nArchitecture: "
                                          r"amd64\nDepends: libc6 \(>= [\d.]+\)")
        # All in /usr, the tarball's tree (its pages uncompressed), and Debian's own files.
        members = [m.split()[-1] for m in output("dpkg-deb", "-c", deb).decode().splitlines()
                   if not re.search(r"/share/(doc|lintian)/", m)]
        tarball = output("tar", "-tzf", os.path.join(self.dist, TARBALL)).decode().split()
        self.assertEqual(members, ["./"] + [m.replace(f"orvi-wintools-{V}/", "./usr/", 1) +
                                            ".gz" * m.endswith(".1") for m in tarball])
        # Debian's policy as lintian checks it, hardening and informational tags included: no
        # tag but those the package overrides, each with its reason.
        lint = orvitest.run(["lintian", "--allow-root", "--display-info", deb])
        self.assertEqual((lint.status, lint.out.decode()), (0, ""))
        output("dpkg-deb", "-x", deb, root)
        tool = lambda name: os.path.join(root, "usr/bin", name)
        self.assertEqual(self.run_example(tool), GOLDEN.replace(b"\r\n", b"\n"))
        self.assertEqual(orvitest.run([tool("wideconv"), self.cafe], env={"LC_ALL": "C.UTF-8"}).out,
                         "café".encode())
        for name in (page for _, _, _, page in test_imports.DECLARED if page != "-"):
            page = os.path.join(root, f"usr/share/man/man1/{name}.gz")
            shown = orvitest.run(["man", "--warnings", "-l", page])
            lint = orvitest.run(["mandoc", "-T", "lint", "-W", "warning", page])
            self.assertEqual((shown.err, lint.status, lint.out + lint.err, f"orvi-wintools {V}" in
                              shown.out.decode()), (b"", 0, b"", True))

