"""Long lines on the native build. On a terminal the terminal wraps them
itself, so that a long line stays one line to copy; the tool adds a line end
only where the Windows console's cursor goes on to the next row and a
terminal's does not: after a text that ends in the last column. It follows a
resized window. Without a terminal no line is ever broken."""

import faults
import harness
from reports import CONFIRM, found_line, tool_path

# What stands before a name in a listing line, and around the full name in a
# confirmation question for +H on a plain file.
LISTED = " [     ]    "
ASKED = " [     ] ---> [   H ]   Modificare %s ?"
COLUMN = 60


class WrapCase(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "the Windows console wraps lines itself")

    def entry(self, length, first="n"):
        """A file whose name has length bytes, in a short directory."""
        name = first + "n" * (length - 1)
        (self.dir / name).touch()
        return name

    def question_name(self, prompt_length, last="q"):
        """The name that makes a confirmation question prompt_length columns
        wide in this test's directory."""
        length = prompt_length - len(ASKED % (tool_path(self.build, self.dir) + "\\"))
        return "q" * (length - 1) + last

    def question(self, name):
        return ASKED % tool_path(self.build, self.dir / name)


class OnTheTerminal(WrapCase):
    def setUp(self):
        super().setUp()
        self.dir = faults.short_directory(self)

    def test_a_long_line_is_left_to_the_terminal(self):
        cases = [
            # listing line's width, screen rows it takes (an empty one after it
            # when it fills the last column, as on the Windows console)
            (79, 1),
            (80, 2),
            (100, 2),
            (160, 3),
        ]
        for width, rows in cases:
            with self.subTest(width=width):
                faults.short_directory(self)
                for path in self.dir.iterdir():
                    path.unlink()
                name = self.entry(width - len(LISTED))
                term = self.terminal(["n*"], cwd=self.dir)
                self.assertEqual(term.wait_exit(), 0, term.describe())
                line = LISTED + name
                # One line in what was sent: no line end of the tool's inside it.
                self.assertIn("\n" + line + "\r", term.transcript(), term.describe())
                screen = term.lines()
                self.assertEqual("".join(screen[1:1 + -(-width // 80)]), line, term.describe())
                self.assertEqual(screen[1 + rows:3 + rows], [found_line(1), ""], term.describe())
                self.assertEqual(term.cursor(), (1, 3 + rows), term.describe())

    def test_the_question_after_a_text_that_fills_the_row_stands_on_the_next(self):
        name = self.question_name(80)
        (self.dir / name).touch()
        term = self.terminal(["+h", "q*"], cwd=self.dir)
        term.wait_text(CONFIRM.strip())
        prompt = self.question(name)
        self.assertEqual(len(prompt), 80)
        self.assertEqual(term.lines()[1:3], [prompt, " " * (COLUMN - 1) + CONFIRM.rstrip()], term.describe())
        term.press("n")
        self.assertEqual(term.wait_exit(), 0, term.describe())

    def test_the_question_follows_a_resized_window(self):
        cases = [
            # columns at start, after the resize, width of the questions, and
            # how the second one is asked: the bracket right after it when
            # column 60 is off the screen, at column 60 of the next row when
            # the question passes it.
            (80, 40, 57, lambda prompt: prompt + CONFIRM.rstrip()),
            (40, 80, 70, lambda prompt: prompt + "\n" + " " * (COLUMN - 1) + CONFIRM.rstrip()),
        ]
        for before, after, width, asked in cases:
            with self.subTest(before=before, after=after):
                for path in self.dir.iterdir():
                    path.unlink()
                names = [self.question_name(width, last) for last in "12"]
                for name in names:
                    (self.dir / name).touch()
                term = self.terminal(["+h", "q*"], cwd=self.dir, cols=before)
                first = term.wait_output(r"Modificare \S+\\(q+\d) \?\s*\[Si,No,Tutti,Esc\]")[0]
                term.resize(harness.ROWS, after)
                term.press("n")
                term.wait_output(r"\[Si,No,Tutti,Esc\]", count=2)
                second = next(name for name in names if name != first)
                self.assertIn(asked(self.question(second)), "\n".join(faults.logical_lines(term)), term.describe())
                term.press("n")
                self.assertEqual(term.wait_exit(), 0, term.describe())


class WithoutATerminal(WrapCase):
    def setUp(self):
        super().setUp()
        self.dir = self.workdir

    def test_no_line_is_broken(self):
        for width in (254, 255):
            with self.subTest(width=width):
                for path in self.dir.iterdir():
                    path.unlink()
                name = self.entry(width - len(LISTED))
                result = self.batch(["n*"])
                self.assertEqual(result.returncode, 0, result)
                heading = result.stdout.split(b"\r\n")[0]
                self.assertEqual(result.stdout, heading + b"\r\n" + (LISTED + name).encode() + b"\r\n" +
                                 found_line(1).encode() + b"\r\n", result)

    def test_a_question_longer_than_255_columns_is_one_line(self):
        # The longest full name a question shows: 255 bytes.
        name = "q" * (255 - len(tool_path(self.build, self.dir)) - 1)
        (self.dir / name).touch()
        result = self.batch(["+h", "q*"])
        self.assertEqual(result.returncode, 1, result)
        prompt = self.question(name)
        self.assertGreater(len(prompt), 255)
        self.assertIn(("\r\n" + prompt + "\r\n" + " " * (COLUMN - 1) + CONFIRM).encode(), result.stdout, result)


harness.for_each_build(globals(), OnTheTerminal, WithoutATerminal)
