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
    # A "/" path whose first part is no directory is read as options.
    (["/zelmo-no-such-directory/x.txt"], "/ZELMO-NO-SUCH-DIRECTORY"),
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


class SlashPaths(harness.ToolCase):
    """On Linux a parameter such as /home/ana/*.txt is a path when it is not
    made of options alone and its first part names a directory."""

    def setUp(self):
        super().setUp()
        if self.build.name != "posix":
            self.skipTest("POSIX only: on Win32 a \"/\" always begins an option")
        harness.make_tree(self.workdir, {"a/x.txt": "", "a/y.doc": "", "a/b/z.txt": ""})

    def test_a_linux_path_names_what_it_names(self):
        a = str(self.workdir / "a")
        cases = [
            # parameters, the entries listed in each directory's block
            ([a + "/*.txt"], [{"x.txt"}]),
            ([a + "/"], [{"x.txt", "y.doc", "b"}]),
            ([a], [{"a"}]),
            (["/S", a], [{"x.txt", "y.doc", "b"}, {"z.txt"}]),
            ([a + "/", "/s"], [{"x.txt", "y.doc", "b"}, {"z.txt"}]),
        ]
        for args, blocks in cases:
            with self.subTest(args=args):
                result = self.batch(args)
                self.assertEqual(result.returncode, 0, result)
                self.assertEqual(listed_blocks(result), blocks, result)

    def test_options_written_together_stay_options(self):
        a = self.workdir / "a"
        result = self.batch(["/s/y", "+r", str(a) + "/*.txt"])
        self.assertEqual(result.returncode, 0, result)
        bits = {name: harness.stored_attributes(a / name) for name in ("x.txt", "y.doc", "b/z.txt")}
        self.assertEqual(bits, {"x.txt": harness.READ_ONLY, "y.doc": 0, "b/z.txt": harness.READ_ONLY}, result)


def listed_blocks(result):
    """The names listed by a batch run, one set per directory's block."""
    blocks = []
    for line in result.stdout.decode("utf-8").split("\r\n"):
        if line.startswith("Attributi  ---"):
            blocks.append(set())
        elif line.startswith(" [") and blocks:
            blocks[-1].add(line[12:])
    return blocks


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


harness.for_each_build(globals(), UnknownParameter, SlashPaths, TooManyParameters)
