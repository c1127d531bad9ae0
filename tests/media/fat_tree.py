"""The files and folders of a simulated medium, and what a FAT stick would keep of them if the power went now.

Windows' FAT driver (fastfat, flush.c): a file's flush writes its data, its directory entry and the entries of the
folders above it, then the allocation table; a flush of the root folder writes the whole volume; a flush of any
other folder writes nothing. Between flushes the lazy writer writes entries and data in its own order. So a Tree
keeps, beside the live entries that programs see, what each flush has put on the medium:
  after_cut()   the power cut now, the lazy writer's worst case: every entry stands as it is, but a file holds only
                the data its last flush wrote, cut or padded with zeros to the entry's size
  after_pull()  the stick pulled out now: only the entries and the data that flushes wrote
Each operation changes the live entries only; sync() is the flush. A Tree replays a medium's recording
(fuse_medium.py --record) operation by operation, so that every moment of an install can be cut afterwards.
"""
import copy
import os
import stat
import time


class Node:
    def __init__(self, mode, uid, gid):
        now = time.time()
        self.mode, self.uid, self.gid = mode, uid, gid
        self.data = bytearray()
        self.flushed = b""  # what the medium holds of the data: what the last flush wrote
        self.unflushed = 0  # bytes written since then: what a write-caching stick has still to write
        self.xattrs = {}
        self.times = [now, now, now]

    def holding(self, data):
        """A copy of this entry holding data (bytes, shared, never changed), all of it on the medium."""
        n = copy.copy(self)
        n.data = n.flushed = bytes(data)
        n.unflushed = 0
        n.xattrs, n.times = dict(self.xattrs), list(self.times)
        return n


class Tree:
    def __init__(self, owner=0, nodes=None):
        self.nodes = nodes or {"/": Node(stat.S_IFDIR | 0o755, owner, owner)}
        self.durable = {p: n.holding(n.data) for p, n in self.nodes.items()}  # the entries a pull would keep
        for n in self.nodes.values():
            n.data, n.flushed = bytearray(n.data), bytes(n.data)

    def node(self, path):
        return self.nodes.get(path)

    def children(self, path):
        return [p for p in self.nodes if p != "/" and os.path.dirname(p) == path]

    # -- operations, as a medium records them
    def make(self, path, mode, uid, gid):
        self.nodes[path] = Node(mode, uid, gid)

    def remove(self, path):
        del self.nodes[path]

    def rename(self, old, new):
        self.nodes[new] = self.nodes.pop(old)

    def write(self, path, offset, data):
        n = self.nodes[path]
        end = offset + len(data)
        if end > len(n.data):
            n.data.extend(bytes(end - len(n.data)))
        n.data[offset:end] = data
        n.unflushed += len(data)

    def truncate(self, path, length):
        n = self.nodes[path]
        del n.data[length:]
        n.data.extend(bytes(length - len(n.data)))

    def chmod(self, path, mode):
        n = self.nodes[path]
        n.mode = (n.mode & ~0o7777) | (mode & 0o7777)

    def chown(self, path, uid, gid):
        n = self.nodes[path]
        n.uid, n.gid = uid, gid

    def setxattr(self, path, name, value):
        self.nodes[path].xattrs[name] = bytes(value)

    def removexattr(self, path, name):
        self.nodes[path].xattrs.pop(name, None)

    def sync(self, path):
        """The flush of a file or a folder; returns the bytes it took to the medium."""
        n = self.nodes[path]
        if stat.S_ISDIR(n.mode) and path != "/":
            return 0  # "Flush a directory does nothing"
        synced = self.nodes if path == "/" else {path: n}
        taken = sum(m.unflushed for m in synced.values())
        for m in synced.values():
            m.flushed, m.unflushed = bytes(m.data), 0
        if path == "/":
            self.durable = {p: m.holding(m.flushed) for p, m in self.nodes.items()}
        else:
            self.durable[path] = n.holding(n.flushed)
            up = os.path.dirname(path)
            while True:  # the entries of the folders above it
                self.durable[up] = self.nodes[up].holding(b"")
                if up == "/":
                    break
                up = os.path.dirname(up)
        return taken

    # -- what survives
    def after_cut(self):
        return Tree(nodes={p: n.holding(n.flushed[:len(n.data)].ljust(len(n.data), b"\0"))
                           for p, n in self.nodes.items()})

    def after_pull(self):
        return Tree(nodes={p: n.holding(n.flushed) for p, n in self.durable.items()})
