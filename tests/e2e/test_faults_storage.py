"""Storage that refuses the tool's files: an output file on a full file system
or in a directory that cannot be written ends the run with error 4 and keeps
what was written; a list file that cannot be created ends a tree run with
error 6 before any attribute is changed."""

import os

import faults
import harness


def long_names(count):
    # About 70 bytes of report per entry.
    return ["entry_with_a_long_name_to_fill_the_report_%05d.dat" % i for i in range(count)]


class OutputFileOnFullStorage(harness.ToolCase):
    def complete_report(self, tree):
        """The report that the same listing writes where there is room."""
        whole = tree.parent / (tree.name + ".txt")
        term = self.terminal(["+" + faults.tool_path(self.build, whole), faults.tool_path(self.build, tree) + "\\"])
        self.assertEqual(term.wait_exit(timeout=60), 0, term.describe())
        return whole.with_name(self.build.created_name(whole.name)).read_bytes()

    def test_full_file_system_is_error_4_and_keeps_what_was_written(self):
        # 600 entries fit the tool's buffer and fail when it is written at
        # the end of the run; 2000 fail in the middle of the listing.
        for count in (600, 2000):
            with self.subTest(entries=count):
                tree = self.workdir / ("tree%d" % count)
                tree.mkdir()
                faults.make_files(tree, long_names(count))
                whole = self.complete_report(tree)
                full = faults.mount_tmpfs(self, 8)
                target = faults.tool_path(self.build, full / "out.txt")
                term = self.terminal(["+" + target, faults.tool_path(self.build, tree) + "\\"])
                self.assertEqual(term.wait_exit(timeout=60), 1, term.describe())
                self.assertIn(faults.OUTPUT_ERROR + target.upper(), faults.logical_lines(term), term.describe())
                kept = (full / self.build.created_name("out.txt")).read_bytes()
                self.assertGreater(len(kept), 0)
                self.assertLess(len(kept), len(whole))
                self.assertEqual(kept, whole[:len(kept)], "the output file holds what was written, in order")

    def test_device_that_is_always_full_is_error_4(self):
        faults.make_files(self.workdir, ["a", "b"])
        target = faults.tool_path(self.build, "/dev/full")
        term = self.terminal(["+" + target, "/AS"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(faults.logical_lines(term)[0], faults.OUTPUT_ERROR + target.upper(), term.describe())

    def test_directory_that_cannot_be_written_is_error_4(self):
        faults.make_files(self.workdir, ["a", "b"])
        locked = faults.mount_tmpfs(self, 64, read_only=True)
        target = faults.tool_path(self.build, locked / "out.txt")
        term = self.terminal(["+" + target])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(faults.logical_lines(term)[0], faults.OUTPUT_ERROR + target.upper(), term.describe())
        self.assertEqual(os.listdir(locked), [])

    def test_directory_of_another_user_is_error_4(self):
        faults.only_posix(self, "Wine has no unprivileged user to run as")
        faults.make_files(self.workdir, ["a"])
        self.workdir.chmod(0o755)
        target = faults.tool_path(self.build, self.workdir / "out.txt")
        done = faults.run_as_nobody(self, ["+" + target, "a"], cwd=self.workdir)
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertIn((faults.OUTPUT_ERROR + target.upper()).encode(), done.stdout)
        self.assertFalse((self.workdir / "OUT.TXT").exists())


class ListFileCannotBeMade(harness.ToolCase):
    """TMP names a place where the list file cannot be created. Wine gives
    its programs its own TMP and TEMP, so only the native build reads them."""

    def setUp(self):
        super().setUp()
        faults.only_posix(self, "Wine sets TMP and TEMP itself")
        self.tree = harness.make_tree(self.workdir / "tree", {"a": "", "b": "", "sub/": "", "sub/c": ""})

    def assert_error_6_and_nothing_changed(self, tmp):
        before = faults.tree_bits(self.tree)
        env = {"TMP": str(tmp), "TEMP": str(tmp)}
        done = self.batch(["/S", "/Y", "+H", faults.tool_path(self.build, self.tree)], env=env)
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertIn(faults.TEMP_FILE_ERROR.encode(), done.stdout)
        self.assertNotIn(b"Modifica di", done.stdout)
        self.assertEqual(faults.tree_bits(self.tree), before)

    def test_read_only_file_system(self):
        self.assert_error_6_and_nothing_changed(faults.mount_tmpfs(self, 64, read_only=True))

    def test_directory_in_place_of_the_file(self):
        tmp = self.workdir / "tmp"
        (tmp / faults.LIST_FILE).mkdir(parents=True)
        self.assert_error_6_and_nothing_changed(tmp)

    def test_immutable_directory(self):
        tmp = self.workdir / "tmp"
        tmp.mkdir()
        faults.make_immutable(self, tmp)
        self.assert_error_6_and_nothing_changed(tmp)


harness.for_each_build(globals(), OutputFileOnFullStorage, ListFileCannotBeMade)
