"""Hostile names: control characters, invalid UTF-8, wildcards, blanks and
percent signs, names that hold a backslash, and names and paths at and past
255 bytes. No name can disturb the screen, lead a change to another file, or
be written through a cut path."""

import os

import faults
import harness

CONTROL = b"ctl\x01\x1bx"
INVALID_UTF8 = b"bad\xff\xfeutf"
ODD = [CONTROL, INVALID_UTF8, b"star*q?p%HOME%", b"a b  c", b"100%", b"plain"]


def names(directory):
    return sorted(os.listdir(os.fsencode(str(directory))))


class OddNames(harness.ToolCase):
    def test_control_characters_and_invalid_utf8_are_shown_as_question_marks(self):
        faults.make_files(self.workdir, [CONTROL, INVALID_UTF8])
        term = self.terminal([])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        rows = term.lines()
        # Under Wine Archive shows on every file.
        field = " [ A   ]" if self.build.name == "win32" else " [     ]"
        self.assertIn(field + "    ctl??x", rows, term.describe())
        if self.build.name == "posix":
            # Wine hands the program other bytes for a name that is not UTF-8.
            self.assertIn(field + "    bad??utf", rows, term.describe())
        self.assertNotIn(b"\x01", term.output)
        self.assertNotIn(b"\x1bx", term.output)

    def test_output_file_keeps_the_bytes_of_the_names(self):
        faults.only_posix(self, "Wine gives the program other bytes for these names")
        faults.make_files(self.workdir, [CONTROL, INVALID_UTF8])
        done = self.batch(["+OUT.TXT", "*.*"])
        self.assertEqual(done.returncode, 0, done.stdout)
        report = (self.workdir / "OUT.TXT").read_bytes()
        self.assertIn(b" [     ]    " + CONTROL + b"\r\n", report)
        self.assertIn(b" [     ]    " + INVALID_UTF8 + b"\r\n", report)

    def test_a_change_on_odd_names_reaches_each_or_fails_and_nothing_else(self):
        directory = self.workdir / "odd"
        directory.mkdir()
        faults.make_files(directory, ODD)
        term = self.terminal(["/Y", "/I", "+H", faults.tool_path(self.build, directory) + "\\*.*"], cols=200)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(names(directory), sorted(ODD), "no entry made or renamed")
        changed = [n for n in ODD if harness.stored_attributes(os.path.join(os.fsencode(str(directory)), n))]
        failed = term.plain_transcript().count("Impossibile accedere al file")
        self.assertEqual(len(changed) + failed, len(ODD), term.describe())
        self.assertIn("*** File processati: %d su %d" % (len(changed), len(ODD)), term.plain_transcript())
        if self.build.name == "posix":
            # The native build reaches every name by its bytes.
            self.assertEqual(failed, 0, term.describe())
        else:
            # Wine cannot hand these names to a Windows program whole.
            self.assertEqual(sorted(changed), [b"100%", b"a b  c", b"plain"])

    def test_blanks_and_percent_signs_are_part_of_a_name(self):
        faults.make_files(self.workdir, ["a b  c", "abc", "a", "100%", "100"])
        term = self.terminal(["/Y", "+S", "a b  c"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        term = self.terminal(["/Y", "+H", "100%"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(faults.tree_bits(self.workdir),
                         {"a b  c": harness.SYSTEM, "100%": harness.HIDDEN, "abc": 0, "a": 0, "100": 0})


class NamesWithABackslash(harness.ToolCase):
    """On Linux a name may hold a backslash, which the tool's paths take as
    a separator: "back\\slash" would name the file slash in the directory
    back. Such entries are left out of every search."""

    def setUp(self):
        super().setUp()
        self.tree = self.workdir / "t"
        harness.make_tree(self.tree, {"back/": "", "back/slash": "", "sub\\dir/": "", "sub\\dir/inner": "",
                                      "sub/": "", "sub/dir/": "", "sub/dir/inner": "", "back\\slash": ""})
        self.mask = faults.tool_path(self.build, self.tree) + "\\*.*"

    def test_listing_leaves_them_out(self):
        term = self.terminal(["/S", self.mask], cols=200)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        shown = term.plain_transcript()
        self.assertNotIn("]    back\\slash", shown)
        self.assertNotIn("]    sub\\dir", shown)
        self.assertIn("File trovati complessivamente: 5", shown)

    def test_a_change_never_reaches_another_file(self):
        term = self.terminal(["/Y", "+H", self.mask], cols=200)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        bits = faults.tree_bits(self.tree)
        self.assertEqual(bits["back/slash"], 0, "changed through the name back\\slash")
        self.assertEqual(bits["sub/dir"], 0)
        self.assertEqual(bits["back\\slash"], 0)
        self.assertEqual(bits["back"], harness.HIDDEN)
        self.assertEqual(bits["sub"], harness.HIDDEN)

    def test_a_tree_run_does_not_enter_them(self):
        term = self.terminal(["/S", "/Y", "+S", self.mask], cols=200)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        bits = faults.tree_bits(self.tree)
        self.assertEqual(bits["sub\\dir"], 0)
        self.assertEqual(bits["sub\\dir/inner"], 0)
        self.assertEqual(bits["back\\slash"], 0)
        # The real entries are each changed once, through their own paths.
        for path in ("back", "back/slash", "sub", "sub/dir", "sub/dir/inner"):
            self.assertEqual(bits[path], harness.SYSTEM, path)
        # Each directory visited once.
        self.assertIn("*** File processati complessivamente: 5 su 5 ,saltati 0  ,accessi negati 0",
                      faults.logical_lines(term))


class LongNamesAndPaths(harness.ToolCase):
    """The tool's texts hold 255 bytes. An entry whose full path would be
    longer is reported as a failed change; a cut path could name another
    file."""

    def test_255_byte_name(self):
        name = "n" * 255
        faults.make_files(self.workdir, [name, name[:-1]])
        term = self.terminal(["/Y", "/I", "+H", faults.tool_path(self.build, self.workdir) + "\\" + "n*"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        # The full names pass 255 bytes: both fail, the one cut to the other's
        # name too, and neither changes.
        self.assertEqual(term.plain_transcript().count("Impossibile accedere al file"), 2, term.describe())
        self.assertEqual(set(faults.tree_bits(self.workdir).values()), {0})

    def test_paths_of_255_and_256_bytes(self):
        prefix = len(faults.tool_path(self.build, self.workdir)) + 1
        fits, too_long = "f" * (255 - prefix), "f" * (256 - prefix)
        faults.make_files(self.workdir, [fits, too_long])
        term = self.terminal(["/Y", "/I", "+H", "f*"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(faults.tree_bits(self.workdir), {fits: harness.HIDDEN, too_long: 0})
        self.assertEqual(term.plain_transcript().count("Impossibile accedere al file"), 1, term.describe())
        self.assertIn("*** File processati: 1 su 2 ,saltati 0  ,accessi negati 1", faults.logical_lines(term))


harness.for_each_build(globals(), OddNames, NamesWithABackslash, LongNamesAndPaths)
