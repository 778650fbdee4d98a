"""Shared helpers of the end-to-end tests.

The tests run the real programs: natively from build/native-asan/bin, or the
Windows builds under Wine in the run's private prefix (see scripts/wineprefix.sh).
ctest passes ORVI_PLATFORM, ORVI_BIN, ORVI_BUILD, ORVI_SOURCE and, for Wine,
WINEPREFIX.
"""

import os
import re
import subprocess
import tempfile
import unittest
from dataclasses import dataclass

WINDOWS = os.environ.get("ORVI_PLATFORM", "native") == "win32"
BIN = os.environ.get("ORVI_BIN", "")
BUILD = os.environ.get("ORVI_BUILD", "")
SOURCE = os.environ.get("ORVI_SOURCE", os.path.dirname(os.path.dirname(os.path.dirname(
    os.path.abspath(__file__)))))

# Lines of Wine's own tracing on standard error start with a thread id.
_TRACE_LINE = re.compile(rb"^[0-9a-f]{4}:")
_MESSAGE_BOX = re.compile(
    rb'^[0-9a-f]{4}:Call user32\.MessageBoxA\(([0-9a-f]{8}),[0-9a-f]{8} "((?:[^"\\]|\\.)*)"'
    rb',[0-9a-f]{8} "((?:[^"\\]|\\.)*)",([0-9a-f]{8})\)')
# The relay trace writes \n \r \t, \xNN for other control and high bytes, and
# a backslash before " and itself.
_ESCAPE = re.compile(rb"\\(x[0-9a-f]{2}|.)")
_CONTROL = {b"n": b"\n", b"r": b"\r", b"t": b"\t"}


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
    boxes: list


def program(name):
    """Path of a deliverable of this build."""
    return os.path.join(BIN, name + (".exe" if WINDOWS else ""))


def wine_env(extra=()):
    env = dict(os.environ)  # ctest's, with scripts/wine.env in it
    env.pop("DISPLAY", None)
    env.update(extra)
    return env


def _unescape(text):
    def byte(m):
        e = m.group(1)
        return bytes([int(e[1:], 16)]) if len(e) == 3 else _CONTROL.get(e, e)
    return _ESCAPE.sub(byte, text)


def split_trace(err):
    """Separates Wine's relay trace from a program's own standard error.
    Returns (own stderr, list of MessageBox)."""
    own, boxes = [], []
    for line in err.splitlines(keepends=True):
        m = _MESSAGE_BOX.match(line)
        if m:
            boxes.append(MessageBox(int(m.group(1), 16), _unescape(m.group(2)),
                                    _unescape(m.group(3)), int(m.group(4), 16)))
        elif not _TRACE_LINE.match(line):
            own.append(line)
    return b"".join(own), boxes


def run(args, stdin=b"", env=None, cwd=None, boxes=False, timeout=120, stdout=None):
    """Runs a program with standard input from bytes or an open file. Windows
    programs run under Wine; with boxes=True their MessageBoxA calls are traced
    and returned. Output goes through files, not pipes: Wine's helper
    processes can hold a pipe open long after the program ends. stdout="full"
    writes to /dev/full instead, a number n into a pipe closed once its first
    n bytes or fewer are read (out is then empty)."""
    cmd, run_env = list(args), dict(os.environ, **(env or {}))
    if WINDOWS and cmd[0].lower().endswith(".exe"):
        cmd = ["wine"] + cmd
        run_env = wine_env(dict(env or {}, **({"WINEDEBUG": "-all,+relay"} if boxes else {})))
    with tempfile.TemporaryFile() as inp, tempfile.TemporaryFile() as out, \
            tempfile.TemporaryFile() as err:
        if isinstance(stdin, bytes):
            inp.write(stdin)
            inp.seek(0)
            stdin = inp
        reader, target = None, out
        if stdout == "full":
            target = os.open("/dev/full", os.O_WRONLY)
        elif stdout is not None:
            reader, target = os.pipe()
        with subprocess.Popen(cmd, stdin=stdin, stdout=target, stderr=err, env=run_env,
                              cwd=cwd) as child:
            if stdout is not None:
                os.close(target)
            if reader is not None:
                os.read(reader, stdout)
                os.close(reader)
            try:
                status = child.wait(timeout)
            finally:
                child.kill()
        out.seek(0)
        err.seek(0)
        own_err, found = split_trace(err.read())
        return Result(status, out.read(), own_err, found)


def wine_path(path):
    """The Windows name of a Unix path inside the prefix's Z: drive."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def reg(*args):
    """Runs 'wine reg' with the given arguments; returns its exit status."""
    return subprocess.run(["wine", "reg", *args], stdin=subprocess.DEVNULL,
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                          env=wine_env(), timeout=120).returncode


def reg_text(data):
    """A registry value's data as a quoted string of a .reg file."""
    return '"' + data.replace("\\", "\\\\").replace('"', '\\"') + '"'


def reg_import(text):
    """Imports .reg file lines ("[-KEY]" deletes a key) with one 'wine reg
    import'; returns its exit status."""
    body = "Windows Registry Editor Version 5.00\r\n\r\n" + text.replace("\n", "\r\n") + "\r\n"
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "import.reg")
        with open(path, "wb") as f:
            f.write(b"\xff\xfe" + body.encode("utf-16-le"))
        return reg("import", wine_path(path))


# The suite's configuration key, shared by the tests of the library's users.
CONFIG_KEY = r"HKEY_LOCAL_MACHINE\SOFTWARE\Kestrova\Vemto\1.3"


def set_config(values):
    """Replaces the configuration key by one holding values (.reg lines or a
    dict of string values, in order), or removes it when values is None."""
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
        cls.saved_dir = tempfile.TemporaryDirectory()
        cls.saved = wine_path(os.path.join(cls.saved_dir.name, "saved.reg"))
        cls.existed = reg("export", CONFIG_KEY, cls.saved, "/y") == 0

    @classmethod
    def tearDownClass(cls):
        reg("delete", CONFIG_KEY, "/f")
        if cls.existed:
            reg("import", cls.saved)
        cls.saved_dir.cleanup()
