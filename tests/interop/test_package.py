"""The packages as a user gets them. The native build's Debian package and its
-dbgsym companion, unpacked together into a temporary root, hold a working
stripped program with its debug information beside it, the manual page, the
README, the licence and the changelog, and pass lintian. The Win32 build's zip
holds the program, the README and the licence as Windows texts.
ZELMO_BUILD ("posix" or "win32") and ZELMO_BUILD_DIR name the build."""

import gzip
import os
import re
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
COPYRIGHT_FORMAT = "https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/"
LINTIAN_MISSING = "lintian is not installed (Debian's package lintian; scripts/install-deps test installs it)"


def build_dir():
    default = tool.REPO / ("build-win" if os.environ.get("ZELMO_BUILD") == "win32" else "build")
    return Path(os.environ.get("ZELMO_BUILD_DIR") or default)


def make_packages(generator, out, suffixes):
    """Runs CPack for the build into the directory out; returns the packages
    it made, one for each file name suffix, in that order."""
    done = subprocess.run(["cpack", "-G", generator, "--config", str(build_dir() / "CPackConfig.cmake"),
                           "-B", str(out)], stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=300)
    made = sorted(p.name for p in Path(out).iterdir() if p.is_file())
    packages = [[name for name in made if name.endswith(suffix)] for suffix in suffixes]
    if done.returncode != 0 or len(made) != len(suffixes) or any(len(p) != 1 for p in packages):
        raise AssertionError("cpack -G %s made %s:\n%s" % (generator, made, done.stdout.decode(errors="replace")))
    return [Path(out) / p[0] for p in packages]


def temporary_directory(case, prefix):
    path = Path(tempfile.mkdtemp(prefix=prefix))
    case.addClassCleanup(shutil.rmtree, path, True)
    return path


def rendered_manual(page):
    """The gzipped manual page as text: through man when it is installed, else groff."""
    env = dict(os.environ, MANWIDTH="80", MAN_KEEP_FORMATTING="", LANG="C.UTF-8", PAGER="cat")
    if shutil.which("man"):
        command, source = ["man", "-l", str(page)], None
    else:
        command, source = ["groff", "-man", "-Tutf8"], gzip.decompress(page.read_bytes())
    done = subprocess.run(command, input=source, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env,
                          timeout=60)
    return done.returncode, done.stdout.decode(errors="replace"), done.stderr.decode(errors="replace")


def control_fields(package):
    """The fields of a package's control file, by name."""
    text = subprocess.run(["dpkg-deb", "-f", str(package)], stdout=subprocess.PIPE, check=True,
                          timeout=60).stdout.decode()
    return dict(re.findall(r"^([A-Za-z0-9-]+):[ \t]*(.*(?:\n[ \t].*)*)", text, re.M))


def elf_sections(path):
    """The names of the sections of an ELF file."""
    # readelf finds no program interpreter in a separate debug file and says so.
    text = subprocess.run(["readelf", "-S", "-W", str(path)], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                          check=True, timeout=60).stdout.decode()
    return set(re.findall(r"^\s*\[\s*\d+\]\s+(\S+)", text, re.M))


def build_id(path):
    text = subprocess.run(["readelf", "-n", str(path)], stdout=subprocess.PIPE, check=True,
                          timeout=60).stdout.decode()
    return re.search(r"Build ID: ([0-9a-f]+)", text).group(1)


def licence_terms():
    """LICENSE's paragraphs below its copyright line, and that line's holders."""
    text = (tool.REPO / "LICENSE").read_text()
    holders, terms = re.search(r"^Copyright \(c\) ([^\n]+)\n\n(.+)", text, re.M | re.S).groups()
    return holders, terms.rstrip("\n")


def copyright_paragraphs(text):
    """A machine-readable copyright file as a list of field dictionaries, the
    continuation lines of a field unfolded ("." for an empty line)."""
    paragraphs = []
    for block in text.strip("\n").split("\n\n"):
        fields = {}
        for name, value in re.findall(r"^([A-Za-z-]+):[ \t]*(.*(?:\n .*)*)", block, re.M):
            lines = value.split("\n")
            fields[name] = "\n".join([lines[0]] + ["" if line == " ." else line[1:] for line in lines[1:]])
        paragraphs.append(fields)
    return paragraphs


class DebianPackage(unittest.TestCase):
    """Of the native build."""

    @classmethod
    def setUpClass(cls):
        cls.package, cls.dbgsym = make_packages("DEB", temporary_directory(cls, "zelmo-pkg-"), [".deb", ".ddeb"])
        cls.root = temporary_directory(cls, "zelmo-root-")
        for package in (cls.package, cls.dbgsym):
            subprocess.run(["dpkg-deb", "-x", str(package), str(cls.root)], check=True, timeout=60)
        cls.doc = cls.root / "usr" / "share" / "doc" / "zelmo"

    def test_fields(self):
        fields = control_fields(self.package)
        self.assertEqual(fields["Package"], "zelmo")
        self.assertEqual(fields["Version"], "1.20")
        self.assertIn("<", fields["Maintainer"])
        self.assertEqual(fields["Section"], "utils")
        self.assertEqual(fields["Priority"], "optional")
        # The project has no home page yet.
        self.assertNotIn("Homepage", fields)
        short, *long = fields["Description"].split("\n")
        self.assertTrue(0 < len(short) <= 80, short)
        self.assertGreaterEqual(len(long), 3, long)
        # Only the C and C++ runtime libraries.
        depends = [d.split()[0] for d in fields["Depends"].split(",")]
        self.assertLessEqual(set(depends), {"libc6", "libgcc-s1", "libstdc++6"}, depends)

    @unittest.skipUnless(shutil.which("lintian"), LINTIAN_MISSING)
    def test_lintian_finds_no_error_and_no_warning(self):
        done = subprocess.run(["lintian", "--profile", "debian", "--fail-on", "error,warning",
                               "--tag-display-limit", "0", str(self.package), str(self.dbgsym)],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=600)
        output = done.stdout.decode(errors="replace")
        report = output + done.stderr.decode(errors="replace")
        self.assertEqual([line for line in output.splitlines() if line[:2] in ("E:", "W:")], [], report)
        self.assertEqual(done.returncode, 0, report)

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

    def test_program_is_stripped_and_its_debug_information_in_dbgsym(self):
        program = self.root / "usr" / "bin" / "zelmo"
        sections = elf_sections(program)
        self.assertFalse(sections & {".symtab", ".debug_info", ".debug_line"}, sections)
        # Where a debugger looks for it: by the program's build ID.
        identity = build_id(program)
        debug = self.root / "usr" / "lib" / "debug" / ".build-id" / identity[:2] / (identity[2:] + ".debug")
        self.assertTrue(debug.is_file(), debug)
        self.assertLessEqual({".symtab", ".debug_info", ".debug_line"}, elf_sections(debug))
        fields = control_fields(self.dbgsym)
        self.assertEqual(fields["Package"], "zelmo-dbgsym")
        self.assertEqual(fields["Depends"], "zelmo (= 1.20)")
        self.assertEqual(fields["Build-Ids"], identity)
        self.assertEqual(os.readlink(self.root / "usr" / "share" / "doc" / "zelmo-dbgsym"), "zelmo")

    def test_manual_page(self):
        page = self.root / "usr" / "share" / "man" / "man1" / "zelmo.1.gz"
        self.assertTrue(page.is_file(), page)
        self.assertEqual(gzip.decompress(page.read_bytes()), (tool.REPO / "docs" / "zelmo.1").read_bytes())
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
        self.assertEqual((self.doc / "README.md").read_bytes(), (tool.REPO / "README.md").read_bytes())

    def test_copyright_is_the_licence_machine_readable(self):
        header, files, *rest = copyright_paragraphs((self.doc / "copyright").read_text())
        self.assertEqual(header["Format"], COPYRIGHT_FORMAT)
        self.assertEqual(rest, [])
        holders, terms = licence_terms()
        self.assertEqual(files["Files"], "*")
        self.assertEqual(files["Copyright"], holders)
        # Debian's name of the MIT licence.
        self.assertEqual(files["License"], "Expat\n" + terms)

    def test_changelog_names_this_version(self):
        first = gzip.decompress((self.doc / "changelog.gz").read_bytes()).decode().split("\n", 1)[0]
        self.assertRegex(first, r"^zelmo \(1\.20\) [a-z]+; urgency=[a-z]+$")


class Win32Zip(unittest.TestCase):
    """Of the Win32 build."""

    def test_program_readme_and_licence(self):
        (package,) = make_packages("ZIP", temporary_directory(self, "zelmo-pkg-"), [".zip"])
        with zipfile.ZipFile(package) as z:
            self.assertEqual(sorted(z.namelist()), ["LICENSE.txt", "README.txt", "zelmo.exe"])
            self.assertEqual(z.read("zelmo.exe"), (build_dir() / "zelmo.exe").read_bytes())
            # The texts with the line ends of Windows.
            for name, source in (("README.txt", "README.md"), ("LICENSE.txt", "LICENSE")):
                with self.subTest(name=name):
                    self.assertEqual(z.read(name), (tool.REPO / source).read_bytes().replace(b"\n", b"\r\n"))


if __name__ == "__main__":
    unittest.main()
