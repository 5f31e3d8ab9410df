#!/usr/bin/python3
"""Speed and memory of zelmo on big trees, side by side with its peers.

Builds a tree of empty files, then times, alternating the commands in one run,
each after a warm-up: zelmo listing the tree into a file, on a terminal and
changing an attribute over the whole tree; find and getfattr on the same tree;
and a small C program (floor.c) that does only what a listing or a change
cannot avoid. It then measures peak memory on a small and a big tree and
counts system calls per entry, and prints medians, ratios and the goals.

Standard library only. See bench/README.md for the options and the packages.
"""

import argparse
import fcntl
import os
import re
import select
import shutil
import statistics
import struct
import subprocess
import sys
import tempfile
import termios
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
REPO = os.path.dirname(HERE)
ATTR = "user.DOSATTRIB"

# Goals of the native build.
GOAL_LIST_VS_FLOOR = 1.3
GOAL_CHANGE_VS_FLOOR = 1.3
GOAL_MEM_SPREAD = 0.05
GOAL_MEM_KIB = 10 * 1024
GOAL_CALLS_PER_ENTRY = 3.0

# System calls a key poll or wait on a terminal may use.
POLL_CALLS = {"poll", "ppoll", "select", "pselect6", "ioctl", "read", "epoll_wait", "epoll_pwait"}


def log(text):
    print(text, flush=True)


# ---------------------------------------------------------------- the trees


class Tree:
    """A tree of `dirs` directories below its top (fan-out `fanout`, breadth
    first) and `files` empty files spread evenly over them: every 10th file
    Hidden+System in user.DOSATTRIB, every 7th read-only."""

    def __init__(self, base, dirs, files, fanout):
        self.dirs, self.files, self.fanout = dirs, files, fanout
        self.home = os.path.join(base, "tree-d%d-f%d-o%d" % (dirs, files, fanout))
        self.top = os.path.join(self.home, "t")
        self.marker = os.path.join(self.home, "complete")
        self.made = False  # made by this run, so this run removes it

    @property
    def entries(self):
        return self.dirs + self.files

    def label(self):
        return "%s directories, %s files" % (num(self.dirs), num(self.files))


def num(n):
    return "{:,}".format(n)


def make_tree(tree):
    if os.path.exists(tree.marker):
        log("reusing the tree %s (%s)" % (tree.top, tree.label()))
        return
    if os.path.exists(tree.home):
        remove_dir(tree.home)
    os.makedirs(tree.home)
    tree.made = True
    start = time.perf_counter()
    paths = [tree.top]
    os.mkdir(tree.top)
    for k in range(1, tree.dirs + 1):
        path = os.path.join(paths[(k - 1) // tree.fanout], "d%d" % ((k - 1) % tree.fanout))
        os.mkdir(path)
        paths.append(path)
    flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_CLOEXEC
    for d in range(tree.dirs):
        dfd = os.open(paths[d + 1], os.O_RDONLY | os.O_DIRECTORY)
        try:
            for j in range(d, tree.files, tree.dirs):
                n = j + 1
                fd = os.open("f%d" % n, flags, 0o444 if n % 7 == 0 else 0o644, dir_fd=dfd)
                if n % 10 == 0:
                    os.setxattr(fd, ATTR, b"0x6")
                os.close(fd)
        finally:
            os.close(dfd)
    open(tree.marker, "w").close()
    log("built the tree %s (%s) in %.1f s" % (tree.top, tree.label(), time.perf_counter() - start))


def remove_dir(path):
    subprocess.run(["rm", "-rf", "--", path], check=False)


# ------------------------------------------------------------- running


class Outcome:
    def __init__(self, ok, seconds, maxrss_kib=None, cpu=None, detail=""):
        self.ok, self.seconds, self.maxrss_kib, self.cpu, self.detail = ok, seconds, maxrss_kib, cpu, detail


def tail_of(path, limit=400):
    try:
        with open(path, "rb") as f:
            f.seek(0, os.SEEK_END)
            f.seek(max(0, f.tell() - limit))
            return f.read().decode("latin-1").strip()
    except OSError:
        return ""


TIME = "/usr/bin/time"


def with_usage(argv, work):
    """argv run under GNU time, which writes the peak RSS in KiB and the CPU
    seconds to a file. The peak is not taken from our own wait4: a child
    forked from this interpreter starts with the interpreter's peak."""
    if not os.access(TIME, os.X_OK):
        return argv, None
    usage_file = os.path.join(work, "usage.txt")
    drop_file(usage_file)
    return [TIME, "-f", "%M %U %S", "-o", usage_file] + argv, usage_file


def read_usage(usage_file):
    """(peak RSS in KiB, user + system CPU seconds), None for each unknown."""
    try:
        with open(usage_file) as f:
            peak, user, system = f.read().splitlines()[-1].split()
        return int(peak), float(user) + float(system)
    except (OSError, ValueError, IndexError, TypeError):
        return None, None


def run_plain(argv, env, cwd, stdout_path, stderr_path):
    """Runs argv with stdin /dev/null and no controlling terminal; returns
    (exit code, seconds)."""
    with open(os.devnull, "rb") as inp, open(stdout_path, "wb") as out, open(stderr_path, "wb") as err:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdin=inp, stdout=out, stderr=err, env=env, cwd=cwd, start_new_session=True)
        proc.wait()
        seconds = time.perf_counter() - start
    return proc.returncode, seconds


class TerminalReader(threading.Thread):
    """Plays the terminal on a pty's master side: drains what the program
    writes, answers a cursor-position request, keeps the last bytes."""

    def __init__(self, master):
        super().__init__(daemon=True)
        self.master, self.stop, self.count, self.tail = master, threading.Event(), 0, b""

    def run(self):
        while True:
            ready, _, _ = select.select([self.master], [], [], 0.05)
            if not ready:
                if self.stop.is_set():
                    return
                continue
            try:
                data = os.read(self.master, 1 << 16)
            except OSError:
                return
            if not data:
                return
            self.count += len(data)
            if b"\x1b[6n" in self.tail[-8:] + data:
                os.write(self.master, b"\x1b[1;1R")
            self.tail = (self.tail + data)[-2000:]


def run_on_pty(argv, env, cwd, rows=25, cols=80):
    """Runs argv with stdin, stdout and stderr on a new pty of rows x cols that
    is its controlling terminal; returns (exit code, seconds, the last bytes
    shown)."""
    master, slave = os.openpty()
    fcntl.ioctl(slave, termios.TIOCSWINSZ, struct.pack("HHHH", rows, cols, 0, 0))
    reader = TerminalReader(master)
    reader.start()
    try:
        start = time.perf_counter()
        proc = subprocess.Popen(argv, stdin=slave, stdout=slave, stderr=slave, env=env, cwd=cwd,
                                start_new_session=True,
                                preexec_fn=lambda: fcntl.ioctl(0, termios.TIOCSCTTY, 0))
        proc.wait()
        seconds = time.perf_counter() - start
    finally:
        os.close(slave)
        reader.stop.set()
        reader.join(5)
        os.close(master)
    return proc.returncode, seconds, reader.tail.decode("latin-1")


class Command:
    """One benchmarked command. `out` is the file its report goes to (found
    case-insensitively: the tool upper-cases its parameters); `check` judges
    that report after the warm-up."""

    def __init__(self, name, argv, env=None, cwd=None, pty=False, stdout=None, out=None, ok_codes=(0,),
                 check=None, keep_stderr=True):
        self.name, self.argv, self.env, self.cwd, self.pty = name, argv, env, cwd, pty
        self.stdout, self.out, self.ok_codes, self.check = stdout, out, ok_codes, check
        self.keep_stderr = keep_stderr
        self.times, self.cpu, self.rss, self.failure = [], [], [], None

    def run(self, work):
        if self.out:
            drop_file(self.out)
        stderr_path = os.path.join(work, "stderr.txt") if self.keep_stderr else os.devnull
        stdout_path = self.stdout or os.path.join(work, "stdout.txt")
        argv, usage_file = with_usage(self.argv, work)
        if self.pty:
            rc, seconds, detail = run_on_pty(argv, self.env, self.cwd)
        else:
            rc, seconds = run_plain(argv, self.env, self.cwd, stdout_path, stderr_path)
            detail = (tail_of(stderr_path) if self.keep_stderr else "") or tail_of(stdout_path)
        rss, cpu = read_usage(usage_file)
        if rc not in self.ok_codes:
            return Outcome(False, seconds, detail="exit code %d: %s" % (rc, one_line(detail)))
        return Outcome(True, seconds, rss, cpu)


def one_line(text):
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]", "", text)
    text = " | ".join(part.strip() for part in text.splitlines() if part.strip())
    return text[-300:] if text else "(no output)"


def find_ci(path):
    """The file at path, its last part matched with a to z folded."""
    folder, name = os.path.split(path)
    try:
        for entry in os.listdir(folder):
            if entry.upper() == name.upper():
                return os.path.join(folder, entry)
    except OSError:
        pass
    return None


def drop_file(path):
    found = find_ci(path)
    while found:
        os.unlink(found)
        found = find_ci(path)


def count_lines(path, prefix):
    found = find_ci(path)
    if not found:
        return None
    count = 0
    with open(found, "rb") as f:
        for line in f:
            if line.startswith(prefix):
                count += 1
    return count


def check_entry_lines(path, expected, prefix=b" ["):
    def check():
        count = count_lines(path, prefix)
        if count is None:
            return "no output file %s" % path
        if count != expected:
            return "%s lines listed, %s entries in the tree" % (num(count), num(expected))
        return None
    return check


def tool_path(linux_path, drive=""):
    """The tool's spelling of a Linux path: "\\" between parts and first."""
    return drive + linux_path.replace("/", "\\")


# ---------------------------------------------------------- the timing


def time_commands(commands, runs, work):
    """A warm-up round, then `runs` rounds, each running every command once in
    the given order. A command that fails is dropped from later rounds."""
    for round_no in range(runs + 1):
        for cmd in commands:
            if cmd.failure:
                continue
            outcome = cmd.run(work)
            if not outcome.ok:
                cmd.failure = outcome.detail
                log("  FAILED  %s: %s" % (cmd.name, outcome.detail))
                continue
            if round_no == 0:
                problem = cmd.check() if cmd.check else None
                if problem:
                    cmd.failure = problem
                    log("  FAILED  %s: %s" % (cmd.name, problem))
                continue
            cmd.times.append(outcome.seconds)
            cmd.rss.append(outcome.maxrss_kib)
            cmd.cpu.append(outcome.cpu)
        if round_no == 0:
            log("  warm-up done")
        else:
            log("  round %d of %d done" % (round_no, runs))


def median(cmd):
    """Median wall-clock seconds of the timed runs."""
    return statistics.median(cmd.times) if cmd.times and not cmd.failure else None


def median_cpu(cmd):
    """Median user + system CPU seconds of the timed runs: steadier than the
    wall clock on a machine that other work shares."""
    cpu = [c for c in cmd.cpu if c is not None]
    return statistics.median(cpu) if cpu and not cmd.failure else None


def print_times(title, commands, base):
    log("")
    log(title)
    log("  %-46s %8s %7s %7s %4s %7s %8s %7s %7s" % (
        "command", "median s", "min s", "max s", "runs", "cpu s", "peak KiB", "ratio" if base else "",
        "cpu rat" if base else ""))
    ref, ref_cpu = (median(base), median_cpu(base)) if base else (None, None)
    for cmd in commands:
        m, c = median(cmd), median_cpu(cmd)
        if m is None:
            log("  %-46s %s" % (cmd.name, "FAILED" if cmd.failure else "no runs"))
            continue
        log("  %-46s %8.3f %7.3f %7.3f %4d %7s %8s %7s %7s" % (
            cmd.name, m, min(cmd.times), max(cmd.times), len(cmd.times), "-" if c is None else "%.2f" % c,
            peak_of(cmd) or "-", "%.2f" % (m / ref) if ref else "", "%.2f" % (c / ref_cpu) if c and ref_cpu else ""))


def peak_of(cmd):
    """The highest peak RSS in KiB of the command's timed runs, or None."""
    peaks = [p for p in cmd.rss if p is not None]
    return max(peaks) if peaks else None


# ----------------------------------------------------- system calls


def strace_counts(argv, env, cwd, work, on_pty):
    """Per-system-call counts of one run under strace -f -c, or the failure text."""
    summary = os.path.join(work, "strace.txt")
    full = ["strace", "-f", "-c", "-o", summary, "--"] + argv
    if on_pty:
        rc, _, detail = run_on_pty(full, env, cwd)
    else:
        err = os.path.join(work, "stderr.txt")
        rc, _ = run_plain(full, env, cwd, os.path.join(work, "stdout.txt"), err)
        detail = tail_of(err) or tail_of(os.path.join(work, "stdout.txt"))
    if rc != 0:
        return None, "exit code %d: %s" % (rc, one_line(detail))
    counts = {}
    with open(summary) as f:
        for line in f:
            m = re.match(r"\s*[\d.]+\s+[\d.]+\s+\d+\s+(\d+)\s+(?:\d+\s+)?([a-z_0-9]+)\s*$", line)
            if m and m.group(2) != "total":
                counts[m.group(2)] = int(m.group(1))
    return counts, None


def print_calls(title, counts, tree, only=None):
    log(title)
    log("    %-20s %10s %10s %10s" % ("system call", "calls", "per entry", "per dir"))
    for name, calls in sorted(counts.items(), key=lambda kv: -kv[1]):
        if only is not None and name not in only:
            continue
        if calls / tree.entries < 0.001 and calls < 20:
            continue
        log("    %-20s %10s %10.3f %10.3f" % (name, num(calls), calls / tree.entries, calls / (tree.dirs + 1)))


# ------------------------------------------------------------- main


def parse_args():
    p = argparse.ArgumentParser(description=__doc__.split("\n\n")[0],
                                formatter_class=argparse.ArgumentDefaultsHelpFormatter)
    p.add_argument("--zelmo", default=os.path.join(REPO, "build", "zelmo"), help="the native tool")
    p.add_argument("--root", help="directory for the trees and outputs (default: a fresh temporary "
                   "directory; with --keep, $TMPDIR/zelmo-bench-trees)")
    p.add_argument("--dirs", type=int, default=20000, help="directories below the top of the timed tree")
    p.add_argument("--files", type=int, default=200000, help="files of the timed tree")
    p.add_argument("--fanout", type=int, default=10, help="subdirectories per directory")
    p.add_argument("--runs", type=int, default=5, help="timed runs of each command after the warm-up")
    p.add_argument("--mem-dirs", type=int, nargs=2, default=[1000, 100000], metavar=("SMALL", "BIG"),
                   help="directories of the two trees of the memory test")
    p.add_argument("--mem-files-per-dir", type=int, default=2, help="files per directory in those trees")
    p.add_argument("--mem-runs", type=int, default=3, help="runs per memory tree (the peak is the highest)")
    p.add_argument("--no-memory", action="store_true", help="skip the memory test")
    p.add_argument("--no-strace", action="store_true", help="skip the count of system calls")
    p.add_argument("--wine", choices=["auto", "on", "off"], default="auto",
                   help="Win32 build under wine: auto runs it when wine and the executable exist")
    p.add_argument("--win-exe", default=os.path.join(REPO, "build-win", "zelmo.exe"), help="the Win32 tool")
    p.add_argument("--wine-dirs", type=int, default=2000, help="directories of the tree for wine")
    p.add_argument("--wine-files", type=int, default=20000, help="files of the tree for wine")
    p.add_argument("--keep", action="store_true", help="keep the trees (and the wine prefix) for the next run")
    p.add_argument("--quick", action="store_true",
                   help="a tiny tree and one run, goals not judged: checks that every command works")
    p.add_argument("--strict", action="store_true", help="exit code 2 when a goal is missed")
    args = p.parse_args()
    if args.quick:
        args.dirs, args.files, args.runs = 30, 300, 1
        args.mem_dirs, args.mem_runs = [10, 100], 1
        args.wine_dirs, args.wine_files = 20, 200
        if args.wine == "auto":
            args.wine = "off"
    if args.dirs < 1 or args.files < 0 or args.fanout < 1 or args.runs < 1:
        p.error("--dirs, --fanout and --runs must be at least 1, --files at least 0")
    return args


def build_floor(work):
    exe = os.path.join(work, "floor")
    cc = os.environ.get("CC", "cc")
    res = subprocess.run([cc, "-O2", "-o", exe, os.path.join(HERE, "floor.c")], capture_output=True, text=True)
    if res.returncode != 0:
        log("FAILED  building the floor program with %s:\n%s" % (cc, res.stderr))
        return None
    return exe


def main():
    args = parse_args()
    made_root = False
    if args.root:
        root = os.path.abspath(args.root)
        os.makedirs(root, exist_ok=True)
    elif args.keep:
        root = os.path.join(tempfile.gettempdir(), "zelmo-bench-trees")
        os.makedirs(root, exist_ok=True)
    else:
        root = tempfile.mkdtemp(prefix="zelmo-bench-")
        made_root = True
    work = tempfile.mkdtemp(prefix="work-", dir=root)
    trees = []
    try:
        failures, misses = bench(args, root, work, trees)
    finally:
        if not args.keep:
            for tree in trees:
                if tree.made:
                    remove_dir(tree.home)
        remove_dir(work)
        if made_root:
            remove_dir(root)
    log("")
    if failures:
        log("RESULT: %d command(s) FAILED: %s" % (len(failures), "; ".join(failures)))
        return 1
    if args.quick:
        log("RESULT: every command ran (quick mode: goals not judged)")
        return 0
    log("RESULT: every command ran; goals missed: %s" % (", ".join(misses) if misses else "none"))
    return 2 if misses and args.strict else 0


def bench(args, root, work, trees):
    failures, misses = [], []
    zelmo = os.path.abspath(args.zelmo)
    log("zelmo benchmark: %s" % zelmo)
    log("trees under %s; %s" % (root, "quick mode" if args.quick else "%d runs after a warm-up" % args.runs))
    if not os.access(zelmo, os.X_OK):
        log("FAILED  no executable %s (build it first: cmake -S . -B build && cmake --build build -j2)" % zelmo)
        return ["zelmo missing"], misses
    missing = [t for t in ("find", "getfattr", "cc") if not shutil.which(t)]
    if not args.no_strace and not shutil.which("strace"):
        missing.append("strace")
    if missing:
        log("FAILED  missing programs: %s (see bench/README.md for the packages)" % ", ".join(missing))
        return ["missing " + ", ".join(missing)], misses
    floor = build_floor(work)
    if not floor:
        return ["building the floor program"], misses

    # The list file goes to a directory outside the tree, as does every output.
    tmp = os.path.join(work, "tmp")
    os.mkdir(tmp)
    env = dict(os.environ, TMP=tmp, TEMP=tmp, LC_ALL="C")
    env.pop("TERM", None)
    env_tty = dict(env, TERM="xterm")

    tree = Tree(root, args.dirs, args.files, args.fanout)
    trees.append(tree)
    make_tree(tree)
    top = tree.top
    mask = tool_path(top) + "\\*.*"
    out = lambda name: os.path.join(work, name)  # noqa: E731
    entries = tree.entries

    list_file = Command("zelmo listing into a file", [zelmo, mask, "/S", "+" + tool_path(out("list.txt"))],
                        env, work, out=out("list.txt"), check=check_entry_lines(out("list.txt"), entries))
    list_file_tty = Command("zelmo listing into a file, from a terminal",
                            [zelmo, mask, "/S", "+" + tool_path(out("listtty.txt"))], env_tty, work, pty=True,
                            out=out("listtty.txt"), check=check_entry_lines(out("listtty.txt"), entries))
    list_console = Command("zelmo listing on a terminal (console path)", [zelmo, mask, "/S"], env_tty, work,
                           pty=True)
    change_set = Command("zelmo +H /S /Y /I +NUL", [zelmo, "+H", mask, "/S", "/Y", "/I", "+NUL"], env, work,
                         stdout=out("change.txt"))
    change_clear = Command("zelmo -H /S /Y /I +NUL", [zelmo, "-H", mask, "/S", "/Y", "/I", "+NUL"], env, work,
                           stdout=out("change.txt"))
    floor_list = Command("floor: listing", [floor, "list", top, out("floor.txt")], env, work,
                         out=out("floor.txt"), check=check_entry_lines(out("floor.txt"), entries))
    floor_set = Command("floor: change +H", [floor, "change", "+H", top], env, work)
    floor_clear = Command("floor: change -H", [floor, "change", "-H", top], env, work)
    find = Command("find -printf '%M %p\\n'", ["find", top, "-printf", "%M %p\n"], env, work,
                   stdout=out("find.txt"), check=lambda: lines_in(out("find.txt"), entries + 1))
    # getfattr exits with 1 when some entry has no such attribute, as most here.
    getfattr = Command("getfattr -R -n user.DOSATTRIB", ["getfattr", "-R", "-n", ATTR, "--absolute-names", top],
                       env, work, stdout=out("getfattr.txt"), ok_codes=(0, 1), keep_stderr=False,
                       check=lambda: None if os.path.getsize(out("getfattr.txt")) else "no output")

    commands = [list_file, floor_list, find, getfattr, list_file_tty, list_console, change_set, change_clear,
                floor_set, floor_clear]
    log("")
    log("timing on the tree of %s (%s entries)" % (tree.label(), num(entries)))
    time_commands(commands, args.runs, work)
    print_times("listing (tree of %s)" % tree.label(), [list_file, list_file_tty, list_console, floor_list,
                                                        find, getfattr], floor_list)
    print_times("change over the whole tree", [change_set, change_clear, floor_set, floor_clear], None)
    failures += ["%s (%s)" % (c.name, c.failure) for c in commands if c.failure]

    goals = []  # (text, measured, goal text, passed or None)

    def ratio(a, b):
        ma, mb = median(a), median(b)
        return ma / mb if ma is not None and mb else None

    def both(a, b):
        """The wall-clock ratio, and the CPU-time ratio beside it."""
        ca, cb = median_cpu(a), median_cpu(b)
        cpu = " (cpu %.2fx)" % (ca / cb) if ca is not None and cb else ""
        return fmt_x(ratio(a, b)) + cpu

    def judged(text, a, b, limit, strict=False):
        r = ratio(a, b)
        passed = None if r is None else (r < limit if strict else r <= limit)
        goals.append((text, both(a, b), ("< %.2fx" if strict else "<= %.2fx") % limit, passed))

    judged("listing into a file / listing floor", list_file, floor_list, GOAL_LIST_VS_FLOOR)
    judged("listing into a file / getfattr -R", list_file, getfattr, 1.0, strict=True)
    judged("change +H / change floor +H", change_set, floor_set, GOAL_CHANGE_VS_FLOOR)
    judged("change -H / change floor -H", change_clear, floor_clear, GOAL_CHANGE_VS_FLOOR)
    infos = [("listing on a terminal / listing into a file", both(list_console, list_file)),
             ("listing into a file from a terminal / without", both(list_file_tty, list_file)),
             ("listing into a file / find -printf", both(list_file, find)),
             ("find -printf / listing floor", both(find, floor_list)),
             ("getfattr -R / listing floor", both(getfattr, floor_list))]

    if not args.no_memory:
        failures += memory_test(args, root, zelmo, env, work, trees, goals)
    if not args.no_strace:
        failures += syscall_test(tree, [zelmo, mask, "/S", "+" + tool_path(out("list.txt"))], out("list.txt"),
                                 env, env_tty, work, goals, infos)
    if args.wine == "on" or (args.wine == "auto" and shutil.which("wine") and os.path.exists(args.win_exe)):
        failures += wine_test(args, root, zelmo, env, work, trees, infos)
    else:
        infos.append(("Win32 build under wine", "not run (--wine %s, wine %s, %s %s)" % (
            args.wine, "found" if shutil.which("wine") else "missing", args.win_exe,
            "found" if os.path.exists(args.win_exe) else "missing")))

    log("")
    log("goals of the native build%s" % (" (quick mode: shown, not judged)" if args.quick else ""))
    log("  %-46s %-24s %9s  %s" % ("measure", "measured", "goal", "result"))
    for text, measured, goal, passed in goals:
        result = "n/a" if passed is None else ("PASS" if passed else "MISS")
        if args.quick and passed is not None:
            result = "(%s)" % result
        elif passed is False:
            misses.append(text)
        log("  %-46s %-24s %9s  %s" % (text, measured, goal, result))
    log("")
    log("for information (no goal)")
    for text, measured in infos:
        log("  %-46s %s" % (text, measured))
    return failures, misses


def fmt_x(r):
    return "n/a" if r is None else "%.2fx" % r


def lines_in(path, expected):
    with open(path, "rb") as f:
        count = sum(1 for _ in f)
    return None if count == expected else "%s lines, %s expected" % (num(count), num(expected))


def memory_test(args, root, zelmo, env, work, trees, goals):
    """Peak memory of the listing into a file on a small and a big tree."""
    peaks, failures = [], []
    for dirs in args.mem_dirs:
        tree = Tree(root, dirs, dirs * args.mem_files_per_dir, args.fanout)
        trees.append(tree)
        log("")
        log("memory: tree of %s" % tree.label())
        make_tree(tree)
        target = os.path.join(work, "mem.txt")
        cmd = Command("zelmo listing, %s directories" % num(dirs),
                      [zelmo, tool_path(tree.top) + "\\*.*", "/S", "+" + tool_path(target)], env, work,
                      out=target, check=check_entry_lines(target, tree.entries))
        time_commands([cmd], args.mem_runs, work)
        if cmd.failure:
            failures.append("%s (%s)" % (cmd.name, cmd.failure))
            peaks.append(None)
            continue
        peak = peak_of(cmd)
        if peak is None:
            failures.append("%s (no peak memory: %s missing)" % (cmd.name, TIME))
        else:
            log("  peak RSS %d KiB (median time %.3f s)" % (peak, median(cmd)))
        peaks.append(peak)
    small, big = peaks
    label = "%s vs %s directories" % (num(args.mem_dirs[0]), num(args.mem_dirs[1]))
    if small and big:
        spread = (big - small) / small
        goals.append(("peak memory, %s" % label, "%+.1f%%" % (100 * spread), "<= 5%",
                      abs(spread) <= GOAL_MEM_SPREAD))
        goals.append(("peak memory, %s directories" % num(args.mem_dirs[1]), "%.2f MiB" % (big / 1024),
                      "< 10 MiB", big < GOAL_MEM_KIB))
    else:
        goals.append(("peak memory, %s" % label, "n/a", "<= 5%", None))
    return failures


def syscall_test(tree, argv, target, env, env_tty, work, goals, infos):
    """System calls of the listing into a file: without a terminal (the goal)
    and from a terminal, whose difference is the keyboard poll."""
    log("")
    log("system calls of the listing into a file (strace -f -c; %s entries, %s directories)" % (
        num(tree.entries), num(tree.dirs + 1)))
    drop_file(target)
    plain, problem = strace_counts(argv, env, work, work, on_pty=False)
    if problem:
        goals.append(("system calls per entry, listing into a file", "n/a", "<= 3", None))
        return ["strace of the listing (%s)" % problem]
    total = sum(plain.values())
    print_calls("  without a terminal (stdin /dev/null): %s calls, %.2f per entry" % (
        num(total), total / tree.entries), plain, tree)
    goals.append(("system calls per entry, listing into a file", "%.2f" % (total / tree.entries), "<= 3",
                  total / tree.entries <= GOAL_CALLS_PER_ENTRY))
    drop_file(target)
    tty, problem = strace_counts(argv, env_tty, work, work, on_pty=True)
    if problem:
        return ["strace of the listing from a terminal (%s)" % problem]
    extra = {name: tty.get(name, 0) - plain.get(name, 0) for name in set(tty) | set(plain)}
    extra = {name: calls for name, calls in extra.items() if calls > 0}
    poll = sum(calls for name, calls in extra.items() if name in POLL_CALLS)
    print_calls("  from a terminal, the calls added (keyboard poll and terminal set-up): %s, %.2f per entry" % (
        num(sum(extra.values())), sum(extra.values()) / tree.entries), extra, tree)
    infos.append(("keyboard poll from a terminal, calls per entry", "%.2f (%s calls of %s)" % (
        poll / tree.entries, num(poll), ", ".join(sorted(n for n in extra if n in POLL_CALLS)) or "none")))
    return []


def wine_test(args, root, zelmo, env, work, trees, infos):
    """The Win32 build under wine next to the native build, on a smaller tree."""
    failures = []
    log("")
    if not (shutil.which("wine") and os.path.exists(args.win_exe)):
        log("FAILED  wine or %s missing" % args.win_exe)
        return ["wine run (wine or %s missing)" % args.win_exe]
    tree = Tree(root, args.wine_dirs, args.wine_files, args.fanout)
    trees.append(tree)
    log("Win32 build under wine: tree of %s" % tree.label())
    make_tree(tree)
    prefix = os.path.join(root if args.keep else work, "wineprefix")
    wenv = dict(env, WINEDEBUG="-all", WINEPREFIX=prefix, TERM="xterm")
    # Wine gives its processes the prefix's own temporary directory.
    wenv.pop("TMP")
    wenv.pop("TEMP")
    wenv["WINEDLLOVERRIDES"] = "mscoree,mshtml="
    if not os.path.isdir(prefix):
        start = time.perf_counter()
        res = subprocess.run(["wineboot", "-i"], env=wenv, cwd=work, stdin=subprocess.DEVNULL,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if res.returncode != 0:
            return ["wineboot -i (exit code %d)" % res.returncode]
        log("  made the wine prefix %s in %.1f s" % (prefix, time.perf_counter() - start))
    subprocess.run(["wineserver", "-p"], env=wenv, cwd=work)
    try:
        target = os.path.join(work, "wlist.txt")
        native_target = os.path.join(work, "nlist.txt")
        wine_list = Command("wine zelmo.exe listing into a file",
                            ["wine", os.path.abspath(args.win_exe), tool_path(tree.top, "Z:") + "\\*.*", "/S",
                             "+" + tool_path(target, "Z:")], wenv, work, pty=True, out=target,
                            check=check_entry_lines(target, tree.entries))
        native_list = Command("native zelmo listing into a file",
                              [zelmo, tool_path(tree.top) + "\\*.*", "/S", "+" + tool_path(native_target)], env,
                              work, out=native_target, check=check_entry_lines(native_target, tree.entries))
        time_commands([native_list, wine_list], args.runs, work)
        print_times("Win32 build under wine (tree of %s)" % tree.label(), [native_list, wine_list], native_list)
        failures += ["%s (%s)" % (c.name, c.failure) for c in (native_list, wine_list) if c.failure]
        m_w, m_n = median(wine_list), median(native_list)
        infos.append(("Win32 under wine / native, %s directories" % num(tree.dirs),
                      fmt_x(m_w / m_n) if m_w and m_n else "n/a"))
    finally:
        subprocess.run(["wineserver", "-k"], env=wenv, cwd=work)
    return failures


if __name__ == "__main__":
    sys.exit(main())
