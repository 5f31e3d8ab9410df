"""Size: one directory of 100,000 entries, and a tree 120 levels deep whose
lower levels pass 255 bytes. Counts stay right, memory and time stay small,
and a directory too deep to be named is left out and reported.

Under Wine, whose console is slow to take 100,000 lines, the large
directory holds 20,000 entries."""

import os

import faults
import harness

SLOW = 300


def dotted(number):
    return "{:,}".format(number).replace(",", ".")


class LargeDirectory(harness.ToolCase):
    def setUp(self):
        super().setUp()
        self.count = 100000 if self.build.name == "posix" else 20000
        self.dir = self.workdir / "big"
        self.dir.mkdir()
        faults.make_files(self.dir, ("f%06d" % i for i in range(self.count)))
        self.mask = faults.tool_path(self.build, self.dir) + "\\*.*"

    def run_tool(self, args):
        """The run's console text and exit code: with no terminal on POSIX,
        in a terminal (whose screen only keeps the end) under Wine."""
        if self.build.name == "posix":
            done = self.batch(args, timeout=SLOW)
            return done.stdout.decode(), done.returncode
        term = self.terminal(args, cols=200)
        code = term.wait_exit(timeout=SLOW)
        return term.plain_transcript(), code

    def test_listing_counts_every_entry(self):
        # Into an output file: Wine's console may fold lines that scroll by fast.
        out, code = self.run_tool(["+OUT.TXT", self.mask])
        self.assertEqual(code, 0, out[-500:])
        report = (self.workdir / "OUT.TXT").read_bytes().split(b"\r\n")
        self.assertEqual(report[-4:], [b"*** File trovati: " + dotted(self.count).encode(),
                                       b"--------------------FINE--------------------", b"", b""])
        self.assertEqual(sum(1 for line in report if line.startswith(b" [")), self.count)

    def test_change_reaches_every_entry(self):
        out, code = self.run_tool(["/S", "/Y", "/I", "+H", "+NUL", self.mask])
        self.assertEqual(code, 0, out[-500:])
        self.assertIn("*** File processati complessivamente: %s su %s ,saltati 0  ,accessi negati 0"
                      % (dotted(self.count), dotted(self.count)), out)
        self.assertEqual(set(faults.tree_bits(self.dir).values()), {harness.HIDDEN})


class DeepTree(harness.ToolCase):
    DEPTH = 120

    def setUp(self):
        super().setUp()
        self.top = self.workdir / "t"
        path = self.top
        for _ in range(self.DEPTH):
            path = path / "d"
            os.makedirs(path)
            faults.make_files(path, ["f"])
        self.top_text = faults.tool_path(self.build, self.top)
        # Level k has the path top + "\d" k times. A directory is listed only
        # while its path, its closing "\" and "*.*" fit in 255 bytes; the
        # first that does not is left out, and so is everything below it.
        self.levels = (255 - 4 - len(self.top_text)) // 2
        self.assertLess(self.levels, self.DEPTH)

    def test_listing_stops_at_255_bytes_and_says_so(self):
        # The report into a file, the notice on the console: Wine's console
        # may fold lines that scroll by fast.
        term = self.terminal(["/S", "+OUT.TXT", self.top_text + "\\*.*"], cols=200)
        self.assertEqual(term.wait_exit(timeout=SLOW), 0, term.describe())
        self.assertIn(faults.TOO_LONG + "1", faults.logical_lines(term))
        report = (self.workdir / "OUT.TXT").read_bytes()
        # The top holds d; each listed level holds f and d.
        self.assertIn(b"File trovati complessivamente: %d\r\n" % (1 + 2 * self.levels), report)
        self.assertEqual(report.count(b"Attributi  ---  Nomi dei files ("), 1 + self.levels)

    def test_change_stops_at_255_bytes(self):
        term = self.terminal(["/S", "/Y", "/I", "+S", "+NUL", self.top_text + "\\*.*"], cols=200)
        self.assertEqual(term.wait_exit(timeout=SLOW), 0, term.describe())
        self.assertIn(faults.TOO_LONG + "1", faults.logical_lines(term))
        # Entries of the listed directories are changed; deeper ones never.
        for relative, bits in faults.tree_bits(self.top).items():
            depth = relative.count("/")  # the level of the entry's directory
            listed = depth <= self.levels
            self.assertEqual(bits, harness.SYSTEM if listed else 0, relative)


harness.for_each_build(globals(), LargeDirectory, DeepTree)
