"""A Wine console in a tmux pane (its own tmux server) running the launcher
tests/tools/conlaunch.c, which starts each job's program with standard input
from a file or FIFO while keys sent to the pane reach its console input."""

import os
import re
import shlex
import shutil
import subprocess
import tempfile
import time

import orvitest

_ESCAPE = re.compile(r"\x1b\[([0-9;]*)m|\x1b(?:\[[0-9;?]*[A-Za-z]|\][^\x07]*\x07|[()][A-Z0-9]|[=>])")


def _highlight(codes, reverse, background):
    """(reverse, background) after an SGR sequence: reverse video, or a
    background colour, which is how the console's reverse attribute shows."""
    for c in codes:
        if c in (0, 7, 27):
            reverse = c == 7
        if c == 0 or 40 <= c <= 49 or 100 <= c <= 107:
            background = c not in (0, 49)
    return reverse, background


class Screen:
    """Text rows and masks ('#' under highlighted cells), both without trailing
    blanks: Wine erases the rest of a row in whatever colours were in force."""

    def __init__(self, captured, rows):
        self.text, self.masks, state = [], [], (False, False)
        for line in (captured.split("\n") + [""] * rows)[:rows]:
            cells, pos = [], 0
            while pos < len(line):
                m = _ESCAPE.match(line, pos)
                if m and m.group(1) is not None:
                    state = _highlight([int(c or 0) for c in m.group(1).split(";")], *state)
                elif not m:
                    cells.append((line[pos], any(state)))
                pos = m.end() if m else pos + 1
            text = "".join(c for c, _ in cells).rstrip()
            self.text.append(text)
            self.masks.append("".join("#" if h else "." for _, h in cells[:len(text)]).rstrip("."))

    def __str__(self):
        return "\n".join("%-40s |%s" % row for row in zip(self.text, self.masks))


class Console:
    def __init__(self, rows, columns):
        self.rows, self.columns, self.jobs, self.writers = rows, columns, 0, {}
        self.dir = tempfile.mkdtemp(prefix="orvi-console-")
        self.socket = "orvi-console-%d" % os.getpid()

    def _tmux(self, *args):
        return subprocess.run(["tmux", "-L", self.socket, "-f", os.devnull] + list(args),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, env=orvitest.wine_env(), timeout=30)

    def start(self):
        # Without isig, Ctrl+Z reaches the console as a key instead of stopping Wine.
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

    def run(self, program, stdin, more=False):
        """Starts a job on stdin. With more=True the input is a FIFO that
        feed() goes on filling; it is held open for writing before the job
        opens it, so that neither side waits for the other."""
        self.jobs += 1
        if more:
            os.mkfifo(self.path("%d.in" % self.jobs))
            self.writers[self.jobs] = os.open(self.path("%d.in" % self.jobs), os.O_RDWR)
            os.write(self.writers[self.jobs], stdin)
        else:
            with open(self.path("%d.in" % self.jobs), "wb") as f:
                f.write(stdin)
        with open(self.path("cmd.new"), "w") as f:
            f.write(orvitest.wine_path(program) + "\n")
        os.rename(self.path("cmd.new"), self.path("%d.cmd" % self.jobs))
        return self.jobs

    def feed(self, job, data):
        """Writes the rest of a job's input and ends it."""
        if job in self.writers:
            os.write(self.writers[job], data)
            os.close(self.writers.pop(job))

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
        while not predicate(self.screen()):
            if time.monotonic() > deadline:
                raise AssertionError("timed out waiting for %s; screen:\n%s" %
                                     (what, self.screen()))
            time.sleep(0.05)
