"""Names that differ only in case, on the native build: the name with exactly
the case typed is found, listed, changed and created; another case is taken
only where no exact name exists. What is shown stays upper-cased.

Native build only: Windows, and Wine, find a name whatever its case."""

import os

import faults
import harness
from reports import change_heading, entry_line, listing_heading


class TypedCase(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "Windows finds a name whatever its case")
        harness.make_tree(self.workdir, {"abc/": "", "abc/lower.txt": "", "ABC/": "", "ABC/UPPER.TXT": "",
                                         "abc/sub/": "", "abc/sub/deep.txt": "", "ABC/SUB/": "",
                                         "ABC/SUB/DEEP.TXT": "", "note.txt": "", "NOTE.TXT": "",
                                         "Only.Txt": ""})

    def test_a_listing_finds_the_name_typed_first(self):
        cases = [
            # mask, the directory its heading shows, the entries listed
            ("abc\\*.*", "ABC", ["lower.txt", "sub"]),
            ("ABC\\*.*", "ABC", ["SUB", "UPPER.TXT"]),
            # No exact name: the first that matches in byte order, ABC.
            ("aBc\\*.*", "ABC", ["SUB", "UPPER.TXT"]),
            ("abc\\sub\\*.*", "ABC\\SUB", ["deep.txt"]),
            ("note.txt", "", ["note.txt"]),
            ("NOTE.TXT", "", ["NOTE.TXT"]),
            ("only.txt", "", ["Only.Txt"]),
            # A Linux path that begins with "/" keeps its case as well.
            (str(self.workdir) + "/abc/*.*", "ABC", ["lower.txt", "sub"]),
        ]
        for mask, directory, entries in cases:
            with self.subTest(mask=mask):
                done = self.batch([mask])
                out = done.stdout.decode()
                self.assertEqual(done.returncode, 0, out)
                lines = out.splitlines()
                shown = faults.tool_path(self.build, self.workdir) + ("\\" + directory if directory else "")
                if mask.startswith("/"):
                    shown = shown.upper()
                pattern = mask.replace("/", "\\").split("\\")[-1].upper()
                self.assertEqual(lines[0], listing_heading(self.build, shown, pattern), out)
                listed = sorted(line[12:] for line in lines[1:-1])
                self.assertEqual(listed, entries, out)

    def test_a_change_changes_the_name_typed(self):
        cases = [
            # parameters, the entries made Hidden
            (["abc\\*.txt"], {"abc/lower.txt"}),
            (["ABC\\*.TXT"], {"ABC/UPPER.TXT"}),
            (["note.txt"], {"note.txt"}),
            (["/S", "abc\\*.txt"], {"abc/lower.txt", "abc/sub/deep.txt"}),
            (["/S", "abc"], {"abc/lower.txt", "abc/sub", "abc/sub/deep.txt"}),
            (["/S", "ABC"], {"ABC/UPPER.TXT", "ABC/SUB", "ABC/SUB/DEEP.TXT"}),
        ]
        for args, hidden in cases:
            with self.subTest(args=args):
                done = self.batch(["+H", "/Y"] + args)
                out = done.stdout.decode()
                self.assertEqual(done.returncode, 0, out)
                bits = faults.tree_bits(self.workdir)
                self.assertEqual({path for path, b in bits.items() if b & harness.HIDDEN}, hidden, out)
                for path in hidden:
                    harness.set_attributes(self.workdir / path, "")
        # What is shown stays upper-cased where the parameters are.
        done = self.batch(["+H", "/Y", "abc\\*.txt"])
        lines = done.stdout.decode().splitlines()
        self.assertEqual(lines[0], change_heading(self.build, faults.tool_path(self.build, self.workdir) + "\\ABC",
                                                  "*.TXT"))
        self.assertTrue(lines[1].endswith("Modifica di %s\\ABC\\lower.txt"
                                          % faults.tool_path(self.build, self.workdir)), lines)

    def test_a_created_file_takes_the_case_typed(self):
        done = self.batch(["+report.txt", "note.txt"])
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertTrue((self.workdir / "report.txt").is_file())
        self.assertFalse((self.workdir / "REPORT.TXT").exists())
        self.assertIn(entry_line(self.build, "note.txt"), (self.workdir / "report.txt").read_text().splitlines())
        # In a directory found in another case.
        done = self.batch(["+Abc\\Sub\\Out.Log", "note.txt"])
        self.assertEqual(done.returncode, 0, done.stdout)
        self.assertTrue((self.workdir / "ABC" / "SUB" / "Out.Log").is_file())
        # A missing TMP directory, made for the list file, takes its case too.
        missing = self.workdir / "NewTmp" / "Deeper"
        done = self.batch(["/S", "*.zzz"], env={"TMP": str(missing)})
        self.assertEqual(done.returncode, 1, done.stdout)
        self.assertTrue(missing.is_dir())

    def test_an_existing_output_file_is_found_exactly_first_else_in_another_case(self):
        cases = [
            # files there, output file typed, the file appended to
            (["out.txt", "OUT.TXT"], "out.txt", "out.txt"),
            (["out.txt", "OUT.TXT"], "OUT.TXT", "OUT.TXT"),
            (["out.txt", "OUT.TXT"], "Out.Txt", "OUT.TXT"),
            (["out.txt"], "OUT.TXT", "out.txt"),
        ]
        for there, typed, appended in cases:
            with self.subTest(there=there, typed=typed):
                for name in there:
                    (self.workdir / name).write_bytes(b"old\r\n")
                done = self.batch(["/AA", "+" + typed, "note.txt"])
                self.assertEqual(done.returncode, 0, done.stdout)
                for name in there:
                    content = (self.workdir / name).read_bytes()
                    self.assertEqual(len(content) > 5, name == appended, (name, content))
                    os.remove(self.workdir / name)
                self.assertEqual(sorted(n for n in os.listdir(self.workdir) if n.lower() == "out.txt"), [])


harness.for_each_build(globals(), TypedCase)
