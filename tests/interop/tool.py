"""The builds under test and what the interoperability tests need of the tool:
its path syntax, and its listing read back as attribute bits.

The native build comes from ZELMO_NATIVE_BUILD_DIR (build/ by default), the
Win32 build from ZELMO_WIN_BUILD_DIR (build-win/ by default); ctest sets both.
Programs are run through the end-to-end tests' harness."""

import os
import re
import sys
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import harness  # noqa: E402

FIELD_BITS = (("D", 0x10), ("A", 0x20), ("R", 0x01), ("H", 0x02), ("S", 0x04))
_ENTRY_LINE = re.compile(r"^ \[([D ][A ][R ][H ][S ])\]    (.*)$")


def native_build():
    build = harness.PosixBuild(os.environ.get("ZELMO_NATIVE_BUILD_DIR") or REPO / "build")
    if not build.program("zelmo").exists():
        raise RuntimeError("no native build at %s: cmake -B build && cmake --build build" % build.build_dir)
    return build


def win32_build():
    build = harness.Win32Build(os.environ.get("ZELMO_WIN_BUILD_DIR") or REPO / "build-win")
    if not build.program("zelmo").exists():
        raise RuntimeError("no Win32 build at %s: cmake -B build-win --toolchain cmake/mingw-w64.cmake"
                           " && cmake --build build-win (scripts/test-all builds both)" % build.build_dir)
    return build


def tool_path(path):
    """A Linux path in the native build's syntax: /tmp/x is \\tmp\\x."""
    return "\\" + str(path).strip("/").replace("/", "\\")


def field(bits):
    """The attribute field the tool shows for bits, e.g. " [ AR  ]"."""
    return " [" + "".join(letter if bits & bit else " " for letter, bit in FIELD_BITS) + "]"


def listed_bits(text):
    """The entry lines of a listing: name -> attribute bits."""
    found = {}
    for line in text.replace("\r\n", "\n").split("\n"):
        m = _ENTRY_LINE.match(line)
        if m:
            found[m.group(2)] = sum(bit for letter, bit in FIELD_BITS if letter in m.group(1))
    return found


def run(build, args, cwd=None):
    """Runs zelmo with no terminal; returns (exit code, standard output text)."""
    done = harness.run_batch(build, "zelmo", args, cwd=cwd)
    return done.returncode, done.stdout.decode(build.stdout_encoding, "replace")
