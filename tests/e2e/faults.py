"""What the fault tests need beyond the harness: paths in the tool's syntax,
privileged fixtures (mounts, immutable files, another user), and the modes of
a test's pseudo-terminal.

A fixture that needs a privilege the test run does not have skips its test
and says which one, so that the tests still run, with less, as any user.
"""

import getpass
import os
import re
import shutil
import subprocess
import tempfile
import termios
from pathlib import Path

import harness

LIST_FILE = "ZELMO___.TMP"
INTERRUPTED = "Operazione interrotta dall' utente"
TEMP_FILE_ERROR = "Errore nell' accedere al file temporaneo. Operazione abortita."
OUTPUT_ERROR = "Errore in scrittura del file di output: "
ACCESS_QUESTION = "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T]"
CONFIRM_QUESTION = "[Si,No,Tutti,Esc]"
TOO_LONG = "*** Directory non elaborate, percorso oltre 255 caratteri: "


# A question as the plain transcript holds it: the confirmation names the
# entry, the access question follows the failure line that names it.
# Wine's console sends trailing blanks and the move to column 60 as cursor
# moves, which the plain transcript drops.
QUESTION = re.compile(r"Modificare (\S+) \?\s*\[Si,No,Tutti,Esc\]"
                      r"|Impossibile accedere al file (\S+)\s+Annulla, Riprova, Ignora, ignora Tutti \?  \[A,R,I,T\]")


def tool_path(build, path):
    """path (a Linux path) as the build's tool writes it: \\tmp\\x on POSIX,
    Z:\\tmp\\x for the Win32 build under Wine."""
    text = os.path.abspath(str(path)).replace("/", "\\")
    return "Z:" + text if build.name == "win32" else text


def only_posix(case, why):
    """Skips the test on the Win32 build; why says what Wine lacks."""
    if case.build.name != "posix":
        case.skipTest("POSIX only: " + why)


def need_root(case):
    if os.geteuid() != 0:
        case.skipTest("needs root")


def mount_tmpfs(case, size_kb, read_only=False):
    """A tmpfs of size_kb kilobytes mounted for the test; unmounted at its end."""
    need_root(case)
    point = Path(tempfile.mkdtemp(prefix="mnt-", dir=case.workdir))
    options = "size=%dk,mode=0777" % size_kb + (",ro" if read_only else "")
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", options, "tmpfs", str(point)],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if done.returncode != 0:
        case.skipTest("cannot mount a tmpfs here")
    # Unmounted before the work directory is removed (cleanups run in reverse).
    case.addCleanup(subprocess.run, ["umount", "-l", str(point)], stderr=subprocess.DEVNULL)
    return point


def short_directory(case):
    """A fresh directory with a short path (/tmp/zf...), so that the tool's
    questions and failure lines fit in one row of the screen; removed at the
    end of the test."""
    path = Path(tempfile.mkdtemp(prefix="zf", dir="/tmp"))
    case.addCleanup(harness.remove_tree, path)
    return path


def answer_questions(term, respond, timeout=None):
    """Answers every question of a change run until the program ends:
    respond(kind, name) gives the key for a question, kind "confirm" or
    "access", name the entry's last part. Returns the exit code."""
    answered = 0

    def asked_or_ended():
        return len(QUESTION.findall(term.plain_transcript())) > answered or not term.child.isalive()

    while True:
        term.wait_until(asked_or_ended, "a question or the end", timeout)
        found = QUESTION.findall(term.plain_transcript())
        if len(found) <= answered:
            return term.wait_exit(timeout)
        confirmed, refused = found[answered]
        kind = "confirm" if confirmed else "access"
        term.press(respond(kind, (confirmed or refused).split("\\")[-1]))
        answered += 1


def make_immutable(case, path):
    """chattr +i on path, taken back at the end of the test."""
    need_root(case)
    if shutil.which("chattr") is None:
        case.skipTest("chattr is not installed")
    if subprocess.run(["chattr", "+i", str(path)], stderr=subprocess.DEVNULL).returncode != 0:
        case.skipTest("the file system here keeps no immutable flag")
    case.addCleanup(subprocess.run, ["chattr", "-i", str(path)], stderr=subprocess.DEVNULL)


def as_nobody(case):
    """The command prefix that runs a program as the user nobody, without
    root's groups; skips when that cannot be done."""
    need_root(case)
    setpriv = shutil.which("setpriv")
    if setpriv is None:
        case.skipTest("setpriv is not installed")
    return [setpriv, "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


def run_as_nobody(case, args, cwd, stdin=b""):
    """Runs the native tool as the user nobody with no terminal, answers on
    standard input, and a TMP that nobody may write; the CompletedProcess."""
    command = as_nobody(case) + [str(case.build.program("zelmo"))] + [str(a) for a in args]
    tmp = case.workdir / "tmp-nobody"
    tmp.mkdir(exist_ok=True)
    tmp.chmod(0o1777)
    case.workdir.chmod(0o755)
    env = case.build.environment({"TMP": str(tmp), "TEMP": str(tmp)})
    return subprocess.run(command, cwd=str(cwd), env=env, input=stdin,
                          capture_output=True, timeout=harness.TIMEOUT, start_new_session=True)


def logical_lines(term):
    """The screen's rows with every row that fills the width joined to the
    next: the lines as the program wrote them."""
    lines = []
    carry = ""
    for row in term.screen.display:
        if len(row.rstrip()) == len(row):
            carry += row
            continue
        lines.append(carry + row.rstrip())
        carry = ""
    if carry:
        lines.append(carry)
    return lines


def terminal_modes(term):
    """The local modes of the test's terminal (ECHO, ICANON ...), read on
    the master side: they are the slave's, which the program set."""
    return termios.tcgetattr(term.child.child_fd)[3]


def assert_cooked(case, term):
    """The terminal has echo and line mode, as the test opened it."""
    modes = terminal_modes(term)
    case.assertTrue(modes & termios.ECHO, "echo left off")
    case.assertTrue(modes & termios.ICANON, "line mode left off")


def signal_process(term, number):
    """Sends a signal to the program itself (under Wine: to the wine process)."""
    os.kill(term.child.pid, number)


def make_files(directory, names):
    """Empty files, made fast: os.open and close, nothing else."""
    directory = os.fsencode(str(directory))
    for name in names:
        os.close(os.open(os.path.join(directory, os.fsencode(name)), os.O_CREAT | os.O_WRONLY, 0o644))


def tree_bits(root):
    """Every entry below root (links not followed) and its stored
    attributes, as a dict from relative path to bits."""
    found = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for name in dirnames + filenames:
            path = os.path.join(dirpath, name)
            if os.path.islink(path):
                continue
            found[os.path.relpath(path, root)] = harness.stored_attributes(path)
    return found


def list_file_place(case):
    """Where the run's list file goes, and the environment that puts it
    there: a TMP of the test's own for the native build; Wine's own temporary
    directory in its prefix for the Win32 build, since Wine sets TMP itself."""
    if case.build.name == "win32":
        return case.build.server.prefix / "drive_c" / "users" / getpass.getuser() / "Temp", {}
    tmp = case.workdir / "tmp"
    tmp.mkdir()
    return tmp, {"TMP": str(tmp), "TEMP": str(tmp)}


def list_files(place):
    """The list files in place (none when it does not exist)."""
    try:
        return sorted(name for name in os.listdir(place) if name.upper().startswith("ZELMO"))
    except FileNotFoundError:
        return []
