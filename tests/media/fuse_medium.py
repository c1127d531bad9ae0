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
                        rename, fsync and look at its room fails with EIO; removing a folder (a test clearing the
                        last install), or trying to, puts the stick back
    --owner UID         owner of the root folder (the unprivileged user Wine runs as)
    --cache-rate BYTES  a write-caching stick ("Better performance"): writes return at once, and a flush takes one
                        second per BYTES that it writes: the file's since its last flush, or everything, for the root
    --record FILE       records every operation that changes the medium, flushes included, for fat_tree.py to replay
                        (what a FAT stick keeps after a power cut at any moment)
    --image FOLDER      starts with the files and folders of FOLDER (power_cut.py --cuts), as a stick plugged in
                        again after a power cut
    --faults FILE       fails on request: once FILE (outside the mount) appears, holding "N ERRNO once" or
                        "N ERRNO on", the operations that come in the same order every run (the changes, flushes
                        included, and the opens; not those refused while another handle holds the name, whose
                        moment varies) are counted from 1, and the N-th fails with ERRNO (EIO, ENOSPC,
                        EACCES...): once, then it works again, or from then on every operation fails (the stick
                        pulled). When FILE goes, the medium works again. The count is logged with --log ("count N
                        operation /path"), as each is counted.

Every flush (fsync, and fsyncdir for a folder, which is how Wine passes a folder's FlushFileBuffers on) is logged
and charged --fsync-delay. A folder takes one cluster, as on FAT. Files belong to the user who creates them, and the
kernel checks permissions against their mode bits (default_permissions), so read-only files are refused for
writing as on Windows; as on Windows, a rename does not replace a read-only file (Linux and Wine would). Open files
follow Windows' FAT driver: a file removed while it is open keeps its name until the last close, and meanwhile
opening it, renaming it, or renaming onto it is refused (EACCES, a delete pending); a rename onto a file that is
open is refused too, even where its opener shares deletion.
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


def opens(n):
    return getattr(n, "opens", 0)


def pending(n):
    """The name of a node removed while open, which it keeps until the last close; None for any other."""
    return getattr(n, "pending", None)


class Medium(Operations):
    def __init__(self, args):
        self.args = args
        self.mutex = threading.Lock()
        self.tree = Tree(args.owner, load(args.image) if args.image else None)
        self.nodes = self.tree.nodes
        self.kept = 0  # bytes a counterfeit medium has really stored
        self.written = 0  # bytes written in all, for --pull-after
        self.record = open(args.record, "ab") if args.record else None
        self.handles = {}  # fh -> the node it opened; each node counts its open handles in opens, and a node removed
        self.next_fh = 1  # while open keeps its name in pending until the last close
        self.fault = None  # (n, errno, from then on) while armed
        self.trace = None  # where a list: each counted operation and its path
        self.count = 0  # operations counted since it was armed

    # -- failing on request
    def arm(self, n, code, lasting):
        """Fails the n-th counted operation from now on with errno code: once, or lasting from then on."""
        self.fault, self.count = (n, code, lasting), 0

    def disarm(self):
        self.fault = None

    def watch(self):
        """Arms or disarms as the --faults file comes and goes."""
        if not self.args.faults:
            return
        if not os.path.exists(self.args.faults):
            self.fault = None
        elif self.fault is None:
            with open(self.args.faults) as f:
                n, name, how = f.read().split()
            self.arm(int(n), getattr(errno, name), how == "on")

    def counted(self, operation, path):
        """One of the operations that come in the same order every run: counted, and failed when its turn came."""
        self.watch()
        if self.fault is None:
            return
        self.count += 1
        self.log("count %d %s %s" % (self.count, operation, path))
        if self.trace is not None:
            self.trace.append((operation, path))
        n, code, lasting = self.fault
        if self.count == n or (lasting and self.count > n):
            raise FuseOSError(code)

    def refused(self, operation, path):
        """Refuses an operation for what another handle is doing (a name open, or its deletion pending): the moment
        varies with the kernel's closes, so it is not counted, only traced."""
        if self.trace is not None:
            self.trace.append(("refused " + operation, path))
        raise FuseOSError(errno.EACCES)

    def pulled(self):
        return self.fault is not None and self.fault[2] and self.count >= self.fault[0]

    # -- helpers
    def alive(self):
        if self.args.pull_after is not None and self.written >= self.args.pull_after:
            raise FuseOSError(errno.EIO)  # pulled out
        self.lookable()

    def lookable(self):
        if self.pulled():
            raise FuseOSError(self.fault[1])  # a stick pulled out answers nothing, or that nothing is there

    def free(self, path):
        """Refuses a rename onto a name whose file is open or whose deletion is pending, as Windows' FAT driver does."""
        n = self.nodes.get(path)
        if n is not None and (pending(n) or opens(n)):
            self.refused("rename onto", path)

    def handle(self, path, fh):
        """The node an open handle reads or writes: by the handle, since a pending name may have gone for the kernel."""
        n = self.handles.get(fh)
        return n if n is not None else self.node(path)

    def opened(self, path):
        n = self.node(path)
        if pending(n):
            self.refused("open", path)
        fh, self.next_fh = self.next_fh, self.next_fh + 1
        self.handles[fh] = n
        n.opens = opens(n) + 1
        return fh

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
        self.counted("make", path)
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
            self.lookable()
            n = self.node(path)
            nlink = 2 if stat.S_ISDIR(n.mode) else 1
            return {"st_mode": n.mode, "st_uid": n.uid, "st_gid": n.gid, "st_nlink": nlink, "st_size": len(n.data),
                    "st_blocks": max(self.clusters(len(n.data)), nlink - 1) * self.args.cluster // 512,
                    "st_blksize": self.args.cluster,
                    "st_atime": n.times[0], "st_mtime": n.times[1], "st_ctime": n.times[2]}

    def statfs(self, path):
        with self.mutex:
            self.alive()  # a stick pulled out has no room to tell
            total = self.total()
            free = total - self.used() if self.args.keep is None else total - len(self.nodes)
            return {"f_bsize": self.args.cluster, "f_frsize": self.args.cluster, "f_blocks": total,
                    "f_bfree": max(free, 0), "f_bavail": max(free, 0), "f_files": 100000,
                    "f_ffree": 100000 - len(self.nodes), "f_favail": 100000 - len(self.nodes), "f_namemax": 255}

    def chmod(self, path, mode):
        with self.mutex:
            self.lookable()
            self.counted("chmod", path)
            self.node(path)
            self.change("chmod", path, mode)
            return 0

    def chown(self, path, uid, gid):
        with self.mutex:
            self.lookable()
            self.counted("chown", path)
            n = self.node(path)
            keep = (-1, 0xFFFFFFFF)
            self.change("chown", path, n.uid if uid in keep else uid, n.gid if gid in keep else gid)
            return 0

    def utimens(self, path, times=None):
        with self.mutex:
            self.lookable()
            self.counted("utimens", path)
            now = time.time()
            self.node(path).times[:2] = list(times) if times else [now, now]
            return 0

    def readdir(self, path, fh):
        with self.mutex:
            self.lookable()
            prefix = path.rstrip("/") + "/"
            return [".", ".."] + [p[len(prefix):] for p in self.tree.children(path)]

    def setxattr(self, path, name, value, options, position=0):
        with self.mutex:
            self.lookable()
            self.counted("setxattr", path)
            self.node(path)
            self.change("setxattr", path, name, bytes(value))
            return 0

    def getxattr(self, path, name, position=0):
        with self.mutex:
            self.lookable()
            n = self.node(path)
            if name not in n.xattrs:
                raise FuseOSError(errno.ENODATA)
            return n.xattrs[name]

    def listxattr(self, path):
        with self.mutex:
            return list(self.node(path).xattrs)

    def removexattr(self, path, name):
        with self.mutex:
            self.lookable()
            self.counted("removexattr", path)
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
            self.lookable()
            self.counted("rmdir", path)
            if self.tree.children(path):
                raise FuseOSError(errno.ENOTEMPTY)
            self.node(path)
            self.change("remove", path)
            return 0

    def unlink(self, path):
        with self.mutex:
            self.lookable()
            n = self.node(path)
            if pending(n):
                self.refused("unlink", path)
            self.counted("unlink", path)
            if opens(n):
                n.pending = path  # the name stays until the last close
            else:
                self.change("remove", path)
            return 0

    def rename(self, old, new):
        with self.mutex:
            self.alive()
            if pending(self.node(old)):
                self.refused("rename", old)
            self.free(new)
            self.counted("rename", old)
            target = self.nodes.get(new)
            if target is not None and not target.mode & 0o222:
                raise FuseOSError(errno.EACCES)  # as Windows, which never replaces a read-only file
            self.change("rename", old, new)
            return 0

    # -- contents
    def create(self, path, mode, fi=None):
        with self.mutex:
            self.make(path, stat.S_IFREG | (mode & 0o7777))
            return self.opened(path)

    def open(self, path, flags):
        with self.mutex:
            self.alive()
            if pending(self.node(path)):
                self.refused("open", path)
            self.counted("open", path)
            return self.opened(path)

    def truncate(self, path, length, fh=None):
        with self.mutex:
            self.alive()
            self.counted("truncate", path)
            n = self.handle(path, fh)
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
            self.counted("write", path)
            n = self.handle(path, fh)
            path = self.name_of(n, path)
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
            n = self.handle(path, fh)
            out = bytearray(n.data[offset:offset + size])
            if self.args.flip and os.path.basename(path or "") == self.args.flip:
                middle = len(n.data) // 2
                if offset <= middle < offset + len(out):
                    out[middle - offset] ^= 0x20
        if self.args.read_rate:  # what the stick reads: the file's bytes, not what was asked past its end
            time.sleep(len(out) / self.args.read_rate)
        return bytes(out)

    def fsync(self, path, datasync, fh):
        with self.mutex:
            self.alive()
            self.counted("fsync", path)
            n = self.handle(path, fh)
            path = self.name_of(n, path)
            folder = stat.S_ISDIR(n.mode)
            taken = self.change("sync", path) if self.nodes.get(path) is n else 0
        time.sleep(self.args.fsync_delay + (taken / self.args.cache_rate if self.args.cache_rate else 0))
        self.log(("fsyncdir " if folder else "fsync ") + path)
        return 0

    fsyncdir = fsync

    def flush(self, path, fh):
        return 0

    def release(self, path, fh):
        with self.mutex:
            n = self.handles.pop(fh, None)
            if n is None:
                return 0
            n.opens -= 1
            name = pending(n)
            if not n.opens and name:
                n.pending = None
                if self.nodes.get(name) is n:
                    self.change("remove", name)  # the last close: the pending name goes
            return 0

    def name_of(self, n, path):
        """The name a node has now (a pending one, or the path given)."""
        return pending(n) or path


def arguments(argv=None):
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
    parser.add_argument("--faults")
    return parser.parse_args(argv)


def mount(medium, mountpoint, **options):
    """Serves medium at mountpoint until it is unmounted. hard_remove: the kernel forgets a name removed while open
    at once, rather than renaming it to a ".fuse_hidden" one; the medium keeps such a name itself until the last
    close, as Windows' FAT driver does."""
    FUSE(medium, mountpoint, foreground=True, direct_io=True, allow_other=True, hard_remove=True,
         default_permissions=True, big_writes=True, max_write=131072, fsname="vellumine-medium", **options)


def main():
    args = arguments()
    mount(Medium(args), args.mountpoint)


if __name__ == "__main__":
    main()
