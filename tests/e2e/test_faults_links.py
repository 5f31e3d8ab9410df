"""Symbolic links: a change never reaches a link's target, and a tree run
never enters a linked directory, so it cannot loop or leave the tree.

Native build only: Wine shows a Windows program a symbolic link as the entry
it points to."""

import os

import faults
import harness


class SymbolicLinks(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "Wine shows a symbolic link as the entry it points to")
        self.outside = harness.make_tree(self.workdir / "outside", {"target": "", "dir/": "", "dir/inner": ""})
        self.tree = harness.make_tree(self.workdir / "tree", {"own": "", "sub/": "", "sub/deep": ""})
        os.symlink(self.outside / "target", self.tree / "to_file")
        os.symlink(self.outside / "dir", self.tree / "to_dir")
        os.symlink(self.tree, self.tree / "sub" / "to_top")
        os.symlink(self.workdir, self.tree / "sub" / "to_above")
        os.symlink(self.workdir / "missing", self.tree / "dangling")
        self.mask = faults.tool_path(self.build, self.tree) + "\\*.*"

    def test_a_change_never_reaches_a_target(self):
        done = self.batch(["/S", "/Y", "/I", "+H", "+S", self.mask])
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 0, out)
        self.assertEqual(set(faults.tree_bits(self.outside).values()), {0}, out)
        bits = faults.tree_bits(self.tree)
        self.assertEqual(bits, {"own": 6, "sub": 6, "sub/deep": 6}, out)
        # Each link is tried and reported as a failure.
        for link in ("to_file", "to_dir", "dangling", "sub\\to_top", "sub\\to_above"):
            self.assertIn("Impossibile accedere al file " + self.mask[:-3].upper() + link, out)
        self.assertIn("*** File processati complessivamente: 3 su 8 ,saltati 0  ,accessi negati 5", out)

    def test_a_tree_run_does_not_enter_linked_directories(self):
        done = self.batch(["/S", self.mask])
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 0, out)
        # The top and sub, each once; the links are listed as entries.
        self.assertEqual(out.count("Attributi  ---  Nomi dei files ("), 2, out)
        self.assertIn("File trovati complessivamente: 8", out)
        self.assertNotIn("inner", out)


harness.for_each_build(globals(), SymbolicLinks)
