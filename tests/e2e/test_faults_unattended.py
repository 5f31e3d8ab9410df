"""Unattended runs: with no terminal, every question and pause reads its
answer from standard input, and the end of input ends the run as Esc does
(at the access question, as A does): no run can wait for ever.

Native build only: the Win32 build needs a console, which Wine gives only
under a terminal."""

import subprocess

import faults
import harness

# A run that would wait for ever ends well within this.
NO_HANG = 10


class AnswersOnStandardInput(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "the Win32 build needs a console, which Wine gives only under a terminal")

    def run_with(self, args, answers, cwd=None):
        """The tool with answers as its standard input, no terminal."""

        command = self.build.command("zelmo", args)
        try:
            return subprocess.run(command, cwd=str(cwd or self.workdir), env=self.build.environment(),
                                  input=answers, capture_output=True, timeout=NO_HANG, start_new_session=True)
        except subprocess.TimeoutExpired as stuck:
            self.fail("the run waited for ever; it wrote %r" % stuck.stdout)

    def test_confirmations_then_end_of_input(self):
        faults.make_files(self.workdir, ["a", "b", "c", "d"])
        done = self.run_with(["+H"], b"sn")
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 1, out)
        self.assertEqual(out.count(faults.CONFIRM_QUESTION), 3, out)
        self.assertIn(faults.INTERRUPTED, out)
        self.assertTrue(out.endswith("*** File processati complessivamente: 1"), out)
        bits = sorted(faults.tree_bits(self.workdir).values())
        self.assertEqual(bits, [0, 0, 0, harness.HIDDEN])

    def test_all_at_the_confirmation(self):
        faults.make_files(self.workdir, ["a", "b", "c"])
        done = self.run_with(["+H"], b"t")
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertEqual(sorted(faults.tree_bits(self.workdir).values()), [harness.HIDDEN] * 3)

    def test_output_file_question(self):
        faults.make_files(self.workdir, ["a"])
        out = self.workdir / "OUT.TXT"
        for answers, code, kept in ((b"xa", 0, True), (b"s", 0, False), (b"", 1, True), (b"e", 1, True)):
            with self.subTest(answers=answers):
                out.write_bytes(b"before\r\n")
                done = self.run_with(["+OUT.TXT", "a"], answers)
                self.assertEqual(done.returncode, code, done.stdout)
                self.assertEqual(out.read_bytes().startswith(b"before\r\n"), kept)
                if code:
                    self.assertEqual(out.read_bytes(), b"before\r\n")

    def test_pause_then_end_of_input(self):
        faults.make_files(self.workdir, ["f%02d" % i for i in range(60)])
        done = self.run_with(["/P"], b"x")
        out = done.stdout.decode()
        self.assertEqual(done.returncode, 1, out)
        self.assertEqual(out.count("Premere un tasto per continuare"), 2, out)
        self.assertIn(faults.INTERRUPTED, out)

    def test_access_question_then_end_of_input(self):
        directory = faults.short_directory(self)
        faults.make_files(directory, ["locked1", "locked2", "free"])
        for name in ("locked1", "locked2"):
            faults.make_immutable(self, directory / name)
        for answers, code, asked in ((b"ri", 1, 3), (b"t", 0, 1), (b"", 1, 1)):
            with self.subTest(answers=answers):
                done = self.run_with(["/Y", "+H", "*.*"], answers, cwd=directory)
                out = done.stdout.decode()
                self.assertEqual(done.returncode, code, out)
                self.assertEqual(out.count(faults.ACCESS_QUESTION), asked, out)
                if code:
                    # The end of input answered A.
                    self.assertIn(faults.ACCESS_QUESTION + " A\r\n" + faults.INTERRUPTED, out)

    def test_no_run_waits_for_ever(self):
        # Every kind of run, each with nothing at all on standard input.
        faults.make_files(self.workdir, ["f%02d" % i for i in range(30)])
        (self.workdir / "sub").mkdir()
        (self.workdir / "EXISTS.TXT").write_bytes(b"")
        runs = [[], ["/P"], ["/S"], ["+H"], ["/S", "+H"], ["/Y", "+H"], ["/S", "/Y", "/I", "+S", "+NUL"],
                ["+EXISTS.TXT"], ["/S", "/P"], ["/?"], ["nothing*.here"]]
        for args in runs:
            with self.subTest(args=args):
                done = self.run_with(args, b"")
                self.assertIn(done.returncode, (0, 1), done.stdout)


harness.for_each_build(globals(), AnswersOnStandardInput)
