"""The native build and the Win32 build under Wine, on the same directories:
each scenario runs once with each build, in a terminal of 25x80 and on its
own copy of one tree, and both must leave the same screen, the same exit
code, the same output file and the same attributes behind.

Needs both builds: build/zelmo and build-win/zelmo.exe (see tool.py).
What Wine makes differ is accounted for in one place, WINE below; the trees
and scenarios stay clear of what cannot be compared at all."""

import os
import re
import tempfile
import unittest
from pathlib import Path

import tool  # first: it makes the harness importable
from tool import harness

# What Wine imposes, and how the comparison deals with it:
# - Wine shows the Linux tree under drive Z:, so paths are typed and shown
#   as Z:\tmp\... where the native build has \tmp\...: each copy's root
#   becomes <ROOT> in what both builds show.
# - Wine reports Archive on every file and never on a directory: every file
#   of the trees has Archive stored, no directory has it, and no scenario
#   clears Archive on a file or sets it on a directory.
# - Wine keeps only Hidden and System in user.DOSATTRIB and Read-only as the
#   write bits, and ignores Read-only on a directory: the attributes left
#   behind are compared as Hidden, System and the write bits, and no
#   scenario sets Read-only on a directory.
# - Wine shows every name that begins with "." as Hidden: the trees hold none.
# - Wine's "*." matches every name: no scenario uses that mask.
# - Wine sorts a directory's entries, Linux gives them in no set order: the
#   lines of each run of entries are compared as sorted, and each directory of
#   the trees has at most one subdirectory, so /S visits them in one order.
# - The help screen names the platform: "per LINUX 64 bit" against
#   "per WIN 32 bit".
# - Output files are written in UTF-8 by the native build and in code page
#   850 by the Win32 build: each is read in its own.
WINE_ROOT_PREFIX = "Z:"
PLATFORM_WORD = re.compile(r"(Versione 1\.20 per )\S+ \d+( bit)")

TREE = {
    "Alpha.txt": "A",
    "beta.TXT": "AH",
    "gamma.doc": "AR",
    "Delta.txt": "AS",
    "noext": "ARHS",
    "Dir/": "",
    "Dir/one.txt": "A",
    "Dir/Two.txt": "AHS",
    "Dir/In/": "H",
    "Dir/In/three.txt": "AR",
    "Dir/In/four.dat": "A",
}

# name, parameters ({root} and {out} stand for the paths of each build)
SCENARIOS = [
    ("help", ["/?"]),
    ("listing", ["{root}\\*.*"]),
    ("listing of a pattern", ["{root}\\*.TXT"]),
    ("listing of a directory entry", ["{root}\\DIR"]),
    ("listing of a tree", ["{root}\\*.*", "/S"]),
    ("listing of a tree by pattern", ["/S", "{root}\\*.txt"]),
    ("nothing found", ["{root}\\*.XYZ"]),
    ("change", ["{root}\\*.TXT", "+H", "+S", "/Y"]),
    ("change of read-only", ["{root}\\*.*", "-R", "/Y"]),
    ("change of a tree", ["{root}", "-H", "+S", "/S", "/Y"]),
    ("change of directories", ["{root}\\DIR\\*.*", "+S", "-H", "/Y"]),
    ("listing into a file", ["{root}\\*.*", "/S", "+{out}"]),
    ("listing into a file and on the screen", ["{root}\\*.TXT", "/V", "+{out}"]),
    ("change into a file", ["{root}\\*.*", "/S", "+H", "/Y", "/I", "+{out}"]),
]

_ENTRY = re.compile(r"^ \[[D ][A ][R ][H ][S ]\]( --->|    )")


def typed_path(build, path):
    """A Linux path as typed to build."""
    text = tool.tool_path(path)
    return WINE_ROOT_PREFIX + text if build.name == "win32" else text


def comparable(lines, build, root):
    """What build showed or wrote, made comparable: its root as <ROOT>, the
    platform word gone, each run of entry lines sorted."""
    shown_root = typed_path(build, root).upper()
    lines = [PLATFORM_WORD.sub(r"\1<PLATFORM>\2", line.replace(shown_root, "<ROOT>")) for line in lines]
    out, run = [], []
    for line in lines + [None]:
        if line is not None and _ENTRY.match(line):
            run.append(line)
            continue
        out += sorted(run)
        run = []
        if line is not None:
            out.append(line)
    return out


def screen_rows(term):
    """The screen's rows down to the last one written."""
    rows = term.lines()
    while rows and not rows[-1]:
        rows.pop()
    return rows


def left_behind(root):
    """Relative path -> (Hidden and System as stored, no write bit at all)."""
    state = {}
    for path in sorted(Path(root).rglob("*")):
        bits = harness.stored_attributes(path)
        state[str(path.relative_to(root))] = (bits & (harness.HIDDEN | harness.SYSTEM),
                                              bool(bits & harness.READ_ONLY))
    return state


class BuildsAgree(unittest.TestCase):
    maxDiff = None

    @classmethod
    def setUpClass(cls):
        cls.builds = (tool.native_build(), tool.win32_build())

    def setUp(self):
        self.base = Path(tempfile.mkdtemp(prefix="z", dir="/tmp"))
        self.addCleanup(harness.remove_tree, self.base)

    def run_scenario(self, number, build, args):
        """Runs a scenario on a fresh tree; returns what can be compared."""
        # Short paths, so that no heading is cut to its width.
        place = self.base / ("%d%s" % (number, build.name[0]))
        place.mkdir()
        root = harness.make_tree(place / "t", TREE)
        # The tool upper-cases its parameters, so it makes the output file so named.
        out = place / "O.TXT"
        args = [a.format(root=typed_path(build, root), out=typed_path(build, out)) for a in args]
        # The list file of /S goes outside the tree; the current directory is empty.
        (place / "tmp").mkdir()
        (place / "cwd").mkdir()
        with harness.Terminal(build, "zelmo", args, cwd=place / "cwd", env={"TMP": str(place / "tmp")}) as term:
            code = term.wait_exit()
            screen = comparable(screen_rows(term), build, root)
        written = None
        if out.exists():
            written = comparable(out.read_bytes().decode(build.stdout_encoding).split("\r\n"), build, root)
        return {"exit code": code, "screen": screen, "output file": written,
                "attributes": left_behind(root)}

    def test_same_results(self):
        for number, (name, args) in enumerate(SCENARIOS):
            with self.subTest(scenario=name):
                native, win32 = (self.run_scenario(number, build, args) for build in self.builds)
                if any("{out}" in a for a in args):
                    self.assertIsNotNone(native["output file"], "%s: no output file" % name)
                for what in native:
                    self.assertEqual(native[what], win32[what], "%s: %s of the native build, then of the "
                                     "Win32 build" % (name, what))


if __name__ == "__main__":
    unittest.main()
