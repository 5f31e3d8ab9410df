"""Tree runs (/S): order of the directories, hidden and system directories,
totals, progress texts, the list file's records, its place and its removal on
every way out, and links."""

import os
import subprocess
import tempfile
from pathlib import Path

import harness
from harness import KEY
from reports import (CONFIRM, INTERRUPTED, LIST_FILE, NOT_FOUND, OUTPUT_QUESTION, PROGRESS, TEMP_FILE_ERROR,
                     entry_line, found_line, grand_change_line, list_file_dir, listing_heading, read_list_file,
                     tool_path)

DONE = PROGRESS + "fatto."


class TreeCase(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.top = self.workdir / "top"
        self.top.mkdir()
        # TMP outside the listed tree; Wine takes its own from its registry.
        self.tmp = Path(tempfile.mkdtemp(prefix="tmp-", dir=self.build.temp_root()))
        self.addCleanup(harness.remove_tree, self.tmp)
        self.list_dir = list_file_dir(self.build, self.tmp)
        self.list_dir.mkdir(parents=True, exist_ok=True)
        self.before = set(os.listdir(self.list_dir))

    def run_tool(self, args, tree=None, env=None):
        if tree:
            harness.make_tree(self.top, tree)
        environment = {"TMP": str(self.tmp), "TEMP": str(self.tmp)}
        environment.update(env or {})
        return self.terminal(args, cwd=self.top, env=environment)

    def sub(self, relative):
        """A directory below the top as its headings show it: the top's part
        upper-cased (the scan starts from the mask's directory part), the
        names below as found."""
        return tool_path(self.build, self.top).upper() + "\\" + relative.replace("/", "\\")

    def record(self, relative):
        """A directory below the top as the list file holds it: as its
        headings show it."""
        return self.sub(relative)

    def assert_list_file_gone(self):
        left = set(os.listdir(self.list_dir)) - self.before
        self.assertEqual({n for n in left if n.upper().startswith("ZELMO")}, set())

    def blocks(self, term):
        """The listing's blocks, as (heading, set of entry lines, count line)."""
        text = term.plain_transcript().replace("\r", "")
        lines = text.split("\n")
        found = []
        for i, line in enumerate(lines):
            if line.startswith("Attributi  ---"):
                end = next(j for j in range(i, len(lines)) if lines[j].startswith("*** File trovati: "))
                found.append((line, set(lines[i + 1:end]), lines[end]))
        return found


class TreeOrder(TreeCase):
    def test_one_directory_per_level_hidden_and_system_ones_included(self):
        tree = {"f0.txt": "", "a/": "", "a/f1.txt": "R", "a/b/": "H", "a/b/f2.txt": "", "a/b/c/": "S",
                "a/b/c/f3.txt": "H"}
        term = self.run_tool(["/S"], tree)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        line = lambda *a: entry_line(self.build, *a)  # noqa: E731
        expected = [
            (listing_heading(self.build, self.top, "*.*"), {line("f0.txt"), line("a", "", True)}, found_line(2)),
            (listing_heading(self.build, self.sub("a"), "*.*"), {line("f1.txt", "R"), line("b", "H", True)},
             found_line(2)),
            (listing_heading(self.build, self.sub("a\\b"), "*.*"), {line("f2.txt"), line("c", "S", True)},
             found_line(2)),
            (listing_heading(self.build, self.sub("a\\b\\c"), "*.*"), {line("f3.txt", "H")}, found_line(1)),
        ]
        self.assertEqual(self.blocks(term), expected, term.describe())
        lines = term.lines()
        self.assertEqual(lines[0], DONE, term.describe())
        self.assertEqual(lines[16:18], ["File trovati complessivamente: 7", ""], term.describe())
        self.assertEqual(term.cursor(), (1, 18), term.describe())
        self.assert_list_file_gone()

    def test_breadth_first(self):
        tree = {"p/": "", "q/": "", "p/r/": "", "q/s/": "", "p/r/x.txt": "", "q/s/y.txt": ""}
        term = self.run_tool(["/S", "*.txt"], tree)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        # Only r and s hold a .TXT: their order follows that of p and q.
        self.assertEqual(term.lines()[0], DONE)
        headings = [b[0] for b in self.blocks(term)]
        self.assertEqual(sorted(headings), sorted(listing_heading(self.build, self.sub(d), "*.TXT")
                                                  for d in ("p\\r", "q\\s")), term.describe())
        self.assertIn("File trovati complessivamente: 2", term.lines())

    def test_the_list_file_holds_the_tree_breadth_first(self):
        tree = {"p/": "", "q/": "H", "p/r/": "S", "p/r/t/": "", "q/s/": "", "z.txt": ""}
        term = self.run_tool(["/S", "+h", "z.txt"], tree)
        term.wait_text(CONFIRM.strip())
        records = read_list_file(self, self.list_dir / LIST_FILE)
        level1 = records[:2]
        self.assertEqual(sorted(level1), [self.record("p"), self.record("q")])
        order = {self.record("p"): self.record("p\\r"), self.record("q"): self.record("q\\s")}
        self.assertEqual(records[2:], [order[level1[0]], order[level1[1]], self.record("p\\r\\t")])
        # Esc during a pass: the list file goes.
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        lines = [line for line in term.lines() if line]
        self.assertEqual(lines[-2:], [INTERRUPTED, "*** File processati complessivamente: 0"], term.describe())
        self.assert_list_file_gone()

    def test_a_linked_directory_is_listed_but_not_scanned(self):
        harness.make_tree(self.top, {"real/": "", "real/f.txt": ""})
        os.symlink("real", self.top / "link")
        term = self.run_tool(["/S"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        blocks = self.blocks(term)
        self.assertEqual([b[0] for b in blocks], [listing_heading(self.build, self.top, "*.*"),
                                                 listing_heading(self.build, self.sub("real"), "*.*")])
        self.assertEqual(blocks[0][1], {entry_line(self.build, "real", "", True),
                                        entry_line(self.build, "link", "", True)}, term.describe())
        self.assertIn("File trovati complessivamente: 3", term.lines())


class TreeTotals(TreeCase):
    def test_progress_texts_and_report_lines_by_output_file(self):
        cases = [
            # options, progress shown, report lines shown
            ([], True, True),
            (["+out.lst"], False, False),
            (["+out.lst", "/V"], True, True),
            (["+NUL", "/V"], True, False),
            (["+NUL"], False, False),
        ]
        harness.make_tree(self.top, {"a.txt": "", "d/": "", "d/b.txt": ""})
        for options, progress, report in cases:
            with self.subTest(options=options):
                (self.top / self.build.created_name("out.lst")).unlink(missing_ok=True)
                term = self.run_tool(["/S", "*.txt"] + options)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                lines = [line for line in term.lines() if line]
                self.assertEqual(lines[:1] == [DONE], progress, term.describe())
                self.assertEqual("File trovati complessivamente: 2" in lines, report, term.describe())
                self.assertEqual(len(lines), progress + report * 7 + ("+out.lst" in options and report),
                                 term.describe())
                self.assert_list_file_gone()

    def test_listing_total_in_the_output_file(self):
        harness.make_tree(self.top, {"a.txt": "", "d/": "", "d/b.txt": "", "d/e/": ""})
        term = self.run_tool(["/S", "*.txt", "+out.lst"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        text = (self.top / self.build.created_name("out.lst")).read_bytes().decode("ascii")
        self.assertTrue(text.endswith("*** File trovati: 1\r\nFile trovati complessivamente: 2\r\n"
                                      "--------------------FINE--------------------\r\n\r\n"), text)
        self.assertEqual(text.count("Attributi  ---"), 2, text)

    def test_change_run_grand_total(self):
        tree = {"a.txt": "", "d/": "H", "d/b.txt": "H", "d/c.txt": "", "d/e/": "", "d/e/f.txt": ""}
        term = self.run_tool(["/S", "+h", "/Y", "*.txt"], tree)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        lines = term.lines()
        last = max(i for i, line in enumerate(lines) if line)
        self.assertEqual(lines[last], grand_change_line(3, 4, 1), term.describe())
        self.assertEqual(lines[0], DONE, term.describe())
        self.assertEqual(lines.count(""), len(lines) - last - 1 + 3, term.describe())
        for name in ("a.txt", "d/b.txt", "d/c.txt", "d/e/f.txt"):
            self.assertTrue(harness.stored_attributes(str(self.top / name)) & harness.HIDDEN, name)

    def test_change_run_with_nul_shows_only_the_grand_total(self):
        tree = {"a.txt": "S", "d/": "", "d/b.txt": "", "d/e/": "", "d/e/c.txt": ""}
        term = self.run_tool(["/S", "/Y", "/I", "+NUL", "+s", "*.txt"], tree)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(term.text().strip(), grand_change_line(2, 3, 1), term.describe())

    def test_t_at_the_first_question_holds_in_later_directories(self):
        tree = {"a.txt": "", "d/": "", "d/b.txt": "", "d/e/": "", "d/e/c.txt": ""}
        term = self.run_tool(["/S", "+r", "*.txt"], tree)
        term.wait_text(CONFIRM.strip())
        term.press("t")
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(term.plain_transcript().count(CONFIRM.strip()), 1, term.describe())
        self.assertIn(grand_change_line(3, 3, 0), term.lines(), term.describe())


class ListFile(TreeCase):
    def test_removed_after_error_2(self):
        term = self.run_tool(["/S", "*.zzz"], {"d/": "", "d/e/": "", "a.txt": ""})
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.lines()[:3], [DONE, NOT_FOUND, ""], term.describe())
        self.assert_list_file_gone()

    def test_removed_after_esc_at_the_pause(self):
        tree = {"f%02d.txt" % n: "" for n in range(30)}
        tree["d/"] = ""
        term = self.run_tool(["/S", "/P"], tree)
        term.wait_text("Premere un tasto per continuare . . .")
        self.assertTrue((self.list_dir / LIST_FILE).exists())
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.lines()[-2:], [INTERRUPTED, ""], term.describe())
        self.assert_list_file_gone()

    def test_removed_after_esc_during_the_scan(self):
        # The answer to the output-file question and Esc arrive together: the
        # Esc waits for the scan's first key poll. The tree is large enough
        # for the scan to outlast the time a lone Esc needs to count as a key.
        for n in range(3000):
            (self.top / ("d%04d" % n)).mkdir()
        (self.top / "OUT.LST").write_bytes(b"old\r\n")
        term = self.run_tool(["/S", "/V", "+out.lst"])
        term.wait_text(OUTPUT_QUESTION.strip())
        term.press("a" + KEY["Esc"])
        self.assertEqual(term.wait_exit(60), 1, term.describe())
        self.assertEqual(term.lines()[3:6], [PROGRESS.rstrip(), INTERRUPTED, ""], term.describe())
        self.assertEqual((self.top / "OUT.LST").read_bytes(), b"old\r\n")
        self.assert_list_file_gone()

    def test_numbered_name_when_the_name_is_taken(self):
        planted = {LIST_FILE: ("RH", b"planted"), "ZELMO__0.TMP": ("S", b"planted too")}
        harness.make_tree(self.list_dir, planted)
        for name in planted:
            self.addCleanup(lambda p=self.list_dir / name: (os.chmod(p, 0o644), p.unlink()))
        self.before = set(os.listdir(self.list_dir))
        term = self.run_tool(["/S", "+h", "z.txt"], {"z.txt": "", "d/": ""})
        term.wait_text(CONFIRM.strip())
        self.assertEqual(read_list_file(self, self.list_dir / "ZELMO__1.TMP"), [self.record("d")])
        term.press("n")
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assert_list_file_gone()
        for name, (_, content) in planted.items():
            self.assertEqual((self.list_dir / name).read_bytes(), content)

    def test_a_planted_link_is_not_followed(self):
        target = self.workdir / "target"
        harness.make_tree(target, {"keep.txt": ("", b"keep")})
        link = self.list_dir / LIST_FILE
        os.symlink(target, link)
        self.addCleanup(link.unlink)
        term = self.run_tool(["/S"], {"a.txt": ""})
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.lines()[:3], [PROGRESS.rstrip(), TEMP_FILE_ERROR, ""], term.describe())
        self.assertTrue(link.is_symlink())
        self.assertEqual(sorted(os.listdir(target)), ["keep.txt"])
        self.assertEqual((target / "keep.txt").read_bytes(), b"keep")

    def test_a_link_to_a_file_makes_the_name_taken(self):
        target = self.workdir / "target.bin"
        target.write_bytes(b"keep")
        link = self.list_dir / LIST_FILE
        os.symlink(target, link)
        self.addCleanup(link.unlink)
        self.before = set(os.listdir(self.list_dir))
        term = self.run_tool(["/S", "+h", "z.txt"], {"z.txt": "", "d/": ""})
        term.wait_text(CONFIRM.strip())
        self.assertEqual(read_list_file(self, self.list_dir / "ZELMO__0.TMP"), [self.record("d")])
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assert_list_file_gone()
        self.assertEqual(target.read_bytes(), b"keep")

    def test_unwritable_tmp_is_error_6(self):
        subprocess.run(["chattr", "+i", str(self.list_dir)], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", str(self.list_dir)])
        term = self.run_tool(["/S"], {"a.txt": ""})
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.lines()[:3], [PROGRESS.rstrip(), TEMP_FILE_ERROR, ""], term.describe())
        self.assertEqual(term.cursor(), (1, 3), term.describe())

    def test_missing_tmp_directory_is_created_at_every_start(self):
        if self.build.name == "win32":
            self.skipTest("Wine gives programs the TMP and TEMP of its registry, not the Linux ones")
        for args in (["/?"], ["/S", "*.zzz"], []):
            with self.subTest(args=args):
                missing = self.tmp / ("new%d" % len(args)) / "deeper"
                term = self.run_tool(args, {"a.txt": ""}, env={"TMP": str(missing)})
                term.wait_exit()
                self.assertTrue(missing.is_dir())
                self.assertEqual(os.listdir(missing), [])


class ColonEndedNames(TreeCase):
    """On Linux a ":" is part of a name: a directory may be called "data:",
    and a name ending with ":" is no drive."""

    def setUp(self):
        super().setUp()
        if self.build.name != "posix":
            self.skipTest("POSIX only: Wine gives names holding a colon other names")
        harness.make_tree(self.top, {"a.txt": "", "data:old": "", "data:/": "", "data:/x": "", "data:/y": ""})

    def test_a_tree_run_lists_what_is_inside_it(self):
        term = self.run_tool(["/S"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        line = lambda *a: entry_line(self.build, *a)  # noqa: E731
        expected = [
            (listing_heading(self.build, self.top, "*.*"),
             {line("a.txt"), line("data:old"), line("data:", "", True)}, found_line(3)),
            (listing_heading(self.build, self.sub("data:"), "*.*"), {line("x"), line("y")}, found_line(2)),
        ]
        self.assertEqual(self.blocks(term), expected, term.describe())
        self.assertIn("File trovati complessivamente: 5", term.lines())

    def test_a_change_run_started_inside_it_changes_its_own_files(self):
        term = self.terminal(["+s", "/y", "/s"], cwd=self.top / "data:",
                             env={"TMP": str(self.tmp), "TEMP": str(self.tmp)})
        self.assertEqual(term.wait_exit(), 0, term.describe())
        bits = {name: harness.stored_attributes(self.top / name)
                for name in ("a.txt", "data:old", "data:/x", "data:/y")}
        self.assertEqual(bits, {"a.txt": 0, "data:old": 0, "data:/x": harness.SYSTEM, "data:/y": harness.SYSTEM},
                         term.describe())

    def test_a_mask_ending_with_a_colon_names_that_entry(self):
        cases = [
            # Without /S the mask is the directory entry itself, with /S what lies in it.
            (["data:"], {entry_line(self.build, "data:", "", True)}),
            (["data:", "/S"], {entry_line(self.build, "x"), entry_line(self.build, "y")}),
        ]
        for args, entries in cases:
            with self.subTest(args=args):
                term = self.run_tool(args)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assertEqual([b[1] for b in self.blocks(term)], [entries], term.describe())


class NamesFromTheDisk(TreeCase):
    """Only what the user typed is expanded as %NAME%: a directory called
    %ZELMO_E2E_DIR% is shown, searched and entered as it is called, even
    while that variable names another directory."""

    VARIABLE = {"ZELMO_E2E_DIR": "other"}
    NAME = "%ZELMO_E2E_DIR%"

    def setUp(self):
        super().setUp()
        harness.make_tree(self.top, {self.NAME + "/": "", self.NAME + "/f.txt": "", "other/": "", "other/o.txt": "",
                                     "100%/": "", "100%/g.txt": ""})

    def test_a_listed_directory_is_shown_as_it_is_called(self):
        term = self.run_tool(["/S", "*.txt"], env=self.VARIABLE)
        self.assertEqual(term.wait_exit(), 0, term.describe())
        blocks = {b[0]: b[1] for b in self.blocks(term)}
        self.assertEqual(blocks.get(listing_heading(self.build, self.sub(self.NAME), "*.TXT")),
                         {entry_line(self.build, "f.txt")}, term.describe())

    def test_a_tree_run_started_inside_it_lists_it(self):
        inside = self.top / self.NAME
        term = self.terminal(["/S"], cwd=inside, env=dict(self.VARIABLE, TMP=str(self.tmp), TEMP=str(self.tmp)))
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(self.blocks(term), [(listing_heading(self.build, inside, "*.*"),
                                              {entry_line(self.build, "f.txt")}, found_line(1))], term.describe())

    def test_a_mask_left_unexpanded_is_shown_as_the_full_path_searched(self):
        # An unpaired "%" leaves the typed mask as it is, relative: the heading
        # shows the directory that is searched.
        term = self.run_tool(["100%\\*.txt"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(self.blocks(term), [(listing_heading(self.build, self.top / "100%", "*.TXT"),
                                              {entry_line(self.build, "g.txt")}, found_line(1))], term.describe())


harness.for_each_build(globals(), TreeOrder, TreeTotals, ListFile, ColonEndedNames, NamesFromTheDisk)
