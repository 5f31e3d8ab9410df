"""The native build and Samba on one share: what zelmo sets is what Samba
reports to its clients, what a client sets through Samba is what zelmo lists,
and Samba's binary records keep what Samba stored in them (its creation
time) when zelmo changes a bit. Runs a private smbd (samba_server.py), so it
needs root and the packages samba and smbclient; a missing smbd is a failure.

The differences that remain are pinned down in SambaDifferences."""

import itertools
import os
import unittest

import samba_records
import tool
from samba_server import Client, SambaServer

NORMAL = 0x80  # what Samba reports for an entry with no attribute set
XATTR = "user.DOSATTRIB"
CREATED = "2001:02:03-04:05:06"  # smbclient's form of a creation time
CREATED_SHOWN = "Sat Feb  3 04:05:06 2001 UTC"  # ... and allinfo's
CREATED_NT = samba_records.nt_time(2001, 2, 3, 4, 5, 6)


class ShareCase(unittest.TestCase):
    """One smbd for the class; each test works in its own directory of the share."""

    @classmethod
    def setUpClass(cls):
        cls.build = tool.native_build()
        cls.server = SambaServer()
        cls.addClassCleanup(cls.server.stop)
        cls.server.start()
        cls.client = Client(cls.server)
        cls.names = itertools.count()

    def setUp(self):
        self.dir_name = self.id().rsplit(".", 1)[-1]
        self.dir = self.server.share / self.dir_name
        self.dir.mkdir()

    def share_name(self, name):
        """The name smbclient gives an entry of this test's directory."""
        return "%s\\%s" % (self.dir_name, name)

    def make(self, kind, made_by):
        """A new file or directory, made on Linux (nothing stored) or by a
        client through Samba (Samba stores A for a file, D for a directory)."""
        name = "%s%d" % ("f" if kind == "file" else "d", next(self.names))
        path = self.dir / name
        if made_by == "linux":
            if kind == "file":
                path.write_bytes(b"zelmo\n")
            else:
                path.mkdir()
        elif kind == "file":
            local = self.server.root / "upload"
            local.write_bytes(b"zelmo\n")
            self.client.put(local, self.share_name(name))
        else:
            self.client.mkdir(self.share_name(name))
        return name

    def zelmo(self, name, *args):
        code, out = tool.run(self.build, [tool.tool_path(self.dir / name)] + list(args))
        self.assertEqual(code, 0, out)
        return out

    def zelmo_bits(self, name):
        return tool.listed_bits(self.zelmo(name))[name]

    def samba_bits(self, name):
        """What allinfo reports, checked against ls, which must agree."""
        bits, _ = self.client.allinfo(self.share_name(name))
        self.assertEqual(self.client.ls_bits(self.share_name(name)), bits, "ls and allinfo of %s" % name)
        return bits


class ZelmoToSamba(ShareCase):
    # kind, made by, Samba's setmode before, zelmo's requests, what Samba then reports
    CASES = [
        ("file", "linux", None, ["+R"], 0x01),
        ("file", "linux", None, ["+H"], 0x02),
        ("file", "linux", None, ["+S"], 0x04),
        ("file", "linux", None, ["+A"], 0x20),
        ("file", "linux", None, ["+R", "+H", "+S", "+A"], 0x27),
        ("dir", "linux", None, ["+R"], 0x11),
        ("dir", "linux", None, ["+H"], 0x12),
        ("dir", "linux", None, ["+R", "+H", "+S", "+A"], 0x37),
        ("file", "samba", None, ["+R", "+H", "+S"], 0x27),
        ("file", "samba", None, ["-A"], NORMAL),
        ("file", "samba", "+rhs", ["-H"], 0x25),
        ("file", "samba", "+rhs", ["-R", "-H", "-S", "-A"], NORMAL),
        ("dir", "samba", None, ["+R", "+H", "+S", "+A"], 0x37),
        ("dir", "samba", "+rhsa", ["-R", "-S"], 0x32),
        ("dir", "samba", "+hs", ["-H", "-S", "+A"], 0x30),
    ]

    def test_what_zelmo_sets_samba_reports(self):
        for case in self.CASES:
            kind, made_by, before, requests, expected = case
            with self.subTest(case=case):
                name = self.make(kind, made_by)
                if before:
                    self.client.setmode(self.share_name(name), before)
                out = self.zelmo(name, *requests, "/Y")
                self.assertIn("Modifica di", out)
                self.assertEqual(self.samba_bits(name), expected)
                self.assertEqual(self.zelmo_bits(name), expected & ~NORMAL)


class SambaToZelmo(ShareCase):
    # kind (made through Samba), setmode, what zelmo then lists
    CASES = [
        ("file", None, " [ A   ]"),
        ("file", "+r", " [ AR  ]"),
        ("file", "+h", " [ A H ]"),
        ("file", "+s", " [ A  S]"),
        ("file", "-a", " [     ]"),
        ("file", "+rhs-a", " [  RHS]"),
        ("dir", None, " [D    ]"),
        ("dir", "+r", " [D R  ]"),
        ("dir", "+h", " [D  H ]"),
        ("dir", "+s", " [D   S]"),
        ("dir", "+rhsa", " [DARHS]"),
    ]

    def test_what_samba_sets_zelmo_lists(self):
        for case in self.CASES:
            kind, mode, expected = case
            with self.subTest(case=case):
                name = self.make(kind, "samba")
                if mode:
                    self.client.setmode(self.share_name(name), mode)
                self.assertEqual(tool.field(self.zelmo_bits(name)), expected)

    def test_cleared_again_through_samba(self):
        # A file's Read-only lives in its write bits too (SambaDifferences).
        for kind, requests, expected in (("file", ["+H", "+S", "+A"], " [     ]"),
                                         ("dir", ["+R", "+H", "+S", "+A"], " [D    ]")):
            with self.subTest(kind=kind):
                name = self.make(kind, "samba")
                self.zelmo(name, *requests, "/Y")
                self.client.setmode(self.share_name(name), "-rhsa")
                self.assertEqual(tool.field(self.zelmo_bits(name)), expected)

    def test_whole_directory_listed_alike(self):
        """A directory of entries with every kind of origin: zelmo's listing
        and smbclient's agree on every name and every attribute."""
        setups = [("file", "samba", "+h", []), ("file", "linux", None, ["+S", "+A"]),
                  ("dir", "samba", "+r", []), ("dir", "linux", None, ["+H"]),
                  ("file", "samba", "-a", []), ("file", "samba", None, ["+R", "-A"])]
        for kind, made_by, mode, requests in setups:
            name = self.make(kind, made_by)
            if mode:
                self.client.setmode(self.share_name(name), mode)
            if requests:
                self.zelmo(name, *requests, "/Y")
        code, out = tool.run(self.build, [tool.tool_path(self.dir) + "\\*.*"])
        self.assertEqual(code, 0, out)
        listed = tool.listed_bits(out)
        self.assertEqual(len(listed), len(setups), out)
        for name, bits in listed.items():
            self.assertEqual(self.samba_bits(name) & ~NORMAL, bits, name)


class SambaRecordsKept(ShareCase):
    """zelmo changes only the attribute bits of Samba's binary records."""

    def check_kept(self, name, before_bits, requests, after_bits):
        path = self.dir / name
        before = os.getxattr(path, XATTR)
        self.assertEqual(self.client.allinfo(self.share_name(name)), (before_bits, CREATED_SHOWN))
        self.zelmo(name, *requests, "/Y")
        after = os.getxattr(path, XATTR)
        old, new = samba_records.parse(before), samba_records.parse(after)
        self.assertIsNotNone(new, after.hex())
        self.assertEqual(new["version"], old["version"])
        self.assertEqual(new["attrib"], after_bits)
        self.assertEqual(samba_records.without_attrib(after), samba_records.without_attrib(before),
                         "%s -> %s" % (before.hex(), after.hex()))
        if old["text"]:
            self.assertEqual(new["text"], b"0x%x" % after_bits)
        self.assertEqual(self.client.allinfo(self.share_name(name)), (after_bits, CREATED_SHOWN))

    def test_record_written_by_samba(self):
        name = self.make("file", "samba")
        self.client.set_creation_time(self.share_name(name), CREATED)
        self.client.setmode(self.share_name(name), "+s")
        record = samba_records.parse(os.getxattr(self.dir / name, XATTR))
        self.assertEqual((record["version"], record["create_time"]), (5, CREATED_NT))
        self.check_kept(name, 0x24, ["+H", "-A"], 0x06)

    def test_directory_record_written_by_samba(self):
        name = self.make("dir", "samba")
        self.client.set_creation_time(self.share_name(name), CREATED)
        self.check_kept(name, 0x10, ["+H", "+R"], 0x13)

    def test_records_of_older_versions(self):
        """Records as older Samba versions wrote them, which this one reads too;
        version 3 carries the attributes as text as well, for older readers."""
        for version in (3, 4, 5):
            with self.subTest(version=version):
                name = self.make("file", "linux")
                os.setxattr(self.dir / name, XATTR, samba_records.record(version, 0x21, CREATED_NT))
                self.check_kept(name, 0x21, ["-R", "+H", "+S"], 0x26)


class SambaDifferences(ShareCase):
    """Where zelmo and Samba show an entry differently, by design of each."""

    def test_dot_file_stays_hidden_in_samba(self):
        # hide dot files = yes: Samba shows H whatever is stored.
        name = ".dot"
        (self.dir / name).write_bytes(b"")
        self.assertEqual((self.zelmo_bits(name), self.samba_bits(name)), (0x02, 0x02))
        self.zelmo(name, "-H", "/Y")
        self.assertEqual(os.getxattr(self.dir / name, XATTR), b"0x0")
        self.assertEqual((self.zelmo_bits(name), self.samba_bits(name)), (0x00, 0x02))

    def test_write_bits_are_read_only_for_zelmo_only(self):
        # Samba takes Read-only from user.DOSATTRIB alone.
        name = self.make("file", "linux")
        os.chmod(self.dir / name, 0o444)
        self.assertEqual((self.zelmo_bits(name), self.samba_bits(name)), (0x01, NORMAL))

    def test_read_only_cleared_by_samba_stays_in_the_write_bits(self):
        # zelmo's +R also takes the write bits away; Samba's -r leaves them so.
        name = self.make("file", "linux")
        self.zelmo(name, "+R", "/Y")
        self.client.setmode(self.share_name(name), "-r")
        self.assertEqual(os.stat(self.dir / name).st_mode & 0o222, 0)
        self.assertEqual((self.zelmo_bits(name), self.samba_bits(name)), (0x01, NORMAL))

    def test_read_only_set_by_samba_keeps_the_write_bits(self):
        name = self.make("file", "linux")
        self.client.setmode(self.share_name(name), "+r")
        self.assertNotEqual(os.stat(self.dir / name).st_mode & 0o200, 0)
        self.assertEqual((self.zelmo_bits(name), self.samba_bits(name)), (0x01, 0x01))


if __name__ == "__main__":
    unittest.main()
