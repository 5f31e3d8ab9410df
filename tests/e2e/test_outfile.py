"""The output file: its bytes, the policy for an existing file and its
question, +NUL, reserved names, and error 4 when it cannot be written."""

import subprocess

import harness
from harness import KEY
from reports import (FINE, INTERRUPTED, NOT_FOUND, OUTPUT_QUESTION, change_heading, entry_line, field,
                     found_line, listing_heading, processed_line, shown, tool_path)

OLD = b"old line\r\n"
QUESTION_ROWS = ["", "Il file di output esiste gi\u00e0"]


class OutputFile(harness.ToolCase):
    def setUp(self):
        super().setUp()
        harness.make_tree(self.workdir, {"a.dat": "R"})
        # "+out.txt": on the native build a new output file takes the case
        # typed, on the Win32 build the upper-cased name of the parameter.
        self.out = self.workdir / self.build.created_name("out.txt")

    def report(self):
        """The bytes a listing of a.dat writes, closing line included."""
        lines = [listing_heading(self.build, self.workdir, "A.DAT"), entry_line(self.build, "a.dat", "R"),
                 found_line(1), FINE, ""]
        return "".join(line + "\r\n" for line in lines).encode("ascii")

    def assert_blank(self, term):
        self.assertEqual(term.text().strip(), "", term.describe())

    def test_new_file_gets_the_report_and_the_closing_line(self):
        for policy in ([], ["/AA"], ["/AC"], ["/AE"], ["/AS"]):
            with self.subTest(policy=policy):
                term = self.terminal(policy + ["+out.txt", "a.dat"])
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assert_blank(term)
                self.assertEqual(self.out.read_bytes(), self.report())
                self.out.unlink()

    def test_v_shows_the_report_on_the_screen_too(self):
        term = self.terminal(["+out.txt", "/V", "a.dat"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assertEqual(self.out.read_bytes(), self.report())
        expected = self.report().decode("ascii").split("\r\n")[:-1]
        # The closing line ends with its own line end: an empty row follows.
        self.assertEqual(term.lines()[:len(expected) + 1], expected + [""], term.describe())
        self.assertEqual(term.cursor(), (1, len(expected) + 1), term.describe())

    def test_existing_file_by_policy(self):
        cases = [
            # options, file afterwards, exit code, the error line
            (["/AA"], OLD + b"report", 0, None),
            (["/AS"], b"report", 0, None),
            (["/AE"], OLD, 1, "Il file di output esiste gi\u00e0: OUT.TXT"),
        ]
        for options, content, code, message in cases:
            with self.subTest(options=options):
                self.out.write_bytes(OLD)
                term = self.terminal(options + ["+out.txt", "a.dat"])
                self.assertEqual(term.wait_exit(), code, term.describe())
                if message:
                    self.assertEqual(term.lines()[:2], [message, ""], term.describe())
                else:
                    self.assert_blank(term)
                self.assertEqual(self.out.read_bytes(), self.expand(content))

    def expand(self, content):
        return content.replace(b"report", self.report())

    def test_names_the_old_existence_test_never_found(self):
        # A name ending with "." or holding "?" or "*" exists when a file of
        # exactly that name does: the policy applies, it is never emptied
        # unasked. On the Win32 build the system decides what "OUT." names:
        # the file OUT; it takes no "?" nor "*" in a name.
        names = [("out.", "OUT." if self.build.name == "posix" else "OUT")]
        if self.build.name == "posix":
            names += [("out?.txt", "OUT?.TXT"), ("o*t.txt", "O*T.TXT")]
        cases = [
            # options, keys at the question, file afterwards, exit code, message
            (["/AA"], None, OLD + b"report", 0, None),
            (["/AE"], None, OLD, 1, "Il file di output esiste gi\u00e0: "),
            (["/AS"], None, b"report", 0, None),
            (["/AC"], "a", OLD + b"report", 0, None),
            ([], "e", OLD, 1, INTERRUPTED),
        ]
        for typed, on_disk in names:
            for options, key, content, code, message in cases:
                with self.subTest(name=typed, options=options):
                    existing = self.workdir / on_disk
                    existing.write_bytes(OLD)
                    term = self.terminal(options + ["+" + typed, "a.dat"])
                    if key:
                        term.wait_text(OUTPUT_QUESTION.rstrip())
                        term.press(key)
                    self.assertEqual(term.wait_exit(), code, term.describe())
                    if message and message.endswith(": "):
                        self.assertEqual(term.lines()[0], message + typed.upper(), term.describe())
                    elif message:
                        self.assertIn(message, term.lines(), term.describe())
                    self.assertEqual(existing.read_bytes(), self.expand(content))
                    self.assertEqual(sorted(p.name for p in self.workdir.iterdir()), sorted(["a.dat", on_disk]))
                    existing.unlink()

    def test_question_for_an_existing_file(self):
        cases = [
            # options, keys, answer shown, file afterwards, exit code
            ([], ["x", "a"], "A", OLD + b"report", 0),
            ([], ["A"], "A", OLD + b"report", 0),
            (["/AC"], ["s"], "S", b"report", 0),
            ([], ["1", KEY["Enter"], "S"], "S", b"report", 0),
            # Keys without a character count by their extended code.
            ([], [KEY["F1"], KEY["Up"], KEY["F7"]], "A", OLD + b"report", 0),
            ([], [KEY["Delete"]], "S", b"report", 0),
            ([], ["e"], "E", OLD, 1),
            # The Esc answer shows as "?", like every control byte.
            ([], [KEY["Esc"]], "?", OLD, 1),
        ]
        for options, keys, answer, content, code in cases:
            with self.subTest(keys=keys):
                self.out.write_bytes(OLD)
                term = self.terminal(options + ["+out.txt", "a.dat"])
                term.wait_text(OUTPUT_QUESTION.rstrip())
                self.assertEqual(term.lines()[:3], QUESTION_ROWS + [OUTPUT_QUESTION.rstrip()], term.describe())
                self.assertEqual(term.cursor(), (len(OUTPUT_QUESTION) + 1, 3), term.describe())
                term.press(*keys)
                self.assertEqual(term.wait_exit(), code, term.describe())
                rows = QUESTION_ROWS + [(OUTPUT_QUESTION + answer).rstrip()]
                if code:
                    rows.append(INTERRUPTED)
                self.assertEqual(term.lines()[:len(rows) + 1], rows + [""], term.describe())
                self.assertEqual(term.text().strip(), "\n".join(rows).strip(), term.describe())
                self.assertEqual(term.cursor(), (1, len(rows) + 1), term.describe())
                self.assertEqual(self.out.read_bytes(), self.expand(content))

    def test_nul_discards_every_report_line(self):
        for args in (["+NUL"], ["+nul", "/V"], ["/P", "+NUL"]):
            with self.subTest(args=args):
                term = self.terminal(args + ["a.dat"])
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assert_blank(term)
                self.assertEqual(sorted(p.name for p in self.workdir.iterdir()), ["a.dat"])

    def test_reserved_names_are_error_8(self):
        cases = [("+CON", "CON"), ("+con", "CON"), ("+prn", "PRN"), ("+sub\\com1.txt", "SUB\\COM1.TXT")]
        for parameter, named in cases:
            with self.subTest(parameter=parameter):
                term = self.terminal([parameter, "a.dat"])
                self.assertEqual(term.wait_exit(), 1, term.describe())
                self.assertEqual(term.text().strip(), "Nome di file riservato: " + named, term.describe())
                self.assertEqual(term.cursor(), (1, 2), term.describe())

    def test_unwritable_output_file_is_error_4(self):
        immutable = self.workdir / "locked.txt"
        immutable.write_bytes(OLD)
        subprocess.run(["chattr", "+i", str(immutable)], check=True)
        self.addCleanup(subprocess.run, ["chattr", "-i", str(immutable)])
        device_full = tool_path(self.build, "/dev/full")
        cases = [
            (["+nodir\\out.txt"], "NODIR\\OUT.TXT"),
            (["+locked.txt", "/AA"], "LOCKED.TXT"),
            (["+locked.txt", "/AS"], "LOCKED.TXT"),
            # The device takes the open but fails every write.
            (["+" + device_full, "/AS"], device_full.upper()),
        ]
        for args, named in cases:
            with self.subTest(args=args):
                term = self.terminal(args + ["a.dat"])
                self.assertEqual(term.wait_exit(), 1, term.describe())
                self.assertEqual(term.text().strip(), "Errore in scrittura del file di output: " + named,
                                 term.describe())
        self.assertEqual(immutable.read_bytes(), OLD)

    def test_nothing_found_writes_no_closing_line(self):
        term = self.terminal(["+out.txt", "*.zzz"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertEqual(term.text().strip(), NOT_FOUND, term.describe())
        self.assertEqual(self.out.read_bytes(), b"")

    def test_change_run_keeps_the_output_file_only_with_y_and_i(self):
        full = tool_path(self.build, self.workdir / "a.dat")
        line = "%s --->%s   Modifica di %s" % (field(shown(self.build, "R")), field(shown(self.build, "RH")), full)
        report = [change_heading(self.build, self.workdir, "A.DAT"), line, "", processed_line(1, 1, 0), FINE, ""]
        term = self.terminal(["+out.txt", "+h", "/y", "/i", "a.dat"])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        self.assert_blank(term)
        self.assertEqual(self.out.read_bytes(), "".join(t + "\r\n" for t in report).encode("ascii"))
        self.assertEqual(harness.stored_attributes(str(self.workdir / "a.dat")) & ~harness.ARCHIVE,
                         harness.READ_ONLY | harness.HIDDEN)
        # Without both, the output file is dropped and the screen shows all.
        for options in (["/y"], ["/i"], []):
            with self.subTest(options=options):
                self.out.unlink(missing_ok=True)
                term = self.terminal(["+out.txt", "-h"] + options + ["a.dat"])
                if "/y" not in options:
                    term.wait_text("[Si,No,Tutti,Esc]")
                    term.press("s")
                self.assertEqual(term.wait_exit(), 0, term.describe())
                self.assertFalse(self.out.exists())
                self.assertIn(processed_line(1, 1, 0), term.lines(), term.describe())
                harness.set_attributes(str(self.workdir / "a.dat"), "RH")


harness.for_each_build(globals(), OutputFile)
