"""Parameters that end the run: error 1 for an unknown piece, and the fatal
stop with 217 for more than 255 parameters."""

import harness
from texts import HELP_FIRST, UNKNOWN_PARAMETER

# Parameters, and the piece that error 1 names.
UNKNOWN = [
    (["/E"], "/E"),
    (["/e"], "/E"),
    (["/-E"], "/-E"),
    (["/X", "/?"], "/X"),
    (["/S/Y/Q"], "/Q"),
    (["/S", "/Q", "/?"], "/Q"),
    (["+"], "+"),
    (["/"], "/"),
    (["//S"], "/"),
    (["*.txt", "*.doc"], "*.DOC"),
    (["/A"], "/A"),
    (["/AX"], "/AX"),
]


class UnknownParameter(harness.ToolCase):
    def test_error_1_names_the_piece_and_exits_1(self):
        for args, piece in UNKNOWN:
            with self.subTest(args=args):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 1, term.describe())
                lines = term.lines()
                self.assertEqual(lines[0], UNKNOWN_PARAMETER + piece, term.describe())
                self.assertEqual(lines[1:], [""] * (len(lines) - 1), term.describe())
                self.assertEqual(term.cursor(), (1, 2), term.describe())

    def test_nothing_is_created_in_the_working_directory(self):
        term = self.terminal(["+OUT.TXT", "/S", "*.A", "*.B"])
        self.assertEqual(term.wait_exit(), 1)
        self.assertEqual(sorted(p.name for p in self.workdir.iterdir()), [])


class TooManyParameters(harness.ToolCase):
    def test_256_parameters_stop_with_217_before_any_is_read(self):
        cases = [
            ["/?"] + ["/-S"] * 255,
            ["/E"] + ["/-S"] * 255,
            ["/-S"] * 255 + ["/?"],
            ["/-S"] * 300,
        ]
        for args in cases:
            with self.subTest(first=args[0], last=args[-1], count=len(args)):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 217, term.describe())
                self.assertNotIn(HELP_FIRST, term.text())
                self.assertNotIn(UNKNOWN_PARAMETER, term.text())

    def test_255_parameters_are_all_read(self):
        cases = [
            (["/-S"] * 254 + ["/?"], HELP_FIRST),
            (["/-S"] * 254 + ["/E"], UNKNOWN_PARAMETER + "/E"),
        ]
        for args, shown in cases:
            with self.subTest(last=args[-1]):
                term = self.terminal(args)
                self.assertEqual(term.wait_exit(), 1, term.describe())
                self.assertEqual(term.lines()[0], shown, term.describe())


harness.for_each_build(globals(), UnknownParameter, TooManyParameters)
