"""The native build on the file systems this machine's own kernel may lack,
run as root inside the test VM (tests/vm/vm-test), on Debian's kernel:

- vfat, where the attributes are the directory entry's byte (read with the
  FAT ioctl, and again after the volume was mounted afresh);
- exFAT, where Linux 6.1 offers no way to them: nothing is invented in a
  listing, Read-only is the write permission bits, and a change of Hidden,
  System or Archive is an access failure;
- a cifs mount of a local Samba share, where they are the server's word
  (checked on the server's file and through the mount);
- a tree run that crosses from ext4 into a vfat and an NTFS mount and
  changes each part in its own store.
"""

import os
import sys
import unittest
from pathlib import Path

REPO = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "interop"))
sys.path.insert(0, str(REPO / "tests" / "e2e"))

import samba_records  # noqa: E402
import tool  # noqa: E402
import volumes  # noqa: E402
from samba_server import PASSWORD, USER, SambaServer  # noqa: E402

R, H, S, D, A = 0x01, 0x02, 0x04, 0x10, 0x20
NORMAL = 0x80
FAILED = "Impossibile accedere al file "
ACCESS_QUESTION = "Annulla, Riprova, Ignora, ignora Tutti ?  [A,R,I,T]"
SCRATCH = Path("/tmp")

# The same requests on every store: the start word, the requests, the word
# afterwards (its R, H, S and A).
CHANGES = [
    (A, ["+H"], A | H),
    (A | H, ["-H"], A),
    (A, ["+S"], A | S),
    (A | S, ["-S"], A),
    (A, ["+R"], A | R),
    (A | R, ["-R"], A),
    (A, ["-A"], 0),
    (0, ["+A"], A),
    (A, ["+R", "+H", "+S", "-A"], R | H | S),
    (R | H | S, ["-R", "-H", "-S", "+A"], A),
]


def processed(done, found, skipped):
    return "*** File processati: %d su %d ,saltati %d  ,accessi negati %d" % (
        done, found, skipped, found - done - skipped)


class Volume(unittest.TestCase):
    """One file system of kind, mounted at SCRATCH/kind for the class, and
    the tool run on it."""

    kind = None
    options = ""

    @classmethod
    def setUpClass(cls):
        cls.build = tool.native_build()
        cls.root = SCRATCH / cls.kind
        cls.image = SCRATCH / (cls.kind + ".img")
        volumes.make_image(cls.kind, cls.image, 64)
        volumes.mount(cls.kind, cls.image, cls.root, cls.options)
        cls.addClassCleanup(volumes.unmount, cls.root)

    @classmethod
    def remount(cls, options=None):
        """Mounts the volume afresh: what shows then was on the disk."""
        volumes.unmount(cls.root)
        volumes.mount(cls.kind, cls.image, cls.root, cls.options if options is None else options)

    def setUp(self):
        self.dir = self.root / self.id().rsplit(".", 1)[-1][5:20]
        self.dir.mkdir()

    def make(self, name):
        """A file, or a directory for a name that ends with "/"."""
        path = self.dir / name.rstrip("/")
        if name.endswith("/"):
            path.mkdir()
        else:
            path.write_bytes(b"zelmo\n")
        return path

    def zelmo(self, *args, expect=0):
        code, out = tool.run(self.build, list(args))
        self.assertEqual(code, expect, out)
        return out

    def mask(self, pattern="*.*"):
        return tool.tool_path(self.dir) + "\\" + pattern

    def full_name(self, name):
        """An entry's name as the change pass reports it: the directory as
        typed, upper-cased like every parameter, and the name as on disk."""
        return tool.tool_path(self.dir).upper() + "\\" + name

    def listed(self, pattern="*.*"):
        return tool.listed_bits(self.zelmo(self.mask(pattern)))


class Vfat(Volume):
    kind = "vfat"

    def make_with(self, name, byte):
        path = self.make(name)
        volumes.set_fat_byte(path, byte)
        return path

    def test_listing_shows_the_entry_byte(self):
        cases = [
            ("plain", A), ("nothing", 0), ("hidden", A | H), ("every", A | R | H | S), ("readonly", R),
            ("dir/", D), ("hiddendir/", D | H), ("readonlydir/", D | R), (".dot", A),
        ]
        for name, byte in cases:
            self.make_with(name, byte)
        listed = self.listed()
        for name, byte in cases:
            name = name.rstrip("/")
            with self.subTest(name=name):
                self.assertEqual(volumes.fat_byte(self.dir / name), byte)
                self.assertEqual(listed[name], byte, tool.field(listed[name]))

    def test_each_change_lands_in_the_entry_byte(self):
        made = []
        for number, (start, requests, end) in enumerate(CHANGES):
            for kind, extra in (("f", 0), ("d/", D)):
                path = self.make_with("c%d%s" % (number, kind), start | extra)
                made.append((path, requests, end | extra))
            out = self.zelmo(*(requests + ["/Y", self.mask("c%d*" % number)]))
            self.assertIn(processed(2, 2, 0), out.splitlines(), out)
        for fresh in (False, True):
            if fresh:
                self.remount()
            for path, requests, end in made:
                with self.subTest(path=path.name, requests=requests, remounted=fresh):
                    self.assertEqual(volumes.fat_byte(path), end)
                    if path.is_file():
                        # The kernel shows Read-only as the write permission bits.
                        self.assertEqual(path.stat().st_mode & 0o222 == 0, bool(end & R), oct(path.stat().st_mode))

    def test_the_volumes_own_root_cannot_change(self):
        before = volumes.fat_byte(self.root)
        out = self.zelmo("+H", "/Y", "/I", tool.tool_path(self.root))
        self.assertIn(FAILED + "\\TMP\\" + self.kind, out)
        self.assertIn(processed(0, 1, 0), out.splitlines())
        self.assertEqual(volumes.fat_byte(self.root), before)


class Exfat(Volume):
    kind = "exfat"
    # As a desktop mounts a stick: write permission for the owner alone.
    options = "fmask=0022,dmask=0022"

    def test_listing_shows_only_the_type_and_read_only(self):
        self.make("plain")
        self.make(".dot")
        self.make("dir/")
        self.make("readonly").chmod(0o555)
        self.assertEqual(self.listed(), {"plain": 0, ".dot": 0, "dir": D, "readonly": R})

    def test_hidden_system_and_archive_are_access_failures(self):
        for name in ("one", "two/"):
            self.make(name)
        for request in ("+H", "+S", "+A"):
            with self.subTest(request=request):
                out = self.zelmo(request, "/Y", "/I", self.mask())
                lines = out.splitlines()
                self.assertIn(processed(0, 2, 0), lines)
                for name in ("one", "two"):
                    self.assertIn(FAILED + self.full_name(name), " ".join(lines), out)
        # Nothing shows them, so clearing them is never needed.
        for request in ("-H", "-S", "-A"):
            with self.subTest(request=request):
                self.assertIn(processed(0, 2, 2), self.zelmo(request, "/Y", self.mask()).splitlines())
        self.assertEqual(self.listed(), {"one": 0, "two": D})

    def test_without_option_i_the_access_question_is_asked(self):
        for name in ("one", "two"):
            self.make(name)
        # No answer left: the question ends the run as A does.
        out = self.zelmo("+H", "/Y", self.mask(), expect=1)
        self.assertEqual(out.count(ACCESS_QUESTION), 1, out)

    def test_read_only_can_be_set_but_not_cleared(self):
        # The write bits carry Read-only into the entry, where Linux 6.1
        # never clears it again: clearing it would last only until the
        # volume is mounted anew.
        path = self.make("file")
        self.assertIn(processed(1, 1, 0), self.zelmo("+R", "/Y", self.mask()).splitlines())
        self.assertEqual(path.stat().st_mode & 0o222, 0)
        self.remount()
        self.assertEqual(self.listed(), {"file": R})
        out = self.zelmo("-R", "/Y", "/I", self.mask())
        self.assertIn(FAILED + self.full_name("file"), out)
        self.assertIn(processed(0, 1, 0), out.splitlines())
        self.remount()
        self.assertEqual(self.listed(), {"file": R})


def server_attrib(path):
    """The attributes Samba keeps for a file of its share: the text form or
    its binary record in user.DOSATTRIB; Normal where nothing is stored."""
    try:
        value = os.getxattr(path, "user.DOSATTRIB")
    except OSError:
        return NORMAL
    parts = samba_records.parse(value)
    return parts["attrib"] if parts else int(value.split(b"\0")[0], 16)


class SmbMount(Volume):
    """A cifs mount of a share of a local smbd, whose files lie on ext4 (tmpfs
    of Linux 6.1 keeps no user values for Samba). Each check reads the word
    again from the server (actimeo=0)."""

    kind = "smb"

    @classmethod
    def setUpClass(cls):
        cls.build = tool.native_build()
        cls.server = SambaServer()
        cls.addClassCleanup(cls.server.stop)
        cls.server.start()
        cls.image = SCRATCH / "share.img"
        volumes.make_image("ext4", cls.image, 64)
        volumes.mount("ext4", cls.image, cls.server.share)
        cls.addClassCleanup(volumes.unmount, cls.server.share)
        cls.root = SCRATCH / cls.kind
        cls.root.mkdir()
        options = "port=%d,username=%s,password=%s,vers=3.0,actimeo=0" % (cls.server.port, USER, PASSWORD)
        volumes.run_checked(["mount", "-t", "cifs", "-o", options, "//127.0.0.1/share", str(cls.root)])
        cls.addClassCleanup(volumes.unmount, cls.root)

    def server_path(self, name):
        return self.server.share / self.dir.name / name

    def make(self, name):
        """An entry made on the server's disk, with nothing stored (a client
        would have Samba store Archive on a new file); its path on the mount."""
        path = self.server_path(name.rstrip("/"))
        if name.endswith("/"):
            path.mkdir()
        else:
            path.write_bytes(b"zelmo\n")
        return self.dir / name.rstrip("/")

    def make_with(self, name, attrib):
        """An entry made on the server with attrib stored as Samba reads it."""
        path = self.make(name)
        os.setxattr(self.server_path(name.rstrip("/")), "user.DOSATTRIB", b"0x%x" % attrib)
        return path

    def test_listing_shows_what_the_server_keeps(self):
        cases = [("plain", A), ("hidden", A | H), ("every", A | R | H | S), ("dir/", D), ("hiddendir/", D | H)]
        for name, attrib in cases:
            self.make_with(name, attrib)
        self.make("unset")
        listed = self.listed()
        self.assertEqual(listed["unset"], 0, "nothing stored: Normal")
        for name, attrib in cases:
            name = name.rstrip("/")
            with self.subTest(name=name):
                self.assertEqual(volumes.smb_word(self.dir / name) & 0xFF, attrib)
                self.assertEqual(listed[name], attrib, tool.field(listed[name]))

    def test_each_change_reaches_the_server(self):
        made = []
        for number, (start, requests, end) in enumerate(CHANGES):
            for kind, extra in (("f", 0), ("d/", D)):
                name = "c%d%s" % (number, kind)
                path = self.make_with(name, start | extra)
                made.append((path, self.server_path(name.rstrip("/")), requests, end | extra))
            out = self.zelmo(*(requests + ["/Y", self.mask("c%d*" % number)]))
            self.assertIn(processed(2, 2, 0), out.splitlines(), out)
        for path, server_path, requests, end in made:
            with self.subTest(path=path.name, requests=requests):
                self.assertEqual(server_attrib(server_path) & (R | H | S | D | A), end)
                self.assertEqual(volumes.smb_word(path) & (R | H | S | D | A), end)
                # What Samba itself keeps is all there is: no other value.
                self.assertEqual(volumes.user_values(server_path), ["user.DOSATTRIB"])


class TreeAcrossMounts(unittest.TestCase):
    """A tree on ext4 with a vfat and an NTFS volume mounted inside: one run
    changes each part where that part keeps its attributes."""

    @classmethod
    def setUpClass(cls):
        cls.build = tool.native_build()
        cls.root = SCRATCH / "tree"
        volumes.make_image("ext4", SCRATCH / "tree.img", 64)
        volumes.mount("ext4", SCRATCH / "tree.img", cls.root)
        cls.addClassCleanup(volumes.unmount, cls.root)
        for kind in ("vfat", "ntfs"):
            volumes.make_image(kind, SCRATCH / (kind + "-in-tree.img"), 32)
            volumes.mount(kind, SCRATCH / (kind + "-in-tree.img"), cls.root / kind)
            cls.addClassCleanup(volumes.unmount, cls.root / kind)
        for part in ("", "vfat/", "ntfs/"):
            (cls.root / part / "sub").mkdir()
            for name in ("a.txt", "sub/b.txt", "other.dat"):
                (cls.root / part / name).write_bytes(b"zelmo\n")

    def files(self, part):
        return [self.root / part / "a.txt", self.root / part / "sub" / "b.txt"]

    def test_one_run_changes_each_part_in_its_own_store(self):
        code, out = tool.run(self.build, ["+H", "/S", "/Y", tool.tool_path(self.root) + "\\*.txt"])
        self.assertEqual(code, 0, out)
        self.assertIn("*** File processati complessivamente: 6 su 6 ,saltati 0  ,accessi negati 0",
                      out.splitlines(), out)
        for path in self.files(""):
            self.assertEqual(os.getxattr(path, "user.DOSATTRIB"), b"0x2", path)
        for path in self.files("vfat"):
            self.assertEqual(volumes.fat_byte(path), A | H, path)
        for path in self.files("ntfs"):
            self.assertEqual(volumes.ntfs_word(path), A | H, path)
            self.assertEqual(volumes.user_values(path), [], path)
        self.assertEqual(volumes.user_values(self.root / "other.dat"), [])
        self.assertEqual(volumes.fat_byte(self.root / "vfat" / "other.dat"), A)
        self.assertEqual(volumes.ntfs_word(self.root / "ntfs" / "other.dat"), A)
        # A listing of the whole tree reads each part from its own store:
        # Archive only where the file system keeps it for a new file.
        code, out = tool.run(self.build, ["/S", tool.tool_path(self.root) + "\\*.txt"])
        self.assertEqual(code, 0, out)
        fields = sorted(line[:8] for line in out.splitlines() if line.endswith(".txt"))
        self.assertEqual(fields, sorted([tool.field(H)] * 2 + [tool.field(A | H)] * 4), out)
