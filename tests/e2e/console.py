"""A Wine console in a tmux pane (its own tmux server) running the launcher
tests/tools/conlaunch.c, which starts each job's program with a standard input
file while keys sent to the pane reach its console input."""

import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time

import orvitest

_SGR = re.compile(r"\x1b\[([0-9;]*)m")
_OTHER_ESCAPE = re.compile(r"\x1b(?:\[[0-9;?]*[A-Za-z]|\][^\x07]*\x07|[()][A-Z0-9]|[=>])")


def _highlight(codes, reverse, background):
    """The state after one SGR sequence. The console's reverse attribute comes
    out as a colour pair, so a background colour counts as highlighted too."""
    i = 0
    while i < len(codes):
        c = codes[i]
        if c == 0:
            reverse = background = False
        elif c in (7, 27):
            reverse = c == 7
        elif c in (38, 48):  # 38;5;n or 38;2;r;g;b: skip the colour's arguments
            background = background or c == 48
            i += 2 if i + 1 < len(codes) and codes[i + 1] == 5 else 4
        elif 40 <= c <= 49 or 100 <= c <= 107:
            background = c != 49
        i += 1
    return reverse, background


class Screen:
    """Text rows and masks ('#' under highlighted cells), both without trailing
    blanks: Wine erases the rest of a row in whatever colours were in force."""

    def __init__(self, captured, rows):
        self.text, self.masks = [], []
        state = (False, False)
        for line in (captured.split("\n")[:rows] + [""] * rows)[:rows]:
            cells, pos = [], 0
            while pos < len(line):
                m = _SGR.match(line, pos)
                if m:
                    state = _highlight([int(c or 0) for c in m.group(1).split(";")], *state)
                else:
                    m = _OTHER_ESCAPE.match(line, pos)
                if m:
                    pos = m.end()
                else:
                    cells.append((line[pos], any(state)))
                    pos += 1
            text = "".join(c for c, _ in cells).rstrip()
            self.text.append(text)
            self.masks.append("".join("#" if h else "." for _, h in cells[:len(text)]).rstrip("."))

    def __str__(self):
        return "\n".join("%-40s |%s" % row for row in zip(self.text, self.masks))


class Console:
    def __init__(self, rows, columns):
        self.rows, self.columns = rows, columns
        self.dir = tempfile.mkdtemp(prefix="orvi-console-")
        self.socket = "orvi-console-%d" % os.getpid()
        self.jobs = 0

    def _tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket, "-f", os.devnull] + list(args),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, env=orvitest.wine_env(), timeout=30)

    def start(self):
        # Without isig, Ctrl+Z reaches the console as a key instead of
        # stopping Wine.
        launcher = os.path.join(orvitest.BUILD, "tests", "conlaunch.exe")
        pane = "stty -isig; exec wine %s %s" % (shlex.quote(launcher),
                                                shlex.quote(orvitest.wine_path(self.dir)))
        self._tmux("new-session", "-d", "-s", "console", "-x", str(self.columns), "-y",
                   str(self.rows), pane)
        self.socket_path = self._tmux("display-message", "-p",
                                      "#{socket_path}").stdout.decode().strip()

    def close(self):
        open(self.path("stop"), "w").close()
        self._tmux("kill-server")
        # The server leaves its socket file behind.
        if self.socket_path and os.path.exists(self.socket_path):
            os.unlink(self.socket_path)
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, name):
        return os.path.join(self.dir, name)

    def run(self, program, stdin):
        self.jobs += 1
        with open(self.path("%d.in" % self.jobs), "wb") as f:
            f.write(stdin)
        with open(self.path("cmd.new"), "w") as f:
            f.write(orvitest.wine_path(program) + "\n")
        os.rename(self.path("cmd.new"), self.path("%d.cmd" % self.jobs))
        return self.jobs

    def finished(self, job):
        return os.path.exists(self.path("%d.status" % job))

    def status(self, job, timeout=30):
        """The job's exit status (int), or the launcher's error (str)."""
        self.wait_for(lambda _: self.finished(job), timeout, "the end of job %d" % job)
        with open(self.path("%d.status" % job)) as f:
            text = f.read().strip()
        return int(text) if text.isdigit() else text

    def keys(self, *keys):
        self._tmux("send-keys", "-t", "console", *keys)

    def screen(self):
        captured = self._tmux("capture-pane", "-p", "-e", "-N", "-t", "console").stdout
        return Screen(captured.decode("utf-8", "replace"), self.rows)

    def wait_for(self, predicate, timeout=20, what="the screen"):
        deadline = time.monotonic() + timeout
        while True:
            screen = self.screen()
            if predicate(screen):
                return screen
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %s; screen:\n%s" % (what, screen))
            time.sleep(0.05)
