"""A tree that changes under the run: entries that vanish, appear or are
swapped for a link while the run waits at a confirmation, a directory removed
or swapped during a tree run, and a directory the user may not read. The run
goes on, reports what fails, and never changes a file it was not shown."""

import os
import shutil

import faults
import harness


class ChangedDuringAPass(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.dir = faults.short_directory(self)
        self.mask = faults.tool_path(self.build, self.dir) + "\\*.*"

    def run_answering(self, args, at_first):
        """Runs a change run; at the first confirmation calls at_first(name);
        then answers S to every confirmation and I to every access question."""
        first = []

        def respond(kind, name):
            if not first:
                first.append(name)
                at_first(name)
            return "s" if kind == "confirm" else "i"

        term = self.terminal(args)
        code = faults.answer_questions(term, respond)
        return term, code

    def test_entries_vanish_and_appear(self):
        faults.make_files(self.dir, ["a", "b", "c", "d"])

        def churn(name):
            for other in sorted(set("abcd") - {name})[:2]:
                os.remove(self.dir / other)
            faults.make_files(self.dir, ["new"])

        term, code = self.run_answering(["+H", self.mask], churn)
        self.assertEqual(code, 0, term.describe())
        present = set(os.listdir(self.dir))
        self.assertEqual(len(present), 3, "no vanished entry made again")
        bits = faults.tree_bits(self.dir)
        changed = sum(1 for b in bits.values() if b == harness.HIDDEN)
        failed = term.plain_transcript().count("Impossibile accedere al file")
        self.assertIn("*** File processati: %d su " % changed, term.plain_transcript())
        self.assertLessEqual(failed, 2, term.describe())

    def test_the_entry_shown_is_swapped_for_a_link(self):
        faults.only_posix(self, "Wine shows a Windows program a link as its target")
        outside = self.workdir / "outside"
        faults.make_files(self.workdir, ["outside"])
        faults.make_files(self.dir, ["a"])

        def swap(name):
            os.remove(self.dir / name)
            os.symlink(outside, self.dir / name)

        term, code = self.run_answering(["+H", self.mask], swap)
        self.assertEqual(code, 0, term.describe())
        self.assertEqual(harness.stored_attributes(outside), 0, "the change went through the link")
        self.assertEqual(term.plain_transcript().count("Impossibile accedere al file"), 1, term.describe())

    def test_the_entry_shown_is_swapped_for_a_directory(self):
        faults.make_files(self.dir, ["a"])

        def swap(name):
            os.remove(self.dir / name)
            (self.dir / name).mkdir()

        term, code = self.run_answering(["+H", self.mask], swap)
        self.assertEqual(code, 0, term.describe())
        # The entry of that name is changed as asked; no other.
        self.assertEqual(faults.tree_bits(self.dir), {"a": harness.HIDDEN})


class ChangedDuringATreeRun(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.dir = faults.short_directory(self)
        harness.make_tree(self.dir, {"top": "", "gone/": "", "gone/x": "", "swap/": "", "swap/y": "", "swap/deeper/": "", "swap/deeper/w": "",
                                     "kept/": "", "kept/z": ""})
        self.outside = harness.make_tree(self.workdir / "outside", {"y": "", "deeper/": "", "deeper/w": ""})
        self.mask = faults.tool_path(self.build, self.dir) + "\\*.*"

    def test_listed_directories_removed_or_swapped_for_a_link(self):
        # The list is written before the first question; then one listed
        # directory goes and another becomes a link out of the tree.
        first = []

        def respond(kind, name):
            if not first:
                first.append(name)
                shutil.rmtree(self.dir / "gone")
                if self.build.name == "posix":
                    shutil.rmtree(self.dir / "swap")
                    os.symlink(self.outside, self.dir / "swap")
            return "t"

        term = self.terminal(["/S", "+H", self.mask])
        self.assertEqual(faults.answer_questions(term, respond), 0, term.describe())
        self.assertEqual(set(faults.tree_bits(self.outside).values()), {0}, "the change left the tree")
        bits = faults.tree_bits(self.dir)
        self.assertEqual(bits["kept/z"], harness.HIDDEN)
        self.assertNotIn("gone", bits)


class UnreadableDirectory(harness.ToolCase):
    """A directory that the user nobody may not read, inside a tree run as
    nobody. Wine has no other user to run as."""

    def test_the_run_goes_on_past_it(self):
        faults.only_posix(self, "Wine has no unprivileged user to run as")
        directory = faults.short_directory(self)
        directory.chmod(0o755)
        harness.make_tree(directory, {"open/": "", "open/a": "", "closed/": "", "closed/b": "", "c": ""})
        for path in (directory / "open", directory / "open" / "a", directory / "c"):
            os.chown(path, 65534, 65534)
        (directory / "closed").chmod(0o700)
        mask = faults.tool_path(self.build, directory) + "\\*.*"
        done = faults.run_as_nobody(self, ["/S", mask], cwd=directory)
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 0, out)
        self.assertIn("File trovati complessivamente: 4", out)
        done = faults.run_as_nobody(self, ["/S", "/Y", "/I", "+H", mask], cwd=directory)
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 0, out)
        self.assertEqual(faults.tree_bits(directory),
                         {"open": harness.HIDDEN, "open/a": harness.HIDDEN, "c": harness.HIDDEN, "closed": 0,
                          "closed/b": 0})
        self.assertIn("*** File processati complessivamente: 3 su 4 ,saltati 0  ,accessi negati 1", out)


harness.for_each_build(globals(), ChangedDuringAPass, ChangedDuringATreeRun, UnreadableDirectory)
