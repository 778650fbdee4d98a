"""A program on a console in a tmux pane of its own tmux server, the screen
captured as text. A Windows program runs in a Wine console, started by Wine's
cmd with standard input redirected from a file or FIFO (a shell's redirect
would become the console's input too, and keys would never reach it). A
native program pages on the pane's terminal itself, as a job of the pane's
shell, which keeps the terminal's modes before it (stty.before), each time it
is stopped (stty.stopped, then it continues the job) and after it
(stty.after), and prints its status on the screen, followed by any keys the
program left unread."""

import os
import pathlib
import re
import shlex
import shutil
import subprocess
import tempfile
import time

import orvitest

# An SGR sequence (its codes), another escape sequence, or a character.
_TOKEN = re.compile(r"\x1b\[([0-9;]*)m|(\x1b(?:\[[0-9;?]*[A-Za-z]|\][^\x07]*\x07|[()][A-Z0-9]|[=>]))|(.)")


def screen_rows(captured, rows):
    """The rows of a capture with escapes as text, highlighted stretches in
    brackets (reverse video, or a background colour: how the console's reverse
    attribute shows) and trailing blanks dropped (Wine erases the rest of a
    row in whatever colours are in force)."""
    texts, reverse, background = [], False, False
    for line in (captured.split("\n") + [""] * rows)[:rows]:
        text = ""
        for sgr, other, char in _TOKEN.findall(line):
            if char:
                text += "[%s]" % char if reverse or background else char
            elif not other:
                for code in (int(c or 0) for c in sgr.split(";")):
                    if code in (0, 7, 27):
                        reverse = code == 7
                    if code == 0 or 40 <= code <= 49 or 100 <= code <= 107:
                        background = code not in (0, 49)
        texts.append(re.sub(r"(\[ \]| )+$", "", text).replace("][", ""))
    return texts


class Console:
    """A pane of rows x columns; its program runs in the scratch folder dir."""

    def __init__(self, rows, columns):
        self.rows, self.columns, self.writer = rows, columns, None
        self.dir = tempfile.mkdtemp(prefix="orvi-console-")
        self.tmux = ["tmux", "-S", os.path.join(self.dir, "tmux"), "-f", os.devnull]

    def _tmux(self, *args):
        return subprocess.run(self.tmux + list(args), stdin=subprocess.DEVNULL,
                              capture_output=True, env=orvitest.wine_env(),
                              timeout=30).stdout.decode("utf-8", "replace")

    def start(self, program, stdin, more=False, locale="C"):
        """Runs program on stdin in locale (LC_ALL); with more=True on a FIFO
        that feed() fills (open for writing first, so that opening it does not
        wait)."""
        if more:
            os.mkfifo(os.path.join(self.dir, "in"))
            self.writer = os.open(os.path.join(self.dir, "in"), os.O_RDWR)
            os.write(self.writer, stdin)
        else:
            pathlib.Path(self.dir, "in").write_bytes(stdin)
        if program.endswith(".exe"):
            # Without isig, Ctrl+Z reaches the console as a key instead of
            # stopping Wine.
            run = "stty -isig; wine cmd /c %s; s=$?" % shlex.quote(orvitest.wine_path(program) + " < in")
        else:
            # Ctrl+C ends the job, not the shell; a shell that restored the
            # modes itself would hide a program that does not. What the job
            # left unread of the keys is shown after its status.
            run = ("set -m; trap : INT; stty -g > stty.before; %s < in; s=$?; while [ $s = 148 ]; "
                   "do stty -g > stty.stopped; fg; s=$?; done; printf 'status %%s' $s; "
                   "stty -g > stty.after; stty -icanon min 0 time 2; cat" % shlex.quote(program))
        # The pane stays for a last look at the screen.
        pathlib.Path(self.dir, "pane.sh").write_text(
            "export LC_ALL=%s; " % locale + run + "; echo $s > status.new; mv status.new status; sleep 600\n")
        self._tmux("new-session", "-d", "-x", str(self.columns), "-y", str(self.rows), "-c",
                   self.dir, "exec sh pane.sh")

    def feed(self, data):
        """Writes the rest of the input and ends it."""
        if self.writer is not None:
            os.write(self.writer, data)
            os.close(self.writer)
            self.writer = None

    def close(self):
        self.feed(b"")
        self.keys("q")  # a program left at a prompt ends with the pane
        self._tmux("kill-server")
        shutil.rmtree(self.dir, ignore_errors=True)

    def _until(self, ready, timeout):
        deadline = time.monotonic() + timeout
        while not ready() and time.monotonic() < deadline:
            time.sleep(0.05)
        return ready()

    def status(self, timeout=30):
        """The program's exit status once it has ended, None if not by timeout."""
        path = pathlib.Path(self.dir, "status")
        return int(path.read_text()) if self._until(path.exists, timeout) else None

    def keys(self, *keys):
        self._tmux("send-keys", *keys)

    def pane(self, what):
        """What tmux says of the pane: a format such as #{pane_title}."""
        return self._tmux("display", "-p", "-t", "0", what).strip()

    def resize(self, rows, columns):
        self.rows, self.columns = rows, columns
        self._tmux("resize-window", "-x", str(columns), "-y", str(rows))

    def file(self, name, timeout=10):
        """A file of the pane's folder once it has been written."""
        path = pathlib.Path(self.dir, name)
        self._until(lambda: path.exists() and path.stat().st_size > 0, timeout)
        return path.read_text()

    def wait_for(self, rows, what, timeout=10):
        """Waits until the screen shows rows (padded with empty rows)."""
        rows = rows + [""] * (self.rows - len(rows))
        screen = lambda: screen_rows(self._tmux("capture-pane", "-p", "-e", "-N"), self.rows)
        if not self._until(lambda: screen() == rows, timeout):
            raise AssertionError("timed out waiting for %s; screen:\n%s" % (what, "\n".join(screen())))
