"""The change pass on one directory: the confirmation question at column 60,
every answer, skipped entries, a directory, and the access question after a
failed change. The fixtures live in a short directory below /tmp so that
every line fits one screen row."""

import subprocess
import tempfile
from pathlib import Path

import harness
from harness import HIDDEN, KEY, READ_ONLY, SYSTEM
from reports import (ACCESS_QUESTION, CONFIRM, INTERRUPTED, change_heading, field, processed_line, shown,
                     tool_path)

COLUMN = 60


class ChangeCase(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.dir = Path(tempfile.mkdtemp(prefix="zl", dir="/tmp"))
        self.addCleanup(harness.remove_tree, self.dir)

    def clear_dir(self):
        """Empties the directory for the next run, immutable files included."""
        for path in self.dir.iterdir():
            subprocess.run(["chattr", "-i", str(path)], stderr=subprocess.DEVNULL)
        harness.remove_tree(self.dir)
        self.dir.mkdir()

    def full(self, name):
        return tool_path(self.build, self.dir / name)

    def change(self, old, new, directory=False):
        return field(shown(self.build, old, directory)) + " --->" + field(shown(self.build, new, directory))

    def prompt(self, old, new, name, directory=False):
        return "%s   Modificare %s ?" % (self.change(old, new, directory), self.full(name))

    def run_tool(self, args, tree):
        harness.make_tree(self.dir, tree)
        return self.terminal(args, cwd=self.dir)

    @staticmethod
    def asked_rows(text, answer=""):
        """The screen rows of a confirmation question and its answer: the
        bracket stands at column 60, on the next row when the text reaches it."""
        if len(text) < COLUMN:
            return [text.ljust(COLUMN - 1) + CONFIRM + answer]
        return [text, " " * (COLUMN - 1) + CONFIRM + answer]

    def heading(self, pattern):
        return change_heading(self.build, self.dir, pattern)

    def stored(self, name):
        # Wine keeps neither a stored Archive nor one it would report.
        return harness.stored_attributes(str(self.dir / name)) & (READ_ONLY | HIDDEN | SYSTEM)


class ChangePass(ChangeCase):
    def test_question_stands_at_column_60(self):
        base = len(self.prompt("", "R", "x")) - 1
        cases = [
            # length of the question's text, on the same row
            (base + 1, True),
            (59, True),
            (60, False),
            (61, False),
        ]
        for length, same_row in cases:
            name = "q" * (length - base)
            with self.subTest(length=length):
                self.clear_dir()
                term = self.run_tool(["+r", name], {name: ""})
                term.wait_text(CONFIRM.strip())
                text = self.prompt("", "R", name)
                self.assertEqual(len(text), length)
                rows = [row.rstrip() for row in self.asked_rows(text)]
                self.assertEqual(len(rows), 1 if same_row else 2)
                self.assertEqual(term.lines()[:len(rows) + 1], [self.heading(name.upper())] + rows, term.describe())
                self.assertEqual(term.cursor(), (COLUMN + len(CONFIRM), len(rows) + 1), term.describe())
                term.press("s")
                self.assertEqual(term.wait_exit(), 0, term.describe())
                rows[-1] += " S"
                self.assertEqual(term.lines()[:len(rows) + 4],
                                 [self.heading(name.upper())] + rows + ["", processed_line(1, 1, 0), ""],
                                 term.describe())
                self.assertEqual(self.stored(name), READ_ONLY)

    def test_answers_to_the_confirmation(self):
        cases = [
            # keys, answer shown, processed, attributes afterwards
            (["s"], "S", 1, READ_ONLY),
            (["S"], "S", 1, READ_ONLY),
            (["n"], "N", 0, 0),
            # Keys without a character and other letters are no answer.
            ([KEY["F1"], KEY["Left"], KEY["Delete"], "x", "N"], "N", 0, 0),
            (["t"], "T", 1, READ_ONLY),
        ]
        for keys, answer, processed, after in cases:
            with self.subTest(keys=keys):
                self.clear_dir()
                term = self.run_tool(["+r", "a.txt"], {"a.txt": ""})
                term.wait_text(CONFIRM.strip())
                term.press(*keys)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                rows = self.asked_rows(self.prompt("", "R", "a.txt"), answer)
                expected = [self.heading("A.TXT")] + rows + ["", processed_line(processed, 1, 0), ""]
                self.assertEqual(term.lines()[:len(expected)], expected, term.describe())
                self.assertEqual(self.stored("a.txt"), after)

    def test_esc_at_the_confirmation_shows_the_count_without_a_line_end(self):
        term = self.run_tool(["-h", "*.txt"], {"a.txt": "H", "b.txt": "H"})
        term.wait_text(CONFIRM.strip())
        term.press("s")
        term.wait_output(r"\[Si,No,Tutti,Esc\]", count=2)
        term.press(KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        count = "*** File processati complessivamente: 1"
        lines = term.lines()
        end = lines.index(INTERRUPTED)
        # The Esc answer shows as "?", like every control byte.
        self.assertTrue(lines[end - 1].endswith(CONFIRM + "?"), term.describe())
        self.assertEqual(lines[end + 1:end + 2], [count], term.describe())
        self.assertEqual(term.cursor(), (len(count) + 1, end + 2), term.describe())
        self.assertEqual(sorted([self.stored("a.txt"), self.stored("b.txt")]), [0, HIDDEN])

    def test_t_changes_the_rest_without_asking(self):
        term = self.run_tool(["+s", "*.txt"], {"a.txt": "", "b.txt": "", "c.txt": ""})
        term.wait_text(CONFIRM.strip())
        term.press("t")
        self.assertEqual(term.wait_exit(), 0, term.describe())
        lines = term.lines()
        self.assertEqual(term.plain_transcript().count(CONFIRM), 1, term.describe())
        first = next(n for n in ("a.txt", "b.txt", "c.txt") if self.full(n) + " ?" in lines[1])
        lines = [lines[0]] + lines[1 + len(self.asked_rows(self.prompt("", "S", first))) - 1:]
        rest = {"%s   Modifica di %s" % (self.change("", "S"), self.full(n)) for n in ("a.txt", "b.txt", "c.txt")
                if n != first}
        self.assertEqual(set(lines[2:4]), rest, term.describe())
        self.assertEqual(lines[4:7], ["", processed_line(3, 3, 0), ""], term.describe())
        for name in ("a.txt", "b.txt", "c.txt"):
            self.assertEqual(self.stored(name), SYSTEM)

    def test_entries_already_as_requested_are_skipped(self):
        cases = [
            # options, tree, mask, lines between heading and count, counts
            ([], {"a.txt": "R", "b.txt": "RH"}, "*.TXT", [], (0, 2, 2)),
            (["/y"], {"a.txt": "R", "b.txt": ""}, "*.TXT",
             ["%s   Modifica di %s" % (self.change("", "R"), self.full("b.txt"))], (1, 2, 1)),
        ]
        for options, tree, mask, changes, counts in cases:
            with self.subTest(options=options):
                self.clear_dir()
                term = self.run_tool(["+r", mask] + options, tree)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                expected = [self.heading(mask)] + changes + ["", processed_line(*counts), ""]
                self.assertEqual(term.lines()[:len(expected)], expected, term.describe())
                self.assertEqual(term.text().strip(), "\n".join(expected).strip(), term.describe())
                for name in tree:
                    self.assertEqual(self.stored(name) & READ_ONLY, READ_ONLY)

    def test_change_on_a_directory_shows_d_on_both_sides(self):
        cases = [("+h", "", "H"), ("-h", "H", ""), ("+s", "H", "HS")]
        for request, before, after in cases:
            with self.subTest(request=request):
                self.clear_dir()
                term = self.run_tool([request, "/y", "sub"], {"sub/": before})
                self.assertEqual(term.wait_exit(), 0, term.describe())
                line = "%s   Modifica di %s" % (self.change(before, after, True), self.full("sub"))
                self.assertEqual(term.lines()[:4], [self.heading("SUB"), line, "", processed_line(1, 1, 0)],
                                 term.describe())
                self.assertEqual(self.stored("sub"), harness.attribute_bits(after))


class AccessFailure(ChangeCase):
    """A change that fails: the file is immutable (chattr +i), which stops
    root too, and Wine's change of it as well."""

    def run_tool(self, args, tree):
        harness.make_tree(self.dir, tree)
        for name in tree:
            path = str(self.dir / name)
            subprocess.run(["chattr", "+i", path], check=True)
            self.addCleanup(subprocess.run, ["chattr", "-i", path])
        return self.terminal(args, cwd=self.dir)

    def failure(self, name):
        return ["", "%s Impossibile accedere al file %s" % (self.change("", "H"), self.full(name))]

    def asked(self, answer):
        """The rows of one failure and its question answered."""
        return self.failure("a.txt") + [ACCESS_QUESTION + answer]

    def test_answers_to_the_access_question(self):
        change = "%s   Modifica di %s" % (self.change("", "H"), self.full("a.txt"))
        done = ["", processed_line(0, 1, 0), ""]
        cases = [
            # keys, rows after the change line, exit code
            (["i"], self.asked("I") + done, 0),
            # Esc, function keys and other letters are no answer here.
            ([KEY["F1"], KEY["Esc"], "x", "I"], self.asked("I") + done, 0),
            # R tries again, and a new failure is reported again.
            (["r", "i"], self.asked("R") + self.asked("I") + done, 0),
            (["r", "R", "t"], self.asked("R") + self.asked("R") + self.asked("T") + done, 0),
            (["a"], self.asked("A") + [INTERRUPTED, "*** File processati complessivamente: 0"], 1),
        ]
        for keys, rows, code in cases:
            with self.subTest(keys=keys):
                self.clear_dir()
                term = self.run_tool(["+h", "/y", "a.txt"], {"a.txt": ""})
                for i, key in enumerate(keys):
                    term.wait_output(r"\[A,R,I,T\]", count=1 + sum(k in "rR" for k in keys[:i]))
                    term.press(key)
                self.assertEqual(term.wait_exit(), code, term.describe())
                expected = [self.heading("A.TXT"), change] + [r.rstrip() for r in rows]
                self.assertEqual(term.lines()[:len(expected)], expected, term.describe())
                if code:
                    self.assertEqual(term.cursor(), (len(expected[-1]) + 1, len(expected)), term.describe())
                self.assertEqual(self.stored("a.txt"), 0)

    def test_t_and_i_pass_over_later_failures_without_asking(self):
        for options, keys in ((["/y"], ["t"]), (["/y", "/i"], [])):
            with self.subTest(options=options):
                self.clear_dir()
                term = self.run_tool(["+h", "*.txt"] + options, {"a.txt": "", "b.txt": ""})
                for key in keys:
                    term.wait_output(r"\[A,R,I,T\]")
                    term.press(key)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                transcript = term.plain_transcript()
                self.assertEqual(transcript.count("[A,R,I,T]"), len(keys), term.describe())
                self.assertEqual(transcript.count("Impossibile accedere al file"), 2, term.describe())
                self.assertIn(processed_line(0, 2, 0), term.lines(), term.describe())

    def test_confirmed_change_that_fails(self):
        term = self.run_tool(["+h", "a.txt"], {"a.txt": ""})
        term.wait_text(CONFIRM.strip())
        term.press("s")
        term.wait_output(r"\[A,R,I,T\]")
        term.press("i")
        self.assertEqual(term.wait_exit(), 0, term.describe())
        rows = self.asked_rows(self.prompt("", "H", "a.txt"), "S")
        expected = [self.heading("A.TXT")] + rows + self.failure("a.txt") + [ACCESS_QUESTION + "I", "",
                                                                           processed_line(0, 1, 0), ""]
        self.assertEqual(term.lines()[:len(expected)], expected, term.describe())


harness.for_each_build(globals(), ChangePass, AccessFailure)
