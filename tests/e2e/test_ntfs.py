"""NTFS, as a dual-boot or USB disk is mounted on Linux with ntfs-3g: the
native tool lists NTFS's own attribute word and changes only its Read-only,
Hidden, System and Archive bits there, every other bit kept, the permission
bits left alone, and no user.DOSATTRIB ever written. Checked against
system.ntfs_attrib_be read with getfattr.

Each test mounts a small image of its own made with mkntfs; that needs root
and FUSE, and the test says so when it skips. The Win32 build keeps Wine's
behaviour and is not tested here."""

import os
import shutil
import subprocess

import faults
import harness
import reports
import volumes

# NTFS bits beyond the attribute byte that a file may carry and that ntfs-3g
# lets a program set: temporary and not content-indexed.
TEMPORARY, NOT_INDEXED = 0x100, 0x2000
# What the NTFS drivers give for a word without any attribute.
NORMAL = 0x80


class NtfsVolume(harness.ToolCase):
    def setUp(self):
        super().setUp()
        faults.only_posix(self, "the Win32 build keeps its attributes where Wine does")
        self.root = self.mount_ntfs()

    def mount_ntfs(self, options=""):
        """A fresh NTFS image mounted for this test; unmounted at its end."""
        faults.need_root(self)
        missing = volumes.missing_programs("ntfs")
        if missing:
            self.skipTest("needs %s (package ntfs-3g)" % ", ".join(missing))
        if not os.path.exists("/dev/fuse"):
            self.skipTest("no /dev/fuse: FUSE file systems cannot be mounted here")
        point = faults.short_directory(self) / "ntfs"
        image = point.with_name("ntfs.img")
        volumes.make_image("ntfs", image, 8)
        try:
            volumes.mount("ntfs", image, point, options)
        except volumes.MountError as e:
            self.skipTest("FUSE cannot mount here: %s" % e)
        self.addCleanup(volumes.unmount, point)
        # Run before the unmount: cleanups run last first.
        self.addCleanup(self.assert_no_user_values, point)
        return point

    def assert_no_user_values(self, root):
        """Nothing on the volume carries a user value: the tool wrote none."""
        for directory, dirs, files in os.walk(root):
            for name in [""] + dirs + files:
                path = os.path.join(directory, name)
                self.assertEqual(volumes.user_values(path), [], "user values on %s" % path)

    def make(self, name, word, root=None):
        """A file (a directory for a name ending in "/") with NTFS word word."""
        path = (root or self.root) / name.rstrip("/")
        if name.endswith("/"):
            path.mkdir()
        else:
            path.write_bytes(b"zelmo\n")
        volumes.set_ntfs_word(path, word)
        return path

    def zelmo(self, *args, expect=0):
        done = self.batch(list(args))
        out = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, expect, out)
        return out

    def mask(self, pattern="*.*", root=None):
        return faults.tool_path(self.build, root or self.root) + "\\" + pattern

    def full_name(self, name, root=None):
        """An entry's name as the change pass reports it: its directory as
        typed, upper-cased like every parameter, and the name as on disk."""
        return self.mask("", root).upper() + name

    def test_listing_shows_the_ntfs_word(self):
        # name, NTFS word set, the attribute bits shown
        cases = [
            ("plain", 0x20, 0x20),
            ("nothing", 0x00, 0x00),
            ("hidden", 0x22, 0x22),
            ("all", 0x27, 0x27),
            ("more", NOT_INDEXED | TEMPORARY | 0x24, 0x24),
            (".dot", 0x20, 0x20),
            ("dir/", 0x10, 0x10),
            ("hiddendir/", 0x16, 0x16),
        ]
        for name, word, _ in cases:
            self.make(name, word)
        listed = self.zelmo(self.mask())
        for name, word, bits in cases:
            name = name.rstrip("/")
            with self.subTest(name=name, word=hex(word)):
                # ntfs-3g gives Normal (0x80) for a word without any attribute.
                self.assertEqual(volumes.ntfs_word(self.root / name) & 0xFF & ~NORMAL, bits)
                self.assertIn(reports.field(bits) + "    " + name, listed.splitlines())
                # One name without wildcards is read by another road.
                alone = self.zelmo(self.mask(name))
                self.assertIn(reports.field(bits) + "    " + name, alone.splitlines())
        self.assertEqual(self.root.stat().st_mode & 0o777, 0o777, "ntfs-3g's default modes")

    def test_each_change_stores_only_its_bits_in_the_word(self):
        # start word, requests, word afterwards (for a file: a directory has
        # Directory, and never Normal, beside)
        cases = [
            (0x20, ["+H"], 0x22),
            (0x22, ["-H"], 0x20),
            (0x20, ["+S"], 0x24),
            (0x24, ["-S"], 0x20),
            (0x20, ["+R"], 0x21),
            (0x21, ["-R"], 0x20),
            (0x20, ["-A"], NORMAL),
            (0x00, ["+A"], 0x20),
            (NORMAL, ["+H"], 0x02),
            (NOT_INDEXED | TEMPORARY | 0x20, ["+R", "+H", "+S", "-A"], NOT_INDEXED | TEMPORARY | 0x07),
            (NOT_INDEXED | 0x07, ["-R", "-H", "-S", "+A"], NOT_INDEXED | 0x20),
        ]
        for number, (start, requests, end) in enumerate(cases):
            for directory in (False, True):
                name = ("dir%d/" if directory else "file%d") % number
                start_word = start | (0x10 if directory else 0)
                with self.subTest(name=name, start=hex(start_word), requests=requests):
                    path = self.make(name, start_word)
                    mode = path.stat().st_mode
                    out = self.zelmo(*(requests + ["/Y", self.mask(name.rstrip("/"))]))
                    self.assertIn(reports.processed_line(1, 1, 0), out.splitlines())
                    self.assertEqual(volumes.ntfs_word(path), end & ~NORMAL | 0x10 if directory else end)
                    self.assertEqual(path.stat().st_mode, mode, "Read-only is NTFS's bit alone: no chmod")

    def test_a_change_already_in_place_writes_nothing(self):
        path = self.make("f", 0x22)
        out = self.zelmo("+H", "/Y", self.mask())
        self.assertIn(reports.processed_line(0, 1, 1), out.splitlines())
        self.assertEqual(volumes.ntfs_word(path), 0x22)

    def test_a_read_only_mount_refuses_every_change(self):
        self.make("f", 0x20)
        image = self.root.with_name("ntfs.img")
        volumes.unmount(self.root)
        volumes.mount("ntfs", image, self.root, "ro")
        out = self.zelmo("+H", "/Y", "/I", self.mask())
        lines = out.splitlines()
        self.assertIn(reports.field(0x20) + " --->" + reports.field(0x22) + " Impossibile accedere al file "
                      + self.full_name("f"), lines)
        self.assertIn(reports.processed_line(0, 1, 0), lines)
        self.assertEqual(volumes.ntfs_word(self.root / "f"), 0x20)

    def test_another_owners_entry_is_an_access_failure(self):
        # With "permissions" ntfs-3g lets only a file's owner change its word.
        root = self.mount_ntfs("permissions")
        root.parent.chmod(0o755)
        root.chmod(0o777)
        self.make("f", 0x20, root)
        done = faults.run_as_nobody(self, ["+H", "/Y", "/I", self.mask(root=root)], cwd="/")
        out = done.stdout.decode("utf-8", "replace")
        self.assertEqual(done.returncode, 0, out)
        self.assertIn("Impossibile accedere al file " + self.full_name("f", root), out)
        self.assertIn(reports.processed_line(0, 1, 0), out.splitlines())
        self.assertEqual(volumes.ntfs_word(root / "f"), 0x20)

    def test_the_store_is_chosen_once_per_file_system(self):
        # A listing asks each file system what it is once, not once per entry.
        strace = shutil.which("strace")
        if strace is None:
            self.skipTest("strace is not installed")
        for n in range(40):
            self.make("f%02d" % n, 0x20)
        log = self.workdir / "strace.log"
        command = [strace, "-f", "-o", str(log), "-e", "trace=statfs,fstatfs",
                   str(self.build.program("zelmo")), self.mask()]
        # LeakSanitizer cannot work under a tracer: a sanitized build leaves it off here.
        env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
        done = subprocess.run(command, cwd=str(self.workdir), env=env, stdin=subprocess.DEVNULL,
                              capture_output=True, timeout=60)
        if done.returncode != 0 and not log.exists():
            self.skipTest("strace cannot trace here: %s" % done.stderr.decode(errors="replace"))
        self.assertEqual(done.returncode, 0, done.stdout + done.stderr)
        self.assertIn(reports.found_line(40), done.stdout.decode().splitlines())
        calls = [line for line in log.read_text().splitlines() if "statfs(" in line]
        # The working directory's file system and the NTFS volume.
        self.assertLessEqual(len(calls), 2, "\n".join(calls))


harness.for_each_build(globals(), NtfsVolume)
