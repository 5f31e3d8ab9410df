"""The listing pass on one directory: layout, heading, attributes, /P paging,
the mask forms of the run driver and error 2."""

import re
import shutil
import tempfile
from pathlib import Path

import harness
from harness import KEY
from reports import (INTERRUPTED, NOT_FOUND, entry_line, found_line, listing_heading, tool_path,
                     wine_temp_dir)

PAUSE = "Premere un tasto per continuare . . ."

# name, letters stored, letters shown (before the build's own), directory
ENTRIES = [
    ("plain.txt", "", "", False),
    ("ro.txt", "R", "R", False),
    ("hid.txt", "H", "H", False),
    ("sys.txt", "S", "S", False),
    ("arc.txt", "A", "A", False),
    ("all.txt", "RHSA", "RHSA", False),
    (".dot", "", "H", False),  # a dot-file is hidden when nothing is stored
    ("sub", "", "", True),
    ("hsub", "H", "H", True),
    ("ssub", "HS", "HS", True),
]


class ListingPass(harness.ToolCase):
    def make_entries(self, entries):
        harness.make_tree(self.workdir, {name + ("/" if d else ""): letters for name, letters, _, d in entries})

    def assert_block(self, term, heading, expected_entries, first_row=0):
        """One directory's block from first_row: heading, the entries in any
        order, the count; then nothing but the cursor's empty row."""
        lines = term.lines()
        end = first_row + 1 + len(expected_entries)
        self.assertEqual(lines[first_row], heading, term.describe())
        self.assertEqual(sorted(lines[first_row + 1:end]), sorted(expected_entries), term.describe())
        self.assertEqual(lines[end], found_line(len(expected_entries)), term.describe())
        self.assertEqual(lines[end + 1:], [""] * (len(lines) - end - 1), term.describe())
        self.assertEqual(term.cursor(), (1, end + 2), term.describe())

    def test_hidden_system_read_only_files_and_subdirectories(self):
        self.make_entries(ENTRIES)
        harness.make_tree(self.workdir, {"sub/inner.txt": ""})  # below: not listed without /S
        term = self.terminal()
        self.assertEqual(term.wait_exit(), 0, term.describe())
        expected = [entry_line(self.build, name, shown, d) for name, _, shown, d in ENTRIES]
        self.assert_block(term, listing_heading(self.build, self.workdir, "*.*"), expected)

    def test_heading_is_shortened_to_40_characters(self):
        deep = "d1234567890/e1234567890/"
        long_name = "f" + "x" * 40 + ".txt"
        harness.make_tree(self.workdir, {deep + "f.txt": "", deep + long_name: ""})
        drive = "Z:" if self.build.name == "win32" else ""
        cases = [
            # mask, heading's path, entries shown
            ("d1234567890\\e1234567890\\*.txt", drive + "\\...\\D1234567890\\E1234567890\\*.TXT",
             ["f.txt", long_name]),
            ("d1234567890\\e1234567890\\f.txt", drive + "\\...\\D1234567890\\E1234567890\\F.TXT", ["f.txt"]),
            # Nothing fits: every directory gives way.
            ("d1234567890\\e1234567890\\f" + "x" * 30 + "*", drive + "\\...\\F" + "X" * 30 + "*", [long_name]),
        ]
        for mask, path, names in cases:
            with self.subTest(mask=mask):
                term = self.terminal([mask])
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assert_block(term, "Attributi  ---  Nomi dei files (%s)" % path,
                                  [entry_line(self.build, n) for n in names])

    def test_short_heading_is_whole(self):
        short = Path(tempfile.mkdtemp(prefix="zl", dir="/tmp"))
        self.addCleanup(shutil.rmtree, short, True)
        harness.make_tree(short, {"a.txt": "R"})
        term = self.terminal(cwd=short)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        heading = "Attributi  ---  Nomi dei files (%s\\*.*)" % tool_path(self.build, short)
        self.assert_block(term, heading, [entry_line(self.build, "a.txt", "R")])

    def paged_run(self, count):
        harness.make_tree(self.workdir, {"f%02d.txt" % n: "" for n in range(count)})
        term = self.terminal(["/P"])
        term.wait_text(PAUSE)
        return term

    def test_p_pauses_after_24_lines_and_reprints_the_heading(self):
        term = self.paged_run(30)
        heading = listing_heading(self.build, self.workdir, "*.*")
        names = {entry_line(self.build, "f%02d.txt" % n) for n in range(30)}
        first_page = term.lines()
        self.assertEqual(first_page[0], heading, term.describe())
        self.assertEqual(first_page[24], PAUSE, term.describe())
        self.assertEqual(term.cursor(), (len(PAUSE) + 1, 25), term.describe())
        shown_first = set(first_page[1:24])
        self.assertEqual(len(shown_first), 23)
        self.assertLessEqual(shown_first, names)
        # A function key continues like any other key.
        term.press(KEY["F5"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        last = term.lines()[-11:]
        self.assertEqual(last[0], PAUSE, term.describe())
        self.assertEqual(last[1], heading, term.describe())
        self.assertEqual(set(last[2:9]), names - shown_first, term.describe())
        self.assertEqual(last[9:], [found_line(30), ""], term.describe())
        self.assertEqual(term.cursor(), (1, 25), term.describe())

    def test_p_pages_fit_a_window_of_fewer_rows(self):
        harness.make_tree(self.workdir, {"f%02d.txt" % n: "" for n in range(30)})
        heading = listing_heading(self.build, self.workdir, "*.*")
        term = self.terminal(["/P"], rows=12)
        term.wait_text(PAUSE)
        # The heading and 10 entries, the pause on the last row.
        lines = term.lines()
        self.assertEqual(lines[0], heading, term.describe())
        self.assertEqual(len(set(lines[1:11]) - {""}), 10, term.describe())
        self.assertEqual(lines[11], PAUSE, term.describe())
        self.assertEqual(term.cursor(), (len(PAUSE) + 1, 12), term.describe())
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())

    def test_p_pages_follow_a_window_made_smaller_during_the_run(self):
        if self.build.name == "win32":
            self.skipTest("Wine's console keeps the size it started with")
        term = self.paged_run(40)
        self.assertEqual(term.lines()[24], PAUSE, term.describe())
        term.resize(12, 80)
        term.press("x")
        # The next page fits the window: the reprinted heading, 10 entries,
        # the pause on the last row.
        term.wait_output(re.escape(PAUSE), count=2)
        lines = term.lines()
        self.assertEqual(lines[0], listing_heading(self.build, self.workdir, "*.*"), term.describe())
        self.assertEqual(len(set(lines[1:11]) - {""}), 10, term.describe())
        self.assertEqual(lines[11], PAUSE, term.describe())
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())

    def test_esc_at_the_pause_ends_the_run(self):
        term = self.paged_run(30)
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.lines()[-2:], [INTERRUPTED, ""], term.describe())
        self.assertEqual(term.lines()[-3], PAUSE, term.describe())
        self.assertNotIn("*** File trovati", term.text())

    def test_no_pause_without_p_or_with_an_output_file(self):
        for args in ([], ["/P", "+out.lst"]):
            with self.subTest(args=args):
                harness.make_tree(self.workdir, {"f%02d.txt" % n: "" for n in range(30)})
                term = self.terminal(args + ["*.txt"])
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assertNotIn(PAUSE, term.plain_transcript())


class RunDriver(harness.ToolCase):
    def setUp(self):
        super().setUp()
        harness.make_tree(self.workdir, {"a.txt": "", "b.log": "H", "sub/": "", "sub/c.txt": "S", "sub/d.tmp": ""})
        # Wine gives every program the TEMP of its own registry.
        if self.build.name == "win32":
            self.temp = wine_temp_dir(self.build)
            self.temp_text = "C:\\users\\%s\\Temp" % self.temp.parent.name
        else:
            self.temp = Path(tempfile.mkdtemp(prefix="temp-", dir=self.build.temp_root()))
            self.addCleanup(harness.remove_tree, self.temp)
            self.temp_text = tool_path(self.build, self.temp)

    def test_mask_forms(self):
        w = tool_path(self.build, self.workdir)
        line = lambda name, letters="", d=False: entry_line(self.build, name, letters, d)  # noqa: E731
        cases = [
            # arguments, listed directory as shown, pattern, entries
            ([], w, "*.*", [line("a.txt"), line("b.log", "H"), line("sub", "", True)]),
            (["*.txt"], w, "*.TXT", [line("a.txt")]),
            (["sub\\"], w + "\\SUB", "*.*", [line("c.txt", "S"), line("d.tmp")]),
            (["sub\\*.tmp"], w + "\\SUB", "*.TMP", [line("d.tmp")]),
            # A directory named without /S stands for its own entry.
            (["sub"], w, "SUB", [line("sub", "", True)]),
            ([w + "\\sub"], w.upper(), "SUB", [line("sub", "", True)]),
        ]
        for args, directory, pattern, entries in cases:
            with self.subTest(args=args):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                ListingPass.assert_block(self, term, listing_heading(self.build, directory, pattern), entries)

    def test_mask_with_an_environment_variable(self):
        marker = "zelmo-e2e-%s.tmp" % self.workdir.name
        (self.temp / marker).write_bytes(b"")
        self.addCleanup((self.temp / marker).unlink)
        term = self.terminal(["%temp%\\zelmo-e2e-*.tmp"], env={"TEMP": str(self.temp), "TMP": str(self.temp)})
        self.assertEqual(term.wait_exit(), 0, term.describe())
        ListingPass.assert_block(self, term, listing_heading(self.build, self.temp_text, "ZELMO-E2E-*.TMP"),
                                 [entry_line(self.build, marker)])

    def test_nothing_found_is_error_2(self):
        cases = [["*.zzz"], ["nosuchdir\\*.*"], ["sub\\c.txt\\x"]]
        for args in cases:
            with self.subTest(args=args):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 1, term.describe())
                self.assertEqual(term.lines()[:2], [NOT_FOUND, ""], term.describe())
                self.assertEqual(term.text().strip(), NOT_FOUND, term.describe())
                self.assertEqual(term.cursor(), (1, 2), term.describe())

    def test_empty_directory_is_error_2(self):
        empty = self.workdir / "empty"
        empty.mkdir()
        term = self.terminal(cwd=empty)
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.text().strip(), NOT_FOUND, term.describe())


harness.for_each_build(globals(), ListingPass, RunDriver)
