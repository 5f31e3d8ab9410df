"""The help screen on a terminal, with standard output redirected, and with
no terminal at all."""

import harness
from reports import NOT_FOUND
from texts import UNKNOWN_PARAMETER, help_lines


class HelpScreen(harness.ToolCase):
    def assert_help_screen(self, term):
        expected = help_lines(self.build)
        self.assertEqual(term.lines()[: len(expected)], expected, term.describe())
        self.assertEqual(term.lines()[len(expected):], ["", ""], term.describe())
        self.assertEqual(term.cursor(), (1, len(expected) + 1), term.describe())

    def test_help_alone_shows_the_23_lines_and_exits_1(self):
        term = self.terminal(["/?"])
        self.assertEqual(term.wait_exit(), 1)
        self.assert_help_screen(term)

    def test_help_wins_over_what_follows_it(self):
        cases = [
            ["/s/?"],
            ["/S/?"],
            ["/?", "/X"],
            ["/?", "*.a", "*.b"],
            ["/y", "*.txt", "+A", "/?"],
            ["/?/E"],
        ]
        for args in cases:
            with self.subTest(args=args):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 1)
                self.assert_help_screen(term)

    def test_double_dash_help_on_linux(self):
        for args in (["--help"], ["--HELP", "/X"], ["/s", "--help"]):
            with self.subTest(args=args):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 1)
                if self.build.name == "posix":
                    self.assert_help_screen(term)
                else:
                    # Win32 keeps its own command line: --help is a mask.
                    self.assertNotIn(help_lines(self.build)[0], term.lines(), term.describe())
                    self.assertTrue({NOT_FOUND, UNKNOWN_PARAMETER + "/X"} & set(term.lines()), term.describe())

    def test_help_reaches_the_terminal_when_stdout_is_redirected(self):
        captured = self.workdir / "captured.txt"
        term = self.terminal(["/?"], stdout=captured)
        self.assertEqual(term.wait_exit(), 1)
        self.assert_help_screen(term)
        self.assertEqual(captured.read_bytes(), b"")

    def test_batch_mode_without_any_terminal(self):
        result = self.batch(["/?"])
        self.assertEqual(result.returncode, 1, result)
        if self.build.name == "win32":
            # Under Wine a program gets a console only when one of its
            # standard streams is a terminal: the Win32 build cannot start.
            self.assertEqual(result.stdout, b"", result)
            self.assertEqual(result.stderr.replace(b"\r", b""), b"No way to get the console handle\n", result)
            return
        text = result.stdout.decode(self.build.stdout_encoding)
        self.assertEqual(text.splitlines(), help_lines(self.build), result)
        self.assertTrue(text.endswith("\n"), result)
        self.assertEqual(result.stderr, b"")

harness.for_each_build(globals(), HelpScreen)
