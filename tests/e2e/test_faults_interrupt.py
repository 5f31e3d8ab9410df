"""Interruptions: Esc at every question and poll, Ctrl+C, a hang-up and a
closed terminal. Every entry is left either changed or untouched, the
terminal gets its echo and line mode back, and no list file stays behind."""

import re
import signal
import time

import faults
import harness

CHANGED = harness.HIDDEN | harness.SYSTEM
PROCESSED = re.compile(r"\*\*\* File processati complessivamente: ([\d.]+)$")


def processed_total(term):
    found = PROCESSED.search(term.plain_transcript().rstrip())
    return int(found.group(1).replace(".", "")) if found else None


class EscapeKeepsEntriesWhole(harness.ToolCase):
    """Esc stops the run between two entries, never inside one: each entry
    holds its old attributes or all of the new ones, and the count shown
    is the number of entries changed."""

    def assert_whole(self, directory, term):
        bits = faults.tree_bits(directory)
        self.assertEqual(set(bits.values()) - {0, CHANGED}, set(), "half-written attributes: %r" % bits)
        changed = sum(1 for b in bits.values() if b == CHANGED)
        self.assertEqual(processed_total(term), changed, term.describe())
        return changed

    def press_esc_soon(self, term, shown):
        """Esc while the run is under way. The native build runs faster than
        a test can watch: the key is typed at once and waits in the terminal
        for the first poll. Wine's console drops keys typed before the
        program first looks, so there the key follows the text shown."""
        if self.build.name == "posix":
            term.send(harness.KEY["Esc"])
            return
        term.wait_output(re.escape(shown))
        term.press(harness.KEY["Esc"])

    def test_esc_at_the_confirmation(self):
        tree = harness.make_tree(faults.short_directory(self), {name: "" for name in "abcde"})
        answers = iter("ss\x1b")
        term = self.terminal(["+H", "+S", faults.tool_path(self.build, tree) + "\\*.*"])
        code = faults.answer_questions(term, lambda kind, name: next(answers))
        self.assertEqual(code, 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.lines())
        self.assertEqual(self.assert_whole(tree, term), 2)

    def test_esc_while_changing_without_questions(self):
        tree = self.workdir / "t"
        tree.mkdir()
        count = 3000
        faults.make_files(tree, ["f%05d" % i for i in range(count)])
        term = self.terminal(["/Y", "+H", "+S", faults.tool_path(self.build, tree) + "\\*.*"])
        self.press_esc_soon(term, "Attributi vecchi/nuovi")
        self.assertEqual(term.wait_exit(timeout=120), 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.plain_transcript())
        self.assertLess(self.assert_whole(tree, term), count)

    def test_esc_during_a_tree_run(self):
        place, env = faults.list_file_place(self)
        tree = self.workdir / "t"
        for i in range(300):
            (tree / ("d%03d" % i) / "x").mkdir(parents=True)
        faults.make_files(tree, ["f1", "f2"])
        term = self.terminal(["/S", "/Y", "+H", "+S", faults.tool_path(self.build, tree) + "\\*.*"], env=env)
        self.press_esc_soon(term, "Creazione del file temporaneo in corso")
        self.assertEqual(term.wait_exit(timeout=60), 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.plain_transcript())
        self.assert_whole(tree, term)
        self.assertEqual(faults.list_files(place), [])

    def test_esc_at_the_output_file_question(self):
        faults.make_files(self.workdir, ["a"])
        (self.workdir / "OUT.TXT").write_bytes(b"kept\r\n")
        term = self.terminal(["+OUT.TXT"])
        term.wait_text("Sovrascrivi, Accoda, Esci ?")
        term.press(harness.KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.lines())
        self.assertEqual((self.workdir / "OUT.TXT").read_bytes(), b"kept\r\n")

    def test_esc_at_the_pause(self):
        faults.make_files(self.workdir, ["f%02d" % i for i in range(40)])
        term = self.terminal(["/P"])
        term.wait_text("Premere un tasto per continuare")
        term.press(harness.KEY["Esc"])
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.lines())

    def test_esc_is_no_answer_to_the_access_question(self):
        directory = faults.short_directory(self)
        faults.make_files(directory, ["locked"])
        faults.make_immutable(self, directory / "locked")
        term = self.terminal(["/Y", "+H", faults.tool_path(self.build, directory) + "\\*.*"])
        term.wait_text(faults.ACCESS_QUESTION)
        term.press(harness.KEY["Esc"])
        time.sleep(0.5)
        self.assertTrue(term.child.isalive(), term.describe())
        term.press("a")
        self.assertEqual(term.wait_exit(), 1, term.describe())
        self.assertIn(faults.INTERRUPTED, term.lines())


class InterruptedAtAQuestion(harness.ToolCase):
    """A /S change run stopped at its first confirmation, while the list file
    exists and the terminal is in raw mode."""

    def start(self):
        self.place, env = faults.list_file_place(self)
        self.tree = harness.make_tree(self.workdir / "t", {"a": "", "b": "", "sub/": "", "sub/c": ""})
        term = self.terminal(["/S", "+H", "+S", faults.tool_path(self.build, self.tree) + "\\*.*"], env=env)
        term.wait_text(faults.CONFIRM_QUESTION)
        term.wait_raw()
        self.assertEqual(len(faults.list_files(self.place)), 1, "the list file exists during the run")
        return term

    def assert_clean_end(self, term, code):
        self.assertEqual(term.wait_exit(), code, term.describe())
        self.assertEqual(faults.list_files(self.place), [])
        self.assertEqual(set(faults.tree_bits(self.tree).values()), {0})

    def test_ctrl_c(self):
        term = self.start()
        term.send("\x03")
        # Wine ends the program with the code of a console Ctrl+C.
        self.assert_clean_end(term, -signal.SIGINT if self.build.name == "posix" else 0xC000013A & 0xFF)
        faults.assert_cooked(self, term)

    def test_hang_up_signal(self):
        faults.only_posix(self, "Wine turns signals into its own process end")
        term = self.start()
        faults.signal_process(term, signal.SIGHUP)
        self.assert_clean_end(term, -signal.SIGHUP)
        faults.assert_cooked(self, term)

    def test_termination_signal(self):
        faults.only_posix(self, "Wine turns signals into its own process end")
        term = self.start()
        faults.signal_process(term, signal.SIGTERM)
        self.assert_clean_end(term, -signal.SIGTERM)
        faults.assert_cooked(self, term)

    def test_closed_terminal(self):
        faults.only_posix(self, "Wine turns signals into its own process end")
        term = self.start()
        # The last descriptor of the terminal's master side goes: the
        # kernel hangs the terminal up.
        term.child.ptyproc.fileobj.close()
        deadline = time.monotonic() + harness.TIMEOUT
        while term.child.ptyproc.isalive():
            self.assertLess(time.monotonic(), deadline, "the program outlived its terminal")
            time.sleep(0.05)
        self.assertEqual(term.child.ptyproc.signalstatus, signal.SIGHUP)
        self.assertEqual(faults.list_files(self.place), [])
        self.assertEqual(set(faults.tree_bits(self.tree).values()), {0})


harness.for_each_build(globals(), EscapeKeepsEntriesWhole, InterruptedAtAQuestion)
