"""The packages as a user gets them. The native build's Debian package,
unpacked into a temporary root, holds a working program, its manual page and
the README; the Win32 build's zip holds the program and the README.
ZELMO_BUILD ("posix" or "win32") and ZELMO_BUILD_DIR name the build."""

import os
import shutil
import subprocess
import tempfile
import unittest
import zipfile
from pathlib import Path

import tool

SECTIONS = ["NAME", "SYNOPSIS", "DESCRIPTION", "OPTIONS", "EXAMPLES", "EXIT STATUS", "ENVIRONMENT",
            "FILES", "NOTES ON LINUX"]
HELP_FIRST_LINE = "ZELMO :  visualizza o cambia gli attributi di file e/o directory."


def build_dir():
    default = tool.REPO / ("build-win" if os.environ.get("ZELMO_BUILD") == "win32" else "build")
    return Path(os.environ.get("ZELMO_BUILD_DIR") or default)


def make_package(generator, out):
    """Runs CPack for the build into the directory out; returns the package."""
    done = subprocess.run(["cpack", "-G", generator, "--config", str(build_dir() / "CPackConfig.cmake"),
                           "-B", str(out)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    packages = [p for p in Path(out).iterdir() if p.is_file()]
    if done.returncode != 0 or len(packages) != 1:
        raise AssertionError("cpack -G %s made %s:\n%s" % (generator, packages, done.stdout.decode(errors="replace")))
    return packages[0]


def temporary_directory(case, prefix):
    path = Path(tempfile.mkdtemp(prefix=prefix))
    case.addClassCleanup(shutil.rmtree, path, True)
    return path


def rendered_manual(page):
    """The manual page as text: through man when it is installed, else groff."""
    if shutil.which("man"):
        command = ["man", "-l", str(page)]
    else:
        command = ["groff", "-man", "-Tutf8", str(page)]
    env = dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING="", LANG="C.UTF-8", PAGER="cat")
    done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=60)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


class DebianPackage(unittest.TestCase):
    """Of the native build."""

    @classmethod
    def setUpClass(cls):
        cls.package = make_package("DEB", temporary_directory(cls, "zelmo-pkg-"))
        cls.root = temporary_directory(cls, "zelmo-root-")
        subprocess.run(["dpkg-deb", "-x", str(cls.package), str(cls.root)], check=True, timeout=60)

    def field(self, name):
        return subprocess.run(["dpkg-deb", "-f", str(self.package), name], stdout=subprocess.PIPE,
                              check=True).stdout.decode().strip()

    def test_fields(self):
        self.assertEqual(self.field("Package"), "zelmo")
        self.assertEqual(self.field("Version"), "1.20")
        self.assertIn("<", self.field("Maintainer"))
        self.assertTrue(self.field("Description"))
        # Only the C and C++ runtime libraries.
        depends = [d.split()[0] for d in self.field("Depends").split(",")]
        self.assertLessEqual(set(depends), {"libc6", "libgcc-s1", "libstdc++6"}, depends)

    def test_installed_program_shows_its_help(self):
        program = self.root / "usr" / "bin" / "zelmo"
        self.assertTrue(os.access(program, os.X_OK), program)
        done = subprocess.run([str(program), "/?"], stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, timeout=60)
        lines = done.stdout.decode().split("\r\n")
        self.assertEqual(done.returncode, 1, done.stderr)
        self.assertEqual(lines[0], HELP_FIRST_LINE)
        self.assertEqual(len(lines), 24, lines)  # 23 lines, each ended
        built = subprocess.run([str(tool.native_build().program("zelmo")), "/?"], stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, timeout=60)
        self.assertEqual(done.stdout, built.stdout)

    def test_manual_page(self):
        page = self.root / "usr" / "share" / "man" / "man1" / "zelmo.1"
        self.assertTrue(page.is_file(), page)
        code, text, errors = rendered_manual(page)
        self.assertEqual(code, 0, errors)
        self.assertEqual(errors, "")
        headings = [line for line in text.splitlines() if line and not line[0].isspace()]
        for section in SECTIONS:
            self.assertIn(section, headings)
        # Every option of the help screen is described.
        options = text.split("OPTIONS", 1)[1].split("EXAMPLES", 1)[0]
        for option in ("/?", "/Y", "/I", "/S", "/P", "/V", "/AC", "/AA", "/AS", "/AE", "+outfile"):
            self.assertIn(option, options)

    def test_readme(self):
        self.assertTrue((self.root / "usr" / "share" / "doc" / "zelmo" / "README.md").is_file())


class Win32Zip(unittest.TestCase):
    """Of the Win32 build."""

    def test_program_and_readme(self):
        package = make_package("ZIP", temporary_directory(self, "zelmo-pkg-"))
        with zipfile.ZipFile(package) as z:
            self.assertEqual(sorted(z.namelist()), ["README.md", "zelmo.exe"])
            self.assertEqual(z.read("zelmo.exe"), (build_dir() / "zelmo.exe").read_bytes())


if __name__ == "__main__":
    unittest.main()
