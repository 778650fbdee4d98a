"""A Wine console in a tmux pane, for tests of programs that page and prompt.

The pane runs the launcher conlaunch.exe (tests/tools/conlaunch.c) under
Wine. Each job hands the launcher a program, its command line and a standard
input file; the launcher starts it with that input while the console stays
attached to the pane, so keys sent to the pane reach the program's console
input, and records the exit status. One pane serves all jobs of a test class:
a fresh Wine console takes seconds to deliver its first key. Each Console
has its own tmux server (no terminal needed), killed by close().
"""

import itertools
import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time

import orvitest

_serial = itertools.count(1)
_SGR = re.compile(r"\x1b\[([0-9;]*)m")
_OTHER_ESCAPE = re.compile(r"\x1b(?:\[[0-9;?]*[A-Za-z]|\][^\x07]*\x07|[()][A-Z0-9]|[=>])")


def launcher():
    """Path of the cross-built launcher."""
    return os.path.join(orvitest.BUILD, "tests", "conlaunch.exe")


def command_line(args):
    """A Windows command line whose C runtime splitting gives back args
    (simple quoting: enough for paths and options without quotes)."""
    return " ".join('"%s"' % a if not a or any(c in a for c in ' \t') else a for a in args)


def parse_screen(captured, rows, columns):
    """Rows of (char, highlighted) cells from 'capture-pane -p -e -N' output.
    A cell counts as highlighted in reverse video or on a background colour:
    the console's reverse attribute comes out as a colour pair."""
    lines = captured.split("\n")[:rows]
    lines += [""] * (rows - len(lines))
    screen = []
    reverse = background = False
    for line in lines:
        row, pos = [], 0
        while pos < len(line):
            m = _SGR.match(line, pos)
            if m:
                codes = [int(c) if c else 0 for c in m.group(1).split(";")]
                i = 0
                while i < len(codes):
                    c = codes[i]
                    if c == 0:
                        reverse = background = False
                    elif c in (7, 27):
                        reverse = c == 7
                    elif c in (38, 48):
                        # 38;5;n or 38;2;r;g;b: skip the colour's arguments.
                        background = background or c == 48
                        i += 2 if i + 1 < len(codes) and codes[i + 1] == 5 else 4
                    elif 40 <= c <= 49 or 100 <= c <= 107:
                        background = c != 49
                    i += 1
                pos = m.end()
                continue
            m = _OTHER_ESCAPE.match(line, pos)
            if m:
                pos = m.end()
                continue
            row.append((line[pos], reverse or background))
            pos += 1
        screen.append((row + [(" ", False)] * columns)[:columns])
    return screen


class Screen:
    """What the pane shows: text rows (trailing blanks removed) and, per row,
    a mask with '#' under highlighted cells and '.' under the others, as long
    as the text (trailing '.' removed). Trailing blanks carry no mask: Wine
    erases the rest of a row in whatever colours were last in force."""

    def __init__(self, captured, rows, columns):
        cells = parse_screen(captured, rows, columns)
        self.text = ["".join(c for c, _ in row).rstrip() for row in cells]
        self.masks = ["".join("#" if h else "." for _, h in row[:len(text)]).rstrip(".")
                      for row, text in zip(cells, self.text)]

    def __str__(self):
        return "\n".join("%-40s |%s" % (t, m) for t, m in zip(self.text, self.masks))


class Console:
    """A tmux pane of the given size running the launcher under Wine."""

    def __init__(self, rows, columns):
        self.rows, self.columns = rows, columns
        self.dir = tempfile.mkdtemp(prefix="orvi-console-")
        self.socket = "orvi-console-%d-%d" % (os.getpid(), next(_serial))
        self.jobs = 0
        self.started = False
        self.socket_path = None

    def _tmux(self, *args, check=True):
        return subprocess.run(["tmux", "-L", self.socket, "-f", os.devnull] + list(args),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, env=orvitest.wine_env(), timeout=30,
                              check=check)

    def start(self):
        # Without isig, Ctrl+Z reaches the console as a key instead of
        # stopping Wine.
        pane = "stty -isig; exec wine %s %s" % (shlex.quote(launcher()),
                                                shlex.quote(orvitest.wine_path(self.dir)))
        self._tmux("new-session", "-d", "-s", "console", "-x", str(self.columns), "-y",
                   str(self.rows), pane)
        self.started = True
        self.socket_path = self._tmux("display-message", "-p",
                                      "#{socket_path}").stdout.decode().strip()
        size = self._tmux("display-message", "-p", "#{pane_height} #{pane_width}").stdout.split()
        if [int(v) for v in size] != [self.rows, self.columns]:
            raise AssertionError("tmux pane is %s, not %d x %d" % (size, self.rows, self.columns))

    def close(self):
        if self.started:
            try:
                with open(os.path.join(self.dir, "stop"), "w"):
                    pass
                self._tmux("kill-server", check=False)
            finally:
                self.started = False
                # The server leaves its socket file behind.
                if self.socket_path and os.path.exists(self.socket_path):
                    os.unlink(self.socket_path)
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def run(self, program, args=(), stdin=b""):
        """Starts a job; returns its number for status()."""
        self.jobs += 1
        job = self.jobs
        with open(self.path("%d.in" % job), "wb") as f:
            f.write(stdin)
        line = command_line([orvitest.wine_path(program)] + list(args))
        with open(self.path("%d.cmd.new" % job), "w") as f:
            f.write(orvitest.wine_path(program) + "\n" + line + "\n")
        os.rename(self.path("%d.cmd.new" % job), self.path("%d.cmd" % job))
        return job

    def status(self, job, timeout=30):
        """The job's exit status once it has ended (AssertionError after
        timeout seconds)."""
        path = self.path("%d.status" % job)
        deadline = time.monotonic() + timeout
        while not os.path.exists(path):
            if time.monotonic() > deadline:
                raise AssertionError("job %d still running after %ss; screen:\n%s"
                                     % (job, timeout, self.screen()))
            time.sleep(0.05)
        with open(path) as f:
            text = f.read().strip()
        if not text.isdigit():
            raise AssertionError("job %d: %s" % (job, text))
        return int(text)

    def finished(self, job):
        return os.path.exists(self.path("%d.status" % job))

    def keys(self, *keys):
        """Sends tmux key names ("q", "Space", "C-z") to the pane."""
        self._tmux("send-keys", "-t", "console", *keys)

    def screen(self):
        captured = self._tmux("capture-pane", "-p", "-e", "-N", "-t", "console").stdout
        return Screen(captured.decode("utf-8", "replace"), self.rows, self.columns)

    def wait_for(self, predicate, timeout=20, what="the screen"):
        """Polls the screen until predicate(screen) holds; returns that
        screen, or fails with the last one after timeout seconds."""
        deadline = time.monotonic() + timeout
        while True:
            screen = self.screen()
            if predicate(screen):
                return screen
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %s; screen:\n%s" % (what, screen))
            time.sleep(0.05)
