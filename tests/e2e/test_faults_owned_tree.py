"""Root over a tree that another user owns and changes while the run goes on:
nothing outside the tree is ever touched.

The tree belongs to the user nobody, who plants links, twins and list files
in it and swaps its directories for links to root's own directories, once or
in a loop, while root lists and changes it. After every run the files
outside the tree keep their mode, their user.DOSATTRIB and their content.
One test per attack; those that need a race repeat root's run for a few
seconds against an attacker that keeps trying, and print how many runs and
attacks they made (ZELMO_RACE_SECONDS sets the time).

Native build only, as root: Wine shows a Windows program a link as what it
leads to, and has no other user to run as."""

import os
import stat
import subprocess
import sys
import tempfile
import time
from pathlib import Path

import faults
import harness

RACE_SECONDS = float(os.environ.get("ZELMO_RACE_SECONDS", "4"))
SECRET = b"precious"
NOBODY = 65534

# The attacker's loops, run as nobody with /usr/bin/python3 -c.

# Swaps each named directory of a tree for a link to target and back, over
# and over until the time is up; prints how many swaps it made.
SWAP_LOOP = r"""
import os, sys, time
tree, target, seconds, names = sys.argv[1], sys.argv[2], float(sys.argv[3]), sys.argv[4:]
deadline = time.monotonic() + seconds
swaps = 0
while time.monotonic() < deadline:
    for name in names:
        path = os.path.join(tree, name)
        os.rename(path, path + ".real")
        os.symlink(target, path)
        time.sleep(0.002)
        os.unlink(path)
        os.rename(path + ".real", path)
        swaps += 1
        time.sleep(0.001)
print(swaps)
"""

# Puts its own list file in place of every list file that root creates in
# the tree, until the time is up; prints how many it put.
REPLACE_LOOP = r"""
import os, sys, time
tree, crafted, seconds = sys.argv[1], open(sys.argv[2], "rb").read(), float(sys.argv[3])
deadline = time.monotonic() + seconds
placed = 0
while time.monotonic() < deadline:
    for name in os.listdir(tree):
        upper = name.upper()
        if not (upper.startswith("ZELMO") and upper.endswith(".TMP")):
            continue
        path = os.path.join(tree, name)
        try:
            if os.lstat(path).st_uid != 0:
                continue
            mine = os.path.join(tree, ".crafted")
            with open(mine, "wb") as f:
                f.write(crafted)
            os.rename(mine, path)
            placed += 1
        except OSError:
            pass
print(placed)
"""

# On "go SECONDS" swaps the top for a link after a random wait of up to that
# long; on "back" puts it back. Answers "ok" to each.
SWAP_ONCE = r"""
import os, random, sys, time
top, target = sys.argv[1], sys.argv[2]
for line in sys.stdin:
    if line.startswith("go"):
        time.sleep(random.uniform(0, float(line.split()[1])))
        os.rename(top, top + ".real")
        os.symlink(target, top)
    else:
        os.unlink(top)
        os.rename(top + ".real", top)
    print("ok", flush=True)
"""


def snapshot(root):
    """Every entry from root down, links not followed: its mode, its
    user.DOSATTRIB and, for a file, its content."""
    found = {}
    for dirpath, dirnames, filenames in os.walk(root):
        for path in [dirpath] + [os.path.join(dirpath, n) for n in dirnames + filenames]:
            st = os.lstat(path)
            try:
                value = os.getxattr(path, harness.XATTR, follow_symlinks=False)
            except OSError:
                value = None
            content = Path(path).read_bytes() if stat.S_ISREG(st.st_mode) else None
            found[os.path.relpath(path, root)] = (oct(st.st_mode), value, content)
    return found


def record(path):
    """A list-file record naming path: the length byte 255, the path, NULs."""
    data = path.encode()
    return b"\xff" + data + b"\0" * (255 - len(data))


class OwnedTree(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "Wine shows a link as what it leads to and has no other user")
        self.attacker = faults.as_nobody(self)
        # Root's own files outside the tree.
        self.outside = Path(tempfile.mkdtemp(prefix="zv", dir="/tmp"))
        self.addCleanup(harness.remove_tree, self.outside)
        self.outside.chmod(0o755)
        harness.make_tree(self.outside, {"secret": ("", SECRET), "f": ("", SECRET), "g": ("", SECRET),
                                         "inner/": "", "inner/deep": ("H", SECRET), "victim/": "",
                                         "victim/f": ("", SECRET), "b/": "", "b/victim/": "",
                                         "b/victim/f": ("", SECRET)})
        self.before = snapshot(self.outside)
        # A sticky directory that everyone may write, as /tmp, holds the trees.
        self.shared = Path(tempfile.mkdtemp(prefix="zs", dir="/tmp"))
        self.addCleanup(harness.remove_tree, self.shared)
        self.shared.chmod(0o1777)
        # Root's list file goes where nobody reaches it, but where a test says.
        self.tmp = self.workdir / "root-tmp"
        self.tmp.mkdir(mode=0o700)
        self.environment = self.build.environment({"TMP": str(self.tmp), "TEMP": str(self.tmp)})

    def owned_tree(self, name, entries):
        """A tree in the shared directory that nobody owns, whole."""
        tree = harness.make_tree(self.shared / name, entries)
        subprocess.run(["chown", "-R", "%d:%d" % (NOBODY, NOBODY), str(tree)], check=True)
        return tree

    def attack(self, *command):
        """Runs a command as nobody and waits for it."""
        subprocess.run(self.attacker + [str(c) for c in command], check=True, timeout=harness.TIMEOUT)

    def attack_loop(self, script, *args, **popen):
        """Starts one of the attacker's loops as nobody."""
        process = subprocess.Popen(self.attacker + ["/usr/bin/python3", "-c", script] + [str(a) for a in args],
                                   stdout=subprocess.PIPE, text=True, **popen)
        self.addCleanup(lambda: process.poll() is None and process.kill())
        return process

    def root_run(self, args, cwd, environment=None):
        """root's run with no terminal; the CompletedProcess."""
        return subprocess.run([str(self.build.program("zelmo"))] + args, cwd=str(cwd),
                              env=environment or self.environment, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=harness.TIMEOUT, start_new_session=True)

    def assert_outside_untouched(self, what):
        self.assertEqual(snapshot(self.outside), self.before, "changed outside the tree: %s" % what)

    def race(self, args, cwd, codes=(0,), environment=None):
        """Runs root's change run over and over for RACE_SECONDS, each time
        setting or clearing Read-only, checking the files outside after each;
        the number of runs."""
        runs = 0
        deadline = time.monotonic() + RACE_SECONDS
        while time.monotonic() < deadline:
            request = "+R" if runs % 2 == 0 else "-R"
            done = self.root_run([request] + args, cwd, environment)
            out = done.stdout.decode(errors="replace")
            self.assertIn(done.returncode, codes, out)
            self.assert_outside_untouched("run %d, %s: %s" % (runs + 1, request, out[-2000:]))
            runs += 1
        return runs

    def tell(self, row, runs, attacks=None):
        text = "\n  row %d: %d runs" % (row, runs)
        if attacks is not None:
            text += ", %d attacks" % attacks
        sys.stderr.write(text + ", nothing outside the tree changed\n")

    def test_row_1_a_planted_output_link_is_never_written(self):
        tree = self.owned_tree("proj", {"a.txt": ""})
        self.attack("ln", "-s", self.outside / "secret", tree / "OUT.TXT")
        self.attack("ln", "-s", self.outside / "f", tree / "new.txt")
        cases = [
            # parameters, exit code, message
            (["+OUT.TXT", "/AS"], 1, "Errore in scrittura del file di output: OUT.TXT"),
            (["+OUT.TXT", "/AA"], 1, "Errore in scrittura del file di output: OUT.TXT"),
            (["+out.txt", "/AS"], 1, "Errore in scrittura del file di output: OUT.TXT"),
            (["+OUT.TXT", "/AE"], 1, "Il file di output esiste gi\u00e0: OUT.TXT"),
            (["+OUT.TXT", "/AS", "+R", "/Y", "/I"], 1, "Errore in scrittura del file di output: OUT.TXT"),
            (["+new.txt", "/AS"], 1, "Errore in scrittura del file di output: NEW.TXT"),
        ]
        for args, code, message in cases:
            with self.subTest(args=args):
                done = self.root_run(args, tree)
                out = done.stdout.decode()
                self.assertEqual(done.returncode, code, out)
                self.assertIn(message, out.splitlines())
                self.assert_outside_untouched(args)
                self.assertTrue((tree / "OUT.TXT").is_symlink())
        self.tell(1, len(cases))

    def test_row_2_a_twin_of_a_path_part_above_the_tree_is_never_taken(self):
        # The tree is proj/victim, with directories whose names end with ":";
        # beside proj, in the shared directory, nobody makes PROJ, holding
        # VICTIM, a link to root's directory, whose directories bear the
        # names of the tree's.
        tree = self.owned_tree("proj", {"victim/": "", "victim/a.txt": "", "victim/x:/": "", "victim/x:y/": "",
                                        "victim/x:y/f": "", "victim/inner/": "", "victim/inner/deep": "",
                                        "victim/b/": "", "victim/b/victim/": "", "victim/b/victim/f": ""})
        top = tree / "victim"
        self.attack("mkdir", self.shared / "PROJ")
        self.attack("ln", "-s", self.outside, self.shared / "PROJ" / "VICTIM")
        runs = 20
        for run in range(runs):
            request = "+R" if run % 2 == 0 else "-R"
            done = self.root_run([request, "/S", "/Y", "/I"], top)
            self.assertEqual(done.returncode, 0, done.stdout)
            self.assert_outside_untouched("run %d: %s" % (run + 1, done.stdout.decode()[-2000:]))
            self.assertEqual(harness.stored_attributes(top / "b" / "victim" / "f") & harness.READ_ONLY,
                             harness.READ_ONLY if request == "+R" else 0, "the tree is changed as asked")
        self.tell(2, runs)

    def test_row_3_listed_directories_swapped_for_links_in_a_loop(self):
        names = ["d%d" % i for i in range(6)]
        entries = {"top.txt": ""}
        for name in names:
            entries.update({name + "/": "", name + "/f": "", name + "/inner/": "", name + "/inner/deep": ""})
        tree = self.owned_tree("proj", entries)
        swapper = self.attack_loop(SWAP_LOOP, tree, self.outside, RACE_SECONDS + 1, *names)
        runs = self.race(["/S", "/Y", "/I"], tree)
        swaps = int(swapper.communicate(timeout=harness.TIMEOUT)[0])
        self.assertGreater(swaps, 0)
        self.assert_outside_untouched("at the end")
        self.tell(3, runs, swaps)

    def test_row_4_a_list_file_replaced_in_the_tree(self):
        # Neither TMP nor TEMP: the list file goes into the current directory,
        # the tree's top, where nobody may rename files of its own over it.
        entries = {"top.txt": ""}
        for i in range(40):
            entries.update({"d%02d/" % i: "", "d%02d/f" % i: ""})
        tree = self.owned_tree("proj", entries)
        crafted = self.shared / "crafted"
        outside = faults.tool_path(self.build, self.outside)
        top = faults.tool_path(self.build, tree)
        crafted.write_bytes(b"".join(record(p) for p in [
            outside, outside + "\\inner", top + "\\..\\..\\" + self.outside.name,
            top + "\\d00\\..\\..\\..\\" + self.outside.name + "\\victim"]))
        crafted.chmod(0o644)
        environment = {k: v for k, v in self.environment.items() if k not in ("TMP", "TEMP")}
        replacer = self.attack_loop(REPLACE_LOOP, tree, crafted, RACE_SECONDS + 1)
        runs = self.race(["/S", "/Y", "/I"], tree, environment=environment)
        placed = int(replacer.communicate(timeout=harness.TIMEOUT)[0])
        self.assertGreater(placed, 0)
        self.assert_outside_untouched("at the end")
        self.tell(4, runs, placed)

    def test_row_5_the_top_swapped_for_a_link_once_after_root_entered_it(self):
        entries = {"top.txt": ""}
        for i in range(60):
            entries.update({"d%02d/" % i: "", "d%02d/f" % i: ""})
        top = self.owned_tree("top", entries)
        swapper = self.attack_loop(SWAP_ONCE, top, self.outside, stdin=subprocess.PIPE)
        runs = 0
        deadline = time.monotonic() + RACE_SECONDS
        while time.monotonic() < deadline:
            request = "+R" if runs % 2 == 0 else "-R"
            run = subprocess.Popen([str(self.build.program("zelmo")), request, "/S", "/Y", "/I"], cwd=str(top),
                                   env=self.environment, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                   stderr=subprocess.DEVNULL, start_new_session=True)
            swapper.stdin.write("go 0.02\n")
            swapper.stdin.flush()
            self.assertEqual(swapper.stdout.readline(), "ok\n")
            out = run.communicate(timeout=harness.TIMEOUT)[0].decode(errors="replace")
            # Swapped before the top was held, the top is not found at all.
            self.assertIn(run.returncode, (0, 1), out)
            swapper.stdin.write("back\n")
            swapper.stdin.flush()
            self.assertEqual(swapper.stdout.readline(), "ok\n")
            self.assert_outside_untouched("run %d, %s: %s" % (runs + 1, request, out[-2000:]))
            runs += 1
        swapper.stdin.close()
        swapper.wait(timeout=harness.TIMEOUT)
        self.tell(5, runs, runs)

    def test_row_6_one_of_two_names_that_differ_in_case_swapped_after_the_scan(self):
        tree = self.owned_tree("proj", {"a.txt": "", "D/": "", "D/f": "", "d/": "", "d/g": ""})
        runs = 3
        for run in range(runs):
            request = "+R" if run % 2 == 0 else "-R"
            swapped = []

            def respond(kind, name):
                # The list is written before the first question.
                if not swapped:
                    self.attack("mv", tree / "D", tree / "D.real")
                    self.attack("ln", "-s", self.outside, tree / "D")
                    swapped.append(name)
                return "t"

            term = self.terminal([request, "/S"], cwd=tree, env={"TMP": str(self.tmp), "TEMP": str(self.tmp)})
            self.assertEqual(faults.answer_questions(term, respond), 0, term.describe())
            self.assertTrue(swapped, term.describe())
            self.assert_outside_untouched("run %d" % (run + 1))
            self.assertEqual(harness.stored_attributes(tree / "d" / "g") & harness.READ_ONLY,
                             harness.READ_ONLY if request == "+R" else 0, term.describe())
            self.attack("rm", tree / "D")
            self.attack("mv", tree / "D.real", tree / "D")
        self.tell(6, runs, runs)


harness.for_each_build(globals(), OwnedTree)
