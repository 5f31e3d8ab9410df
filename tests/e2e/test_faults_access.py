"""Entries that cannot be changed: an immutable file (chattr +i, which stops
root and Wine alike) and, on POSIX, files of another owner for a run as the
user nobody. Every try gives its failure line; the access question's A, R, I
and T and the option /I do what they promise; nothing is half-written."""

import os
import re

import faults
import harness

FAILED = "Impossibile accedere al file "


def processed_line(done, found, skipped, refused):
    return "*** File processati: %d su %d ,saltati %d  ,accessi negati %d" % (done, found, skipped, refused)


class ImmutableEntries(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.dir = faults.short_directory(self)
        harness.make_tree(self.dir, {"lock1": "", "lock2": "", "free": ""})
        for name in ("lock1", "lock2"):
            faults.make_immutable(self, self.dir / name)
        self.mask = faults.tool_path(self.build, self.dir) + "\\*.*"
        # Parameters are upper-cased; the names found keep their case.
        self.shown = self.mask[:-3].upper()

    def assert_locked_untouched(self):
        for name in ("lock1", "lock2"):
            self.assertEqual(harness.stored_attributes(self.dir / name), 0, name)

    def test_retry_repeats_the_failure_and_ignore_passes_over(self):
        tries = {"lock1": 0, "lock2": 0}

        def respond(kind, name):
            if kind == "confirm":
                return "s"
            tries[name] += 1
            return "r" if tries[name] < 3 else "i"

        term = self.terminal(["+H", self.mask])
        self.assertEqual(faults.answer_questions(term, respond), 0, term.describe())
        self.assertEqual(tries, {"lock1": 3, "lock2": 3})
        text = term.plain_transcript()
        for name in ("lock1", "lock2"):
            self.assertEqual(text.count(FAILED + self.shown + name), 3, name)
        self.assertIn(processed_line(1, 3, 0, 2), faults.logical_lines(term))
        self.assertEqual(harness.stored_attributes(self.dir / "free"), harness.HIDDEN)
        self.assert_locked_untouched()

    def test_ignore_all_asks_once_and_still_reports_each_failure(self):
        asked = []

        def respond(kind, name):
            asked.append(kind)
            return "t"

        # T at the confirmation turns /Y on; T at the access question, /I.
        term = self.terminal(["+H", self.mask])
        self.assertEqual(faults.answer_questions(term, respond), 0, term.describe())
        self.assertEqual(asked.count("access"), 1, term.describe())
        text = term.plain_transcript()
        for name in ("lock1", "lock2"):
            self.assertEqual(text.count(FAILED + self.shown + name), 1, name)
        self.assertIn(processed_line(1, 3, 0, 2), faults.logical_lines(term))
        self.assert_locked_untouched()

    def test_abort_ends_the_run_with_the_count_so_far(self):
        term = self.terminal(["/Y", "+H", self.mask])
        code = faults.answer_questions(term, lambda kind, name: "a")
        self.assertEqual(code, 1, term.describe())
        lines = faults.logical_lines(term)
        self.assertIn(faults.INTERRUPTED, lines)
        # The entries after the failed one are left alone.
        changed = harness.stored_attributes(self.dir / "free") == harness.HIDDEN
        self.assertEqual(term.plain_transcript().count("   Modifica di "), 1 + changed)
        self.assertTrue(term.plain_transcript().endswith("*** File processati complessivamente: %d" % changed))
        self.assert_locked_untouched()

    def test_option_i_reports_every_failure_without_asking(self):
        term = self.terminal(["/Y", "/I", "+H", self.mask])
        self.assertEqual(term.wait_exit(), 0, term.describe())
        text = term.plain_transcript()
        self.assertNotIn(faults.ACCESS_QUESTION, text)
        for name in ("lock1", "lock2"):
            self.assertEqual(text.count(FAILED + self.shown + name), 1, name)
            # The change line, an empty line, the failure line.
            change = "Modifica di " + self.shown + name
            self.assertRegex(text, r"%s\r?\r\n\r?\r\n \[.{5}\] ---> \[.{5}\] %s" % (
                re.escape(change), re.escape(FAILED + self.shown + name)))
        self.assertIn(processed_line(1, 3, 0, 2), faults.logical_lines(term))
        self.assert_locked_untouched()


class OtherOwnersFiles(harness.ToolCase):
    """The native tool run as nobody, with its answers on standard input, on
    files that root owns. Wine has no other user to run as."""

    def setUp(self):
        super().setUp()
        faults.only_posix(self, "Wine has no unprivileged user to run as")
        self.dir = faults.short_directory(self)
        self.dir.chmod(0o755)
        harness.make_tree(self.dir, {"root1": "", "root2": "", "mine": ""})
        os.chown(self.dir / "mine", 65534, 65534)
        self.mask = faults.tool_path(self.build, self.dir) + "\\*.*"

    def test_every_try_fails_and_ignore_all_holds(self):
        # R, R, T: three tries on the first refused file, one on the second.
        done = faults.run_as_nobody(self, ["/Y", "+S", self.mask], cwd=self.dir, stdin=b"rrt")
        out = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 0, out)
        self.assertEqual(out.count(faults.ACCESS_QUESTION), 3, out)
        self.assertEqual(out.count(FAILED), 4, out)
        self.assertIn(processed_line(1, 3, 0, 2), out)
        self.assertEqual(harness.stored_attributes(self.dir / "mine"), harness.SYSTEM)
        for name in ("root1", "root2"):
            self.assertEqual(harness.stored_attributes(self.dir / name), 0, name)

    def test_end_of_input_at_the_access_question_aborts(self):
        # With no answer left the access question ends the run as A does.
        done = faults.run_as_nobody(self, ["/Y", "+S", self.mask], cwd=self.dir, stdin=b"")
        out = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 1, out)
        self.assertEqual(out.count(faults.ACCESS_QUESTION), 1, out)
        self.assertIn(faults.INTERRUPTED, out)


harness.for_each_build(globals(), ImmutableEntries, OtherOwnersFiles)
