"""Runs the built tool the way a user does, for the end-to-end tests.

A program runs either in a fresh pseudo-terminal of 25 rows by 80 columns whose
output is rendered on an emulated screen (Terminal), or with no terminal at all
(run_batch). The native build runs directly; the Win32 build runs under Wine,
in a private prefix inside its build tree, served by one persistent wineserver
that this module starts, checks and stops.

Which build is tested comes from the environment that ctest sets:
ZELMO_BUILD ("posix" or "win32") and ZELMO_BUILD_DIR. Without them every
build found in the usual places (build/ and build-win/) is tested.
Every wait has a time-out, so no test can hang.
"""

import atexit
import fcntl
import os
import re
import shutil
import signal
import struct
import subprocess
import tempfile
import termios
import time
import unittest
from pathlib import Path

import pexpect
import pyte

ROWS, COLS = 25, 80
REPO = Path(__file__).resolve().parents[2]

# Generous: Wine on a busy two-core machine can take a second to start.
TIMEOUT = float(os.environ.get("ZELMO_E2E_TIMEOUT", "20"))
# conhost takes Esc as a key of its own only when it arrives in a read by
# itself; the terminal backend waits a moment for the rest of a sequence.
ESC_PAUSE = 0.15

# What an xterm sends for each key; each value is written in one piece.
KEY = {
    "Enter": "\r", "Tab": "\t", "Esc": "\x1b", "Shift+Tab": "\x1b[Z",
    "F1": "\x1bOP", "F2": "\x1bOQ", "F3": "\x1bOR", "F4": "\x1bOS",
    "F5": "\x1b[15~", "F6": "\x1b[17~", "F7": "\x1b[18~", "F8": "\x1b[19~",
    "F9": "\x1b[20~", "F10": "\x1b[21~", "F11": "\x1b[23~", "F12": "\x1b[24~",
    "Up": "\x1b[A", "Down": "\x1b[B", "Right": "\x1b[C", "Left": "\x1b[D",
    "Home": "\x1b[H", "End": "\x1b[F", "PgUp": "\x1b[5~", "PgDn": "\x1b[6~",
    "Insert": "\x1b[2~", "Delete": "\x1b[3~",
}
for _letter in "abcdefghijklmnopqrstuvwxyz":
    KEY["Alt+" + _letter.upper()] = "\x1b" + _letter

# Attribute bits as the tool and Windows number them.
READ_ONLY, HIDDEN, SYSTEM, DIRECTORY, ARCHIVE = 0x01, 0x02, 0x04, 0x10, 0x20
LETTERS = {"R": READ_ONLY, "H": HIDDEN, "S": SYSTEM, "A": ARCHIVE}
XATTR = "user.DOSATTRIB"
# Terminal control sequences: CSI with parameters, and two-byte escapes.
_CONTROL = re.compile(r"\x1b(\[[0-9;?]*[ -/]*[@-~]|[^\[])")


class Timeout(AssertionError):
    """A wait that ran out of time; the message shows what was on the screen."""


class Build:
    """One build of the tool: where its programs are and how they are run."""

    name = ""
    exe_suffix = ""
    # How the tool's text arrives on a redirected standard output.
    stdout_encoding = "utf-8"

    def __init__(self, build_dir):
        self.build_dir = Path(build_dir).resolve()

    def program(self, name):
        """Path of a built program, e.g. "zelmo" or "tests/keyprobe"."""
        return self.build_dir / (name + self.exe_suffix)

    def command(self, name, args):
        return [str(self.program(name))] + [str(a) for a in args]

    def environment(self, extra=None):
        """The environment of a run: a UTF-8 locale, an xterm, no display."""
        env = {k: v for k, v in os.environ.items()
               if not k.startswith("LC_") and k not in ("DISPLAY", "WAYLAND_DISPLAY", "COLUMNS", "LINES")}
        env.update(LANG="C.UTF-8", TERM="xterm")
        env.update(extra or {})
        return env

    def platform_word(self):
        """The end of the help screen's second line: platform word and word size."""
        raise NotImplementedError

    def created_name(self, typed):
        """The name that a file the tool creates gets from the name typed."""
        raise NotImplementedError

    def prepare(self):
        """Makes the build ready to run programs; cheap when already done."""

    def temp_root(self):
        root = self.build_dir / "e2e-tmp"
        root.mkdir(exist_ok=True)
        return root


class PosixBuild(Build):
    name = "posix"

    def platform_word(self):
        bits = int(os.environ.get("ZELMO_WORD_BITS", struct.calcsize("P") * 8))
        return "%s %d" % (os.uname().sysname.upper(), bits)

    def created_name(self, typed):
        return typed  # the case typed


class Win32Build(Build):
    name = "win32"
    exe_suffix = ".exe"
    stdout_encoding = "cp850"

    def __init__(self, build_dir):
        super().__init__(build_dir)
        self.server = WineServer(self.build_dir / "wine")

    def command(self, name, args):
        return ["wine"] + super().command(name, args)

    def environment(self, extra=None):
        return self.server.environment(super().environment(extra))

    def platform_word(self):
        return "WIN 32"

    def created_name(self, typed):
        return typed.upper()  # the parameters are upper-cased

    def prepare(self):
        self.server.ensure()


class WineServer:
    """A Wine prefix and its persistent wineserver.

    The prefix is created outside any terminal. The server runs in the
    foreground of a child process with its standard streams on /dev/null, so it
    can be watched; one run with no terminal warms it. Then Wine's helper
    processes never inherit a test's pty, and pty EOF comes with the program's
    exit. The server is stopped when the tests end.
    """

    def __init__(self, prefix):
        self.prefix = Path(prefix)
        self.process = None
        self.stop_registered = False

    def environment(self, env):
        env = dict(env)
        env.update(WINEPREFIX=str(self.prefix), WINEDEBUG="-all",
                   # A crash exits with code 5 without a debugger dump on stdout.
                   WINEDLLOVERRIDES="winedbg.exe=d")
        return env

    def _wine_tool(self, args, timeout):
        return subprocess.run(args, env=self.environment(os.environ), stdin=subprocess.DEVNULL,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=timeout, start_new_session=True).returncode

    def _create_prefix(self):
        # The same lock as cmake/wine-run's: one creator at a time.
        self.prefix.parent.mkdir(parents=True, exist_ok=True)
        with open(str(self.prefix) + ".lock", "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            if not (self.prefix / "system.reg").exists():
                self._wine_tool(["wineboot", "-i"], 300)
                self._wine_tool(["wineserver", "-w"], 120)

    def ensure(self):
        if self.process is not None and self.process.poll() is None:
            return
        self._create_prefix()
        if not self.stop_registered:
            atexit.register(self.stop)
            self.stop_registered = True
        # The warm-up run may come before the new server listens and start a
        # server of its own, which then holds the prefix; that is stopped and
        # the start tried again.
        for _ in range(3):
            # Any server left on this private prefix (a killed run, the unit
            # tests' own) goes first: only one can serve a prefix.
            self._wine_tool(["wineserver", "-k"], 60)
            self._wine_tool(["wineserver", "-w"], 60)
            self.process = subprocess.Popen(["wineserver", "-f", "-p"], env=self.environment(os.environ),
                                            stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                                            stderr=subprocess.DEVNULL, start_new_session=True)
            time.sleep(0.2)
            self._wine_tool(["wine", "cmd", "/c", "exit"], 120)
            if self.process.poll() is None:
                return
        raise RuntimeError("wineserver for %s ended at start (code %s)" % (self.prefix, self.process.returncode))

    def stop(self):
        if self.process is None:
            return
        if self.process.poll() is None:
            self._wine_tool(["wineserver", "-k"], 60)
            try:
                self.process.wait(timeout=20)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        self.process = None


def builds():
    """The builds under test: the one ctest names, or every one that is built."""
    kinds = {"posix": (PosixBuild, "build"), "win32": (Win32Build, "build-win")}
    name = os.environ.get("ZELMO_BUILD")
    if name:
        kind, default_dir = kinds[name]
        return [kind(os.environ.get("ZELMO_BUILD_DIR") or REPO / default_dir)]
    found = []
    for kind, default_dir in kinds.values():
        build = kind(REPO / default_dir)
        if build.program("zelmo").exists():
            found.append(build)
    return found


_BUILD_CACHE = None


def _builds_once():
    # One Build object per build and process, so a Wine prefix has one server.
    global _BUILD_CACHE
    if _BUILD_CACHE is None:
        _BUILD_CACHE = builds()
    return _BUILD_CACHE


def for_each_build(namespace, *cases):
    """Adds to namespace one unittest.TestCase per build for each case class,
    named Case_posix and Case_win32: the same test bodies run on every build."""
    for case in cases:
        for build in _builds_once():
            name = "%s_%s" % (case.__name__, build.name)
            namespace[name] = type(name, (case, unittest.TestCase),
                                   {"build": build, "__module__": namespace["__name__"]})


class _AnsweringScreen(pyte.Screen):
    """A screen that answers the terminal's status queries (cursor position,
    device attributes) to the program, as a real terminal does."""

    answer = None

    def write_process_input(self, data):
        if self.answer is not None:
            self.answer(data.encode("ascii"))


class Terminal:
    """A program running in a fresh pseudo-terminal of 25x80, its output
    rendered on an emulated screen. Use as a context manager, or close()."""

    def __init__(self, build, program, args=(), cwd=None, env=None, stdout=None, rows=ROWS, cols=COLS):
        """stdout: a file path to redirect the program's standard output to; its
        standard input and error stay on the terminal."""
        build.prepare()
        self.build = build
        self.output = bytearray()
        self.screen = _AnsweringScreen(cols, rows)
        self.stream = pyte.ByteStream(self.screen)
        self.exit_code = None
        command = build.command(program, args)
        preexec = None
        if stdout is not None:
            target = str(stdout)

            def preexec():
                # The pty is already fd 0, 1 and 2 here; only fd 1 moves.
                fd = os.open(target, os.O_WRONLY | os.O_CREAT | os.O_TRUNC, 0o644)
                os.dup2(fd, 1)
                os.close(fd)

        self.child = pexpect.spawn(command[0], command[1:], cwd=str(cwd) if cwd else None,
                                   env=build.environment(env), dimensions=(rows, cols),
                                   preexec_fn=preexec, timeout=TIMEOUT)
        self.child.delaybeforesend = None
        # pexpect sleeps after close and terminate by default; the pty
        # process object does the closing.
        for obj in (self.child, self.child.ptyproc):
            obj.delayafterclose = 0
            obj.delayafterterminate = 0
        self.screen.answer = self.child.send

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.close()

    # What the program shows.

    def lines(self):
        """The screen's rows, trailing blanks removed."""
        return [row.rstrip() for row in self.screen.display]

    def text(self):
        return "\n".join(self.lines())

    def cursor(self):
        """The cursor's column and row, counted from 1 like the tool's WHEREX and WHEREY."""
        return self.screen.cursor.x + 1, self.screen.cursor.y + 1

    def transcript(self):
        """Everything the program wrote to the terminal, escapes included."""
        return self.output.decode("utf-8", "replace")

    def plain_transcript(self):
        """The transcript without terminal control sequences: the text as
        written, including what scrolled off the screen."""
        return _CONTROL.sub("", self.transcript())

    def describe(self):
        """The screen down to its last written row or the cursor, for failure messages."""
        lines = self.lines()
        shown = max([self.cursor()[1]] + [i + 1 for i, row in enumerate(lines) if row])
        return "screen (cursor %s):\n%s\ntail of output: %r" % (
            self.cursor(), "\n".join("%2d|%s" % (i + 1, row) for i, row in enumerate(lines[:shown])),
            bytes(self.output[-400:]))

    # Waiting.

    def _pump(self, timeout):
        """Feeds what arrives within timeout seconds to the screen; false when nothing did."""
        try:
            data = self.child.read_nonblocking(65536, timeout)
        except pexpect.TIMEOUT:
            return False
        except pexpect.EOF:
            # The pty is closed but the process may not be reaped yet.
            time.sleep(min(timeout, 0.02))
            return False
        self.output += data
        self.stream.feed(data)
        return True

    def wait_until(self, condition, what, timeout=None):
        """Reads output until condition() holds; Timeout after timeout seconds."""
        deadline = time.monotonic() + (TIMEOUT if timeout is None else timeout)
        while not condition():
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise Timeout("timed out waiting for %s; %s" % (what, self.describe()))
            if not self._pump(min(remaining, 0.1)) and not self.child.isalive():
                while self._pump(0):
                    pass
                if condition():
                    return
                raise Timeout("program ended (code %s) while waiting for %s; %s"
                              % (self._code(), what, self.describe()))

    def wait_text(self, text, timeout=None):
        """Waits until text stands on the screen (within one row)."""
        self.wait_until(lambda: any(text in row for row in self.lines()), repr(text), timeout)

    def wait_output(self, pattern, count=1, timeout=None):
        """Waits until the regular expression matched count times in the
        plain transcript (which, unlike the screen, keeps what scrolled
        away); returns the matches."""
        regex = re.compile(pattern)
        self.wait_until(lambda: len(regex.findall(self.plain_transcript())) >= count,
                        "%d x %r" % (count, pattern), timeout)
        return regex.findall(self.plain_transcript())

    def wait_raw(self, timeout=None):
        """Waits until the program reads keys: the terminal has echo and line
        mode off. Keys sent earlier would be echoed by the kernel, and Wine's
        console does not read them before the program first waits for input."""

        def raw():
            lflag = termios.tcgetattr(self.child.child_fd)[3]
            return not lflag & (termios.ECHO | termios.ICANON)

        self.wait_until(raw, "the terminal in raw mode", timeout)

    def wait_exit(self, timeout=None):
        """Waits for the program's end and returns its exit code (minus the
        signal number when a signal ended it). Process exit is polled, not
        pty EOF, which Wine's helper processes can delay."""
        deadline = time.monotonic() + (TIMEOUT if timeout is None else timeout)
        while self.child.isalive():
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                raise Timeout("timed out waiting for the program to end; %s" % self.describe())
            self._pump(min(remaining, 0.05))
        while self._pump(0):
            pass
        return self._code()

    def _code(self):
        if self.child.isalive():
            return None
        if self.exit_code is None:
            status = self.child.signalstatus
            self.exit_code = -status if status is not None else self.child.exitstatus
        return self.exit_code

    # The window.

    def resize(self, rows, cols):
        """Resizes the window as a user does: the terminal takes the new size
        (the program gets SIGWINCH) and the emulated screen follows it."""
        self.child.setwinsize(rows, cols)
        self.screen.resize(rows, cols)

    # Typing.

    def send(self, keys):
        """Sends one key's bytes in one write (a multi-byte sequence must
        arrive whole). str is sent as UTF-8."""
        self.child.send(keys.encode("utf-8") if isinstance(keys, str) else keys)

    def press(self, *keys):
        """Sends keys one after the other, pausing after a lone Esc so that
        it is not taken as the start of the next key's sequence. Waits for the
        program to read keys first."""
        self.wait_raw()
        for key in keys:
            self.send(key)
            if key in (KEY["Esc"], b"\x1b"):
                time.sleep(ESC_PAUSE)

    def close(self):
        if self.child.isalive():
            # Killed and reaped before the pty closes: terminate() gives up
            # when a killed process is not reaped the moment it looks.
            self.child.kill(signal.SIGKILL)
            self.child.wait()
        self.child.close(force=True)


def run_batch(build, program, args=(), cwd=None, env=None, timeout=None):
    """Runs a program with no terminal at all: standard input /dev/null,
    standard output and error captured, no controlling terminal. Returns the
    subprocess.CompletedProcess (bytes)."""
    build.prepare()
    command = build.command(program, args)
    try:
        return subprocess.run(command, cwd=str(cwd) if cwd else None, env=build.environment(env),
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                              timeout=TIMEOUT if timeout is None else timeout, start_new_session=True)
    except subprocess.TimeoutExpired as e:
        raise Timeout("%s did not end; stdout so far: %r" % (command, e.stdout)) from None


# Fixtures: directories of files with real attributes.
#
# The attributes live where the tool and Wine read them: the bits as ASCII
# "0x.." text in the extended attribute user.DOSATTRIB, and Read-only of a
# regular file also as the absence of every write permission bit. Wine reads
# only Hidden and System from the text, takes Read-only from the write bits
# (of directories too) and reports Archive on every file whatever is stored.


def attribute_bits(letters):
    return sum(LETTERS[c] for c in letters.upper())


def set_attributes(path, letters):
    """Gives path exactly the attributes named by letters (any of R, A, S, H)."""
    bits = attribute_bits(letters)
    if bits:
        os.setxattr(path, XATTR, b"0x%x" % bits)
    else:
        try:
            os.removexattr(path, XATTR)
        except OSError:
            pass
    if os.path.isfile(path):
        mode = os.stat(path).st_mode & 0o7777
        os.chmod(path, mode & ~0o222 if bits & READ_ONLY else mode | 0o200)


def stored_attributes(path):
    """The attribute bits stored for path as the native build reads them: the
    text of user.DOSATTRIB (nothing when absent), and Read-only for a
    regular file without write permission."""
    try:
        text = os.getxattr(path, XATTR).split(b"\0")[0]
        bits = int(text, 16) if text.lower().startswith(b"0x") else 0
    except OSError:
        bits = 0
    bits &= READ_ONLY | HIDDEN | SYSTEM | ARCHIVE
    if os.path.isfile(path) and not os.stat(path).st_mode & 0o222:
        bits |= READ_ONLY
    return bits


def make_tree(root, entries):
    """Creates entries under root. entries maps a relative path to its
    attribute letters, or to (letters, content bytes); a path ending in "/"
    is a directory. Attributes are applied after everything exists, deepest
    first, so a read-only directory does not stop its own filling."""
    root = Path(root)
    made = []
    for name, spec in entries.items():
        letters, content = spec if isinstance(spec, tuple) else (spec, b"")
        path = root / name
        if name.endswith("/"):
            path.mkdir(parents=True, exist_ok=True)
        else:
            path.parent.mkdir(parents=True, exist_ok=True)
            path.write_bytes(content)
        made.append((path, letters))
    for path, letters in sorted(made, key=lambda item: -len(item[0].parts)):
        set_attributes(path, letters)
    return root


def remove_tree(root):
    """Removes a fixture or a test's working directory, whatever the tool
    did to the permissions inside."""
    for dirpath, dirnames, _ in os.walk(root):
        for name in dirnames:
            os.chmod(os.path.join(dirpath, name), 0o755)
    shutil.rmtree(root, ignore_errors=True)


class ToolCase:
    """Helpers for a test case class made by for_each_build: a fresh working
    directory per test, and runs of the build's programs in it."""

    build = None

    def setUp(self):
        self.workdir = Path(tempfile.mkdtemp(prefix="case-", dir=self.build.temp_root()))
        self.addCleanup(remove_tree, self.workdir)

    def terminal(self, args=(), program="zelmo", **kwargs):
        kwargs.setdefault("cwd", self.workdir)
        term = Terminal(self.build, program, args, **kwargs)
        self.addCleanup(term.close)
        return term

    def batch(self, args=(), program="zelmo", **kwargs):
        kwargs.setdefault("cwd", self.workdir)
        return run_batch(self.build, program, args, **kwargs)
