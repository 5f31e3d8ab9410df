"""File systems on image files for the tests, and the attribute word each
keeps, read and written where Windows reads it: NTFS's word in
system.ntfs_attrib_be (read with getfattr, as a user would), the FAT
directory entry's byte through the FAT ioctls, and an SMB server's word in
user.cifs.dosattrib on a cifs mount.

NTFS is mounted with ntfs-3g (FUSE), which works wherever /dev/fuse does;
vfat, exFAT and ext4 through loop devices, which needs a kernel that has
them (the test VM of tests/vm has). Every mount needs root."""

import fcntl
import os
import shutil
import struct
import subprocess
from pathlib import Path

FAT_IOCTL_GET_ATTRIBUTES = 0x80047210
FAT_IOCTL_SET_ATTRIBUTES = 0x40047211
NTFS_WORD = "system.ntfs_attrib_be"
SMB_WORD = "user.cifs.dosattrib"

# The programs that make each kind of image.
MAKERS = {
    "ntfs": ["mkntfs", "-q", "-F", "-f"],
    "vfat": ["mkfs.vfat"],
    "exfat": ["mkfs.exfat"],
    "ext4": ["mkfs.ext4", "-q"],
}


class MountError(Exception):
    """An image could not be made or mounted; the text says why."""


def run_checked(args):
    """Runs a program; MountError with its output when it fails."""
    done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                          timeout=120)
    if done.returncode != 0:
        raise MountError("%s: %s" % (" ".join(args), done.stdout.decode(errors="replace").strip()))


def missing_programs(kind):
    """The programs needed for an image of kind that are not installed."""
    needed = [MAKERS[kind][0], "ntfs-3g" if kind == "ntfs" else "mount"]
    return [p for p in needed if shutil.which(p, path=os.environ.get("PATH", "") + ":/usr/sbin:/sbin") is None]


def make_image(kind, image, size_mb=16):
    """An image file of size_mb megabytes holding a new file system of kind."""
    with open(image, "wb") as f:
        f.truncate(size_mb * 1024 * 1024)
    run_checked(MAKERS[kind] + [str(image)])


def mount(kind, image, point, options=""):
    """Mounts the image of kind at point (made when missing); options as
    mount's -o. MountError when it cannot be done."""
    Path(point).mkdir(parents=True, exist_ok=True)
    if kind == "ntfs":
        run_checked(["ntfs-3g"] + (["-o", options] if options else []) + [str(image), str(point)])
    else:
        run_checked(["mount", "-t", kind, "-o", "loop" + ("," + options if options else ""), str(image), str(point)])


def unmount(point):
    subprocess.run(["umount", str(point)], stdin=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)


def ntfs_word(path):
    """NTFS's attribute word of path, as getfattr reads it."""
    done = subprocess.run(["getfattr", "--absolute-names", "-h", "-n", NTFS_WORD, "-e", "hex", str(path)],
                          stdin=subprocess.DEVNULL, capture_output=True, timeout=30, check=True)
    for line in done.stdout.decode().splitlines():
        if line.startswith(NTFS_WORD + "="):
            return int(line.split("=", 1)[1], 16)
    raise AssertionError("getfattr shows no %s for %s: %r" % (NTFS_WORD, path, done.stdout))


def set_ntfs_word(path, word):
    os.setxattr(path, NTFS_WORD, struct.pack(">I", word), follow_symlinks=False)


def _fat_ioctl(path, request, value=0):
    fd = os.open(path, os.O_RDONLY | os.O_NOFOLLOW)
    try:
        return struct.unpack("I", fcntl.ioctl(fd, request, struct.pack("I", value)))[0]
    finally:
        os.close(fd)


def fat_byte(path):
    """The attribute byte of path's FAT directory entry."""
    return _fat_ioctl(path, FAT_IOCTL_GET_ATTRIBUTES)


def set_fat_byte(path, byte):
    _fat_ioctl(path, FAT_IOCTL_SET_ATTRIBUTES, byte)


def smb_word(path):
    """The word the SMB server keeps for path, read through the cifs mount."""
    return struct.unpack("<I", os.getxattr(path, SMB_WORD))[0]


def user_values(path):
    """The names of path's user extended attributes; none where the file
    system keeps no user values at all."""
    try:
        names = os.listxattr(path, follow_symlinks=False)
    except OSError:
        return []
    return [n for n in names if n.startswith("user.")]
