"""Shared helpers of the end-to-end tests.

The tests run the real programs: natively from build/native-asan/bin, or the
Windows builds under Wine in the run's private prefix (see wine_fixture.sh).
ctest passes ORVI_PLATFORM, ORVI_BIN, ORVI_BUILD, ORVI_SOURCE and, for Wine,
WINEPREFIX.
"""

import os
import re
import subprocess
import tempfile
import unittest
from dataclasses import dataclass, field

PLATFORM = os.environ.get("ORVI_PLATFORM", "native")
WINDOWS = PLATFORM == "win32"
BIN = os.environ.get("ORVI_BIN", "")
BUILD = os.environ.get("ORVI_BUILD", "")
SOURCE = os.environ.get("ORVI_SOURCE", os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))

# Lines of Wine's own tracing on standard error start with a thread id.
_TRACE_LINE = re.compile(rb"^[0-9a-f]{4}:")
_MESSAGE_BOX = re.compile(
    rb'^[0-9a-f]{4}:Call user32\.MessageBoxA\(([0-9a-f]{8}),[0-9a-f]{8} "((?:[^"\\]|\\.)*)"'
    rb',[0-9a-f]{8} "((?:[^"\\]|\\.)*)",([0-9a-f]{8})\)')


@dataclass
class MessageBox:
    owner: int
    text: bytes
    caption: bytes
    style: int


@dataclass
class Result:
    status: int
    out: bytes
    err: bytes
    boxes: list = field(default_factory=list)


def program(name):
    """Path of a deliverable of this build."""
    return os.path.join(BIN, name + (".exe" if WINDOWS else ""))


def wine_env(extra=None):
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    env.setdefault("WINEDEBUG", "-all")
    env.setdefault("WINEDLLOVERRIDES", "mscoree,mshtml=")
    if extra:
        env.update(extra)
    return env


def _unescape(text):
    """Undoes the C-style escapes of Wine's relay trace strings."""
    out = bytearray()
    i = 0
    simple = {ord("n"): 10, ord("r"): 13, ord("t"): 9, ord("\\"): 92, ord('"'): 34,
              ord("'"): 39, ord("a"): 7, ord("b"): 8, ord("f"): 12, ord("v"): 11}
    while i < len(text):
        c = text[i]
        if c != 0x5C or i + 1 == len(text):
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        if n in simple:
            out.append(simple[n])
            i += 2
        elif n == ord("x"):
            j = i + 2
            while j < len(text) and j < i + 4 and chr(text[j]) in "0123456789abcdefABCDEF":
                j += 1
            out.append(int(text[i + 2:j], 16))
            i = j
        elif ord("0") <= n <= ord("7"):
            j = i + 1
            while j < len(text) and j < i + 4 and ord("0") <= text[j] <= ord("7"):
                j += 1
            out.append(int(text[i + 1:j], 8) & 0xFF)
            i = j
        else:
            out.append(n)
            i += 2
    return bytes(out)


def split_trace(err):
    """Separates Wine's relay trace from a program's own standard error.
    Returns (own stderr, list of MessageBox)."""
    own, boxes = [], []
    for line in err.splitlines(keepends=True):
        if not _TRACE_LINE.match(line):
            own.append(line)
            continue
        m = _MESSAGE_BOX.match(line)
        if m:
            boxes.append(MessageBox(int(m.group(1), 16), _unescape(m.group(2)),
                                    _unescape(m.group(3)), int(m.group(4), 16)))
    return b"".join(own), boxes


def run(args, stdin=b"", env=None, cwd=None, boxes=False, timeout=120):
    """Runs a program (args[0] a path from program() or any command) with
    standard input from bytes, or from an open file when stdin is a file object.
    Windows programs run under Wine; with boxes=True their MessageBoxA calls
    are traced and returned. Output goes through files, not pipes: Wine's
    helper processes can hold a pipe open long after the program ends."""
    cmd = list(args)
    if WINDOWS and cmd[0].lower().endswith((".exe", ".com")):
        cmd = ["wine"] + cmd
        extra = dict(env or {})
        if boxes:
            extra["WINEDEBUG"] = "-all,+relay"
        run_env = wine_env(extra)
    else:
        run_env = dict(os.environ)
        run_env.update(env or {})
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        if isinstance(stdin, (bytes, bytearray)):
            with tempfile.TemporaryFile() as inp:
                inp.write(stdin)
                inp.seek(0)
                status = subprocess.run(cmd, stdin=inp, stdout=out, stderr=err, env=run_env,
                                        cwd=cwd, timeout=timeout).returncode
        else:
            status = subprocess.run(cmd, stdin=stdin, stdout=out, stderr=err, env=run_env,
                                    cwd=cwd, timeout=timeout).returncode
        out.seek(0)
        err.seek(0)
        own_err, found = split_trace(err.read())
        return Result(status, out.read(), own_err, found)


def wine_path(path):
    """The Windows name of a Unix path inside the prefix's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def reg(*args):
    """Runs 'wine reg' with the given arguments; returns its exit status."""
    return subprocess.run(["wine", "reg"] + list(args), stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          env=wine_env(), timeout=120).returncode


def reg_text(data):
    """A registry value's data as a quoted string of a .reg file."""
    return '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_import(text):
    """Imports .reg file contents (the lines after the header; "[-KEY]" deletes
    a key) with one 'wine reg import'; returns its exit status."""
    body = "Windows Registry Editor Version 5.00\r\n\r\n" + text.replace("\r\n", "\n").replace(
        "\n", "\r\n") + "\r\n"
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "import.reg")
        with open(path, "wb") as f:
            f.write(b"\xff\xfe" + body.encode("utf-16-le"))
        return reg("import", wine_path(path))


class SavedKey:
    """Keeps a registry key's state across a test that changes it: save() exports
    it (or notes that it is missing), restore() puts it back as it was."""

    def __init__(self, key):
        self.key = key
        self.tmp = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.tmp.name, "saved.reg")
        self.existed = False

    def save(self):
        self.existed = reg("export", self.key, wine_path(self.path), "/y") == 0

    def restore(self):
        reg("delete", self.key, "/f")
        if self.existed:
            reg("import", wine_path(self.path))
        self.tmp.cleanup()


# The suite's configuration key, shared by the tests of the library's users.
CONFIG_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Vemto\1.3"


def set_config(values):
    """Replaces the configuration key by one holding values, or removes it when
    values is None. values is .reg text ('"NAME"=dword:...' lines) or a dict of
    string values, written in its order."""
    text = "[-" + CONFIG_KEY + "]\n"
    if values is not None:
        if isinstance(values, dict):
            values = "".join(reg_text(k) + "=" + reg_text(v) + "\n" for k, v in values.items())
        text += "[" + CONFIG_KEY + "]\n" + values
    assert reg_import(text) == 0


class ConfigKeyTest(unittest.TestCase):
    """Base of the tests that change the configuration key: other tests of the
    run share it (ctest serialises them with RESOURCE_LOCK), so it is put back
    as it was found."""

    @classmethod
    def setUpClass(cls):
        cls.saved_config = SavedKey(CONFIG_KEY)
        cls.saved_config.save()

    @classmethod
    def tearDownClass(cls):
        cls.saved_config.restore()
