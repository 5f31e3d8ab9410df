"""A private Samba server for the interoperability tests, and its client.

SambaServer runs Debian's smbd as a child of the test, on the loopback
address and a free port, with a configuration, state, passwords and log of
its own in a temporary directory, serving one share over a directory of that
tree. It stores the attributes in user.DOSATTRIB (store dos attributes = yes)
with the other attribute settings at Samba's defaults. The server and every
process it starts form one process group, which stop() ends.

Client runs smbclient against it and reads back what Samba reports.
"""

import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import time
from pathlib import Path

SMBD = "/usr/sbin/smbd"
SMBCLIENT = "/usr/bin/smbclient"
SMBPASSWD = "/usr/bin/smbpasswd"
USER, PASSWORD = "root", "zelmo-interop"
START_TIMEOUT = 60.0

CONFIG = """\
[global]
  server role = standalone server
  workgroup = ZELMOTEST
  smb ports = {port}
  interfaces = 127.0.0.1
  bind interfaces only = yes
  disable netbios = yes
  lock directory = {root}/lock
  state directory = {root}/state
  cache directory = {root}/cache
  pid directory = {root}/pid
  private dir = {root}/private
  binddns dir = {root}/private
  ncalrpc dir = {root}/ncalrpc
  passdb backend = tdbsam:{root}/private/passdb.tdb
  usershare path =
  log file = {root}/log.smbd
  log level = 1
  load printers = no
  printcap name = /dev/null
  disable spoolss = yes
  store dos attributes = yes

[share]
  path = {share}
  read only = no
"""


def missing_programs():
    """The Samba programs that are not installed."""
    return [p for p in (SMBD, SMBCLIENT, SMBPASSWD) if not os.access(p, os.X_OK)]


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_STREAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class SambaServer:
    """smbd serving the directory `share` as //127.0.0.1/share on `port`."""

    def __init__(self):
        self.root = Path(tempfile.mkdtemp(prefix="zelmo-smb-"))
        self.share = self.root / "share"
        self.config = self.root / "smb.conf"
        self.port = None
        self.process = None

    def start(self):
        missing = missing_programs()
        if missing:
            raise RuntimeError("Samba is not installed (missing %s): apt-get install samba smbclient"
                               % ", ".join(missing))
        for name in ("lock", "state", "cache", "pid", "private", "ncalrpc", "share"):
            (self.root / name).mkdir()
        self.port = free_port()
        self.config.write_text(CONFIG.format(port=self.port, root=self.root, share=self.share))
        subprocess.run([SMBPASSWD, "-c", str(self.config), "-s", "-a", USER],
                       input=("%s\n%s\n" % (PASSWORD, PASSWORD)).encode(), check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        with open(self.root / "smbd.out", "wb") as out:
            # smbd stays in the group made here, with every child it forks.
            self.process = subprocess.Popen(
                [SMBD, "--foreground", "--no-process-group", "-s", str(self.config)],
                stdin=subprocess.DEVNULL, stdout=out, stderr=subprocess.STDOUT,
                start_new_session=True)
        self._wait_for_port()

    def _wait_for_port(self):
        deadline = time.monotonic() + START_TIMEOUT
        while time.monotonic() < deadline:
            if self.process.poll() is not None:
                raise RuntimeError("smbd ended at start (code %s):\n%s" % (self.process.returncode, self.log()))
            try:
                with socket.create_connection(("127.0.0.1", self.port), timeout=1):
                    return
            except OSError:
                time.sleep(0.1)
        raise RuntimeError("smbd did not answer on port %d:\n%s" % (self.port, self.log()))

    def log(self):
        text = ""
        for name in ("smbd.out", "log.smbd"):
            path = self.root / name
            if path.exists():
                text += path.read_text(errors="replace")[-3000:]
        return text

    def stop(self):
        """Ends smbd and all its processes, and removes the tree."""
        if self.process is not None:
            try:
                os.killpg(self.process.pid, signal.SIGTERM)
                self.process.wait(timeout=20)
            except ProcessLookupError:
                pass
            except subprocess.TimeoutExpired:
                os.killpg(self.process.pid, signal.SIGKILL)
                self.process.wait()
            # Children that outlived the parent are in the same group.
            try:
                os.killpg(self.process.pid, signal.SIGKILL)
            except ProcessLookupError:
                pass
            self.process = None
        shutil.rmtree(self.root, ignore_errors=True)


class SambaError(AssertionError):
    pass


# Attribute letters of smbclient's "ls" and their bits.
LS_LETTERS = {"R": 0x01, "H": 0x02, "S": 0x04, "D": 0x10, "A": 0x20, "N": 0x80}


class Client:
    """smbclient commands on the share of one server."""

    def __init__(self, server):
        self.server = server

    def run(self, commands):
        """Runs smbclient with commands (joined by "; "); returns its output."""
        args = [SMBCLIENT, "//127.0.0.1/share", "-p", str(self.server.port), "-s", str(self.server.config),
                "-U", "%s%%%s" % (USER, PASSWORD), "-c", "; ".join(commands)]
        done = subprocess.run(args, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, timeout=60)
        text = done.stdout.decode("utf-8", "replace")
        # smbclient exits 0 after a failed command: its message is the sign.
        if done.returncode != 0 or "NT_STATUS_" in text:
            raise SambaError("smbclient %r failed (code %d):\n%s" % (commands, done.returncode, text))
        return text

    def allinfo(self, name):
        """What allinfo reports for name: (attribute value, creation time text)."""
        text = self.run(['allinfo "%s"' % name])
        attrib = re.search(r"^attributes: *\S* *\(([0-9a-f]+)\)", text, re.M)
        created = re.search(r"^create_time: *(.+?)\s*$", text, re.M)
        if not attrib or not created:
            raise SambaError("allinfo %s: no attributes or creation time in\n%s" % (name, text))
        return int(attrib.group(1), 16), created.group(1)

    def ls_bits(self, name):
        """The attribute bits of name in the share's "ls" listing."""
        text = self.run(['ls "%s"' % name])
        base = name.rsplit("\\", 1)[-1]
        for line in text.splitlines():
            m = re.match(r"^  (.+?)\s+([A-Z]*)\s+\d+  \w{3} \w{3} ", line)
            if m and m.group(1) == base:
                return sum(LS_LETTERS[c] for c in m.group(2))
        raise SambaError("ls: %s is not listed in\n%s" % (name, text))

    def setmode(self, name, mode):
        self.run(['setmode "%s" %s' % (name, mode)])

    def put(self, local, name):
        self.run(['put "%s" "%s"' % (local, name)])

    def mkdir(self, name):
        self.run(['mkdir "%s"' % name])

    def set_creation_time(self, name, when):
        """when: "YYYY:MM:DD-HH:MM:SS"; the other times are left alone."""
        self.run(['utimes "%s" %s -1 -1 -1' % (name, when)])
