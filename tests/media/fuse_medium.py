#!/usr/bin/python3
"""A simulated USB medium in memory, as a FUSE file system mounted with direct_io, so that every read reaches it
and none is served from the kernel's cache. It can lie on purpose, as real sticks do:

  fuse_medium.py MOUNTPOINT [options]        (runs until unmounted)
    --cluster BYTES     allocation unit it reports and allocates in (default 4096)
    --capacity BYTES    room it really has; writes past it fail with ENOSPC (default 64 MiB)
    --keep BYTES        counterfeit: keeps only the first BYTES written in all and reads back zeros after them,
                        while reporting the whole capacity as free
    --flip NAME         failing flash: one byte of the file NAME is served changed on reading
    --log FILE          appends one line per fsync ("fsync /path")
    --write-rate BYTES  a slow stick: writes take one second per BYTES
    --read-rate BYTES   ...and reads one second per BYTES read
    --fsync-delay SECS  ...and each fsync takes SECS
    --pull-after BYTES  a stick pulled out: once BYTES have been written in all, every read, write, open, create,
                        rename and fsync fails with EIO; removing a folder (a test clearing the last install), or
                        trying to, puts the stick back
    --owner UID         owner of the root folder (the unprivileged user Wine runs as)
    --cache-rate BYTES  a write-caching stick ("Better performance"): writes return at once, and a flush takes one
                        second per BYTES that it writes: the file's since its last flush, or everything, for the root
    --record FILE       records every operation that changes the medium, flushes included, for fat_tree.py to replay
                        (what a FAT stick keeps after a power cut at any moment)
    --image FOLDER      starts with the files and folders of FOLDER (power_cut.py --cuts), as a stick plugged in
                        again after a power cut

Every flush (fsync, and fsyncdir for a folder, which is how Wine passes a folder's FlushFileBuffers on) is logged
and charged --fsync-delay. A folder takes one cluster, as on FAT. Files belong to the user who creates them, and the
kernel checks permissions against their mode bits (default_permissions), so read-only files are refused for
writing as on Windows; as on Windows, a rename does not replace a read-only file (Linux and Wine would).
"""
import argparse
import errno
import os
import pickle
import stat
import threading
import time

from fusepy import FUSE, FuseOSError, Operations, fuse_get_context

from fat_tree import Node, Tree


def load(folder):
    """The files and folders under folder, with their owners, modes and extended attributes, as a Tree's nodes."""
    nodes = {}
    for top, _, files in os.walk(folder):
        for target in [top] + [os.path.join(top, name) for name in files]:
            info = os.lstat(target)
            n = Node(info.st_mode, info.st_uid, info.st_gid)
            if stat.S_ISREG(info.st_mode):
                with open(target, "rb") as f:
                    n.data = bytearray(f.read())
            n.xattrs = {x: os.getxattr(target, x) for x in os.listxattr(target)}
            relative = os.path.relpath(target, folder)
            nodes["/" if relative == "." else "/" + relative] = n
    return nodes


class Medium(Operations):
    def __init__(self, args):
        self.args = args
        self.mutex = threading.Lock()
        self.tree = Tree(args.owner, load(args.image) if args.image else None)
        self.nodes = self.tree.nodes
        self.kept = 0  # bytes a counterfeit medium has really stored
        self.written = 0  # bytes written in all, for --pull-after
        self.record = open(args.record, "ab") if args.record else None

    # -- helpers
    def alive(self):
        if self.args.pull_after is not None and self.written >= self.args.pull_after:
            raise FuseOSError(errno.EIO)  # pulled out

    def node(self, path):
        if path not in self.nodes:
            raise FuseOSError(errno.ENOENT)
        return self.nodes[path]

    def change(self, operation, *arguments):
        """Applies one operation of fat_tree.Tree, recording it when asked; returns what it returns."""
        if self.record:
            pickle.dump((operation, arguments), self.record)
            self.record.flush()
        return getattr(self.tree, operation)(*arguments)

    def clusters(self, size):
        return (size + self.args.cluster - 1) // self.args.cluster

    def used(self):
        return sum(self.clusters(len(n.data)) for n in self.nodes.values()) + len(self.nodes)

    def total(self):
        return self.args.capacity // self.args.cluster

    def log(self, line):
        if self.args.log:
            with open(self.args.log, "a") as f:
                f.write(line + "\n")

    def make(self, path, mode):
        self.alive()
        parent = os.path.dirname(path)
        if parent not in self.nodes:
            raise FuseOSError(errno.ENOENT)
        if path in self.nodes:
            raise FuseOSError(errno.EEXIST)
        uid, gid, _ = fuse_get_context()
        self.change("make", path, mode, uid, gid)

    # -- metadata
    def getattr(self, path, fh=None):
        with self.mutex:
            n = self.node(path)
            nlink = 2 if stat.S_ISDIR(n.mode) else 1
            return {"st_mode": n.mode, "st_uid": n.uid, "st_gid": n.gid, "st_nlink": nlink, "st_size": len(n.data),
                    "st_blocks": max(self.clusters(len(n.data)), nlink - 1) * self.args.cluster // 512,
                    "st_blksize": self.args.cluster,
                    "st_atime": n.times[0], "st_mtime": n.times[1], "st_ctime": n.times[2]}

    def statfs(self, path):
        with self.mutex:
            total = self.total()
            free = total - self.used() if self.args.keep is None else total - len(self.nodes)
            return {"f_bsize": self.args.cluster, "f_frsize": self.args.cluster, "f_blocks": total,
                    "f_bfree": max(free, 0), "f_bavail": max(free, 0), "f_files": 100000,
                    "f_ffree": 100000 - len(self.nodes), "f_favail": 100000 - len(self.nodes), "f_namemax": 255}

    def chmod(self, path, mode):
        with self.mutex:
            self.node(path)
            self.change("chmod", path, mode)
            return 0

    def chown(self, path, uid, gid):
        with self.mutex:
            n = self.node(path)
            keep = (-1, 0xFFFFFFFF)
            self.change("chown", path, n.uid if uid in keep else uid, n.gid if gid in keep else gid)
            return 0

    def utimens(self, path, times=None):
        with self.mutex:
            now = time.time()
            self.node(path).times[:2] = list(times) if times else [now, now]
            return 0

    def readdir(self, path, fh):
        with self.mutex:
            prefix = path.rstrip("/") + "/"
            return [".", ".."] + [p[len(prefix):] for p in self.tree.children(path)]

    def setxattr(self, path, name, value, options, position=0):
        with self.mutex:
            self.node(path)
            self.change("setxattr", path, name, bytes(value))
            return 0

    def getxattr(self, path, name, position=0):
        with self.mutex:
            n = self.node(path)
            if name not in n.xattrs:
                raise FuseOSError(errno.ENODATA)
            return n.xattrs[name]

    def listxattr(self, path):
        with self.mutex:
            return list(self.node(path).xattrs)

    def removexattr(self, path, name):
        with self.mutex:
            if name not in self.node(path).xattrs:
                raise FuseOSError(errno.ENODATA)
            self.change("removexattr", path, name)
            return 0

    # -- names
    def mkdir(self, path, mode):
        with self.mutex:
            self.make(path, stat.S_IFDIR | (mode & 0o7777))
            return 0

    def rmdir(self, path):
        with self.mutex:
            self.written = 0  # put back in
            if self.tree.children(path):
                raise FuseOSError(errno.ENOTEMPTY)
            self.node(path)
            self.change("remove", path)
            return 0

    def unlink(self, path):
        with self.mutex:
            self.node(path)
            self.change("remove", path)
            return 0

    def rename(self, old, new):
        with self.mutex:
            self.alive()
            self.node(old)
            target = self.nodes.get(new)
            if target is not None and not target.mode & 0o222:
                raise FuseOSError(errno.EACCES)  # as Windows, which never replaces a read-only file
            self.change("rename", old, new)
            return 0

    # -- contents
    def create(self, path, mode, fi=None):
        with self.mutex:
            self.make(path, stat.S_IFREG | (mode & 0o7777))
            return 0

    def open(self, path, flags):
        with self.mutex:
            self.alive()
            self.node(path)
            return 0

    def truncate(self, path, length, fh=None):
        with self.mutex:
            self.alive()
            n = self.node(path)
            if self.clusters(length) > self.clusters(len(n.data)) and self.args.keep is None and \
                    self.used() + self.clusters(length) - self.clusters(len(n.data)) > self.total():
                raise FuseOSError(errno.ENOSPC)
            self.change("truncate", path, length)
            return 0

    def write(self, path, data, offset, fh):
        if self.args.write_rate:
            time.sleep(len(data) / self.args.write_rate)
        with self.mutex:
            self.alive()
            n = self.node(path)
            end = offset + len(data)
            if end > len(n.data):
                grow = self.clusters(end) - self.clusters(len(n.data))
                if self.args.keep is None and self.used() + grow > self.total():
                    raise FuseOSError(errno.ENOSPC)
            stored = data
            if self.args.keep is not None:  # a counterfeit stick drops what lies past its real size
                room = max(self.args.keep - self.kept, 0)
                self.kept += min(room, len(data))
                stored = bytes(data[:room]) + bytes(max(len(data) - room, 0))
            self.change("write", path, offset, bytes(stored))
            n.times[1] = time.time()
            self.written += len(data)
            return len(data)

    def read(self, path, size, offset, fh):
        with self.mutex:
            self.alive()
            out = bytearray(self.node(path).data[offset:offset + size])
            if self.args.flip and os.path.basename(path) == self.args.flip:
                middle = len(self.nodes[path].data) // 2
                if offset <= middle < offset + len(out):
                    out[middle - offset] ^= 0x20
        if self.args.read_rate:  # what the stick reads: the file's bytes, not what was asked past its end
            time.sleep(len(out) / self.args.read_rate)
        return bytes(out)

    def fsync(self, path, datasync, fh):
        with self.mutex:
            self.alive()
            folder = stat.S_ISDIR(self.node(path).mode)
            taken = self.change("sync", path)
        time.sleep(self.args.fsync_delay + (taken / self.args.cache_rate if self.args.cache_rate else 0))
        self.log(("fsyncdir " if folder else "fsync ") + path)
        return 0

    fsyncdir = fsync

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("mountpoint")
    parser.add_argument("--cluster", type=int, default=4096)
    parser.add_argument("--capacity", type=int, default=64 << 20)
    parser.add_argument("--keep", type=int)
    parser.add_argument("--flip")
    parser.add_argument("--log")
    parser.add_argument("--owner", type=int, default=0)
    parser.add_argument("--write-rate", type=float, default=0)
    parser.add_argument("--read-rate", type=float, default=0)
    parser.add_argument("--fsync-delay", type=float, default=0)
    parser.add_argument("--cache-rate", type=float, default=0)
    parser.add_argument("--pull-after", type=int)
    parser.add_argument("--record")
    parser.add_argument("--image")
    args = parser.parse_args()
    # hard_remove: a file deleted while open loses its name at once, as on FAT, not to a ".fuse_hidden" one.
    FUSE(Medium(args), args.mountpoint, foreground=True, direct_io=True, allow_other=True, hard_remove=True,
         default_permissions=True, big_writes=True, max_write=131072, fsname="vellumine-medium")


if __name__ == "__main__":
    main()
