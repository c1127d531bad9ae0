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
    --read-rate BYTES   ...and reads one second per BYTES
    --fsync-delay SECS  ...and each fsync takes SECS
    --pull-after BYTES  a stick pulled out: once BYTES have been written in all, every read, write, open, create,
                        rename and fsync fails with EIO; removing a folder (a test clearing the last install) puts
                        the stick back
    --owner UID         owner of the root folder (the unprivileged user Wine runs as)

A folder takes one cluster, as on FAT. Files belong to the user who creates them, and the kernel checks permissions against their mode bits
(default_permissions), so read-only files are refused for writing as on Windows; as on Windows, a rename does
not replace a read-only file (Linux and Wine would).
"""
import argparse
import errno
import os
import stat
import threading
import time

from fusepy import FUSE, FuseOSError, Operations, fuse_get_context


class Node:
    def __init__(self, mode, uid, gid):
        now = time.time()
        self.mode, self.uid, self.gid = mode, uid, gid
        self.data = bytearray()
        self.xattrs = {}
        self.times = [now, now, now]


class Medium(Operations):
    def __init__(self, args):
        self.args = args
        self.mutex = threading.Lock()
        self.nodes = {"/": Node(stat.S_IFDIR | 0o755, args.owner, args.owner)}
        self.kept = 0  # bytes a counterfeit medium has really stored
        self.written = 0  # bytes written in all, for --pull-after

    # -- helpers
    def alive(self):
        if self.args.pull_after is not None and self.written >= self.args.pull_after:
            raise FuseOSError(errno.EIO)  # pulled out

    def node(self, path):
        if path not in self.nodes:
            raise FuseOSError(errno.ENOENT)
        return self.nodes[path]

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
        self.nodes[path] = Node(mode, uid, gid)

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
            n = self.node(path)
            n.mode = (n.mode & ~0o7777) | (mode & 0o7777)
            return 0

    def chown(self, path, uid, gid):
        with self.mutex:
            n = self.node(path)
            if uid != -1 and uid != 0xFFFFFFFF:
                n.uid = uid
            if gid != -1 and gid != 0xFFFFFFFF:
                n.gid = gid
            return 0

    def utimens(self, path, times=None):
        with self.mutex:
            now = time.time()
            self.node(path).times[:2] = list(times) if times else [now, now]
            return 0

    def readdir(self, path, fh):
        with self.mutex:
            prefix = path.rstrip("/") + "/"
            names = [p[len(prefix):] for p in self.nodes if p != "/" and os.path.dirname(p) == path]
            return [".", ".."] + names

    def setxattr(self, path, name, value, options, position=0):
        with self.mutex:
            self.node(path).xattrs[name] = bytes(value)
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
            if self.node(path).xattrs.pop(name, None) is None:
                raise FuseOSError(errno.ENODATA)
            return 0

    # -- names
    def mkdir(self, path, mode):
        with self.mutex:
            self.make(path, stat.S_IFDIR | (mode & 0o7777))
            return 0

    def rmdir(self, path):
        with self.mutex:
            if any(os.path.dirname(p) == path for p in self.nodes if p != "/"):
                raise FuseOSError(errno.ENOTEMPTY)
            self.node(path)
            del self.nodes[path]
            self.written = 0  # put back in
            return 0

    def unlink(self, path):
        with self.mutex:
            self.node(path)
            del self.nodes[path]
            return 0

    def rename(self, old, new):
        with self.mutex:
            self.alive()
            n = self.node(old)
            target = self.nodes.get(new)
            if target is not None and not target.mode & 0o222:
                raise FuseOSError(errno.EACCES)  # as Windows, which never replaces a read-only file
            self.nodes.pop(new, None)
            self.nodes[new] = n
            del self.nodes[old]
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
            del n.data[length:]
            n.data.extend(bytes(length - len(n.data)))
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
                n.data.extend(bytes(end - len(n.data)))
            if self.args.keep is not None:  # a counterfeit stick drops what lies past its real size
                room = max(self.args.keep - self.kept, 0)
                self.kept += min(room, len(data))
                data = bytes(data[:room]) + bytes(max(len(data) - room, 0))
            n.data[offset:end] = data
            n.times[1] = time.time()
            self.written += len(data)
            return len(data)

    def read(self, path, size, offset, fh):
        if self.args.read_rate:
            time.sleep(size / self.args.read_rate)
        with self.mutex:
            self.alive()
            out = bytearray(self.node(path).data[offset:offset + size])
            if self.args.flip and os.path.basename(path) == self.args.flip:
                middle = len(self.nodes[path].data) // 2
                if offset <= middle < offset + len(out):
                    out[middle - offset] ^= 0x20
            return bytes(out)

    def fsync(self, path, datasync, fh):
        time.sleep(self.args.fsync_delay)
        with self.mutex:
            self.alive()
        self.log("fsync " + path)
        return 0

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
    parser.add_argument("--pull-after", type=int)
    args = parser.parse_args()
    FUSE(Medium(args), args.mountpoint, foreground=True, direct_io=True, allow_other=True,
         default_permissions=True, big_writes=True, max_write=131072, fsname="vellumine-medium")


if __name__ == "__main__":
    main()
