#!/usr/bin/python3
# A file system that stands for a network share that stops answering: every folder at its top
# level exists, but whatever a program asks of one (its attributes, its listing) blocks until the
# test lets it go by making a file of the folder's name in the control folder ("all" lets every
# one go). Wine's own server is answered at once: it opens folders for every process, and a hang
# there would stop every Wine process, not only the one under test. A program's first touch of
# the folder is then a lookup of its own, outside the lock Wine holds while it lists a folder
# (a blocked listing would hold every other listing of the process, which Windows does not).
# Usage: silentshare.py MOUNTPOINT CONTROL
import errno
import os
import stat
import sys
import time

import fusepy

FIXED_TIME = 1577836800  # 2020-01-01: long settled
CHILD = "report.txt"


class SilentShare(fusepy.Operations):
    def __init__(self, control):
        self.control = control

    def _parts(self, path):
        return [p for p in path.split("/") if p]

    def _caller_is_wineserver(self):
        try:
            with open("/proc/%d/comm" % fusepy.fuse_get_context()[2]) as comm:
                return comm.read().strip().startswith("wineserver")
        except OSError:
            return False

    def _wait(self, parts):
        if parts and parts[0].startswith("."):
            # Wine's own files at a drive's root (its label, its serial number): not there.
            raise fusepy.FuseOSError(errno.ENOENT)
        if parts and not self._caller_is_wineserver():
            while not self._let_go(parts[0]):
                time.sleep(0.05)

    def getattr(self, path, fh=None):
        parts = self._parts(path)
        self._wait(parts)
        times = dict(st_atime=FIXED_TIME, st_mtime=FIXED_TIME, st_ctime=FIXED_TIME)
        if len(parts) <= 1:
            return dict(st_mode=stat.S_IFDIR | 0o755, st_nlink=2, st_size=0, **times)
        if len(parts) == 2 and parts[1] == CHILD:
            return dict(st_mode=stat.S_IFREG | 0o644, st_nlink=1, st_size=0, **times)
        raise fusepy.FuseOSError(errno.ENOENT)

    def _let_go(self, name):
        return os.path.exists(os.path.join(self.control, name)) or os.path.exists(os.path.join(self.control, "all"))

    def readdir(self, path, fh):
        parts = self._parts(path)
        self._wait(parts)
        return [".", ".."] + ([CHILD] if parts else [])

    def open(self, path, flags):
        return 0

    def read(self, path, size, offset, fh):
        return b""


if __name__ == "__main__":
    # Nothing cached by the kernel: every question reaches us, from whoever asks it.
    fusepy.FUSE(SilentShare(sys.argv[2]), sys.argv[1], foreground=True, ro=True, nothreads=False,
                attr_timeout=0, entry_timeout=0, negative_timeout=0)
