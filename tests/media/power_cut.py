#!/usr/bin/python3
"""Power cut at every moment of a recorded install (fuse_medium.py --record), replayed with fat_tree.Tree.

  power_cut.py RECORD FOLDER STANDINS [--pulled OUT] [--cuts OUT] [--second BYTES] [--third BYTES]
               [--flushes FILES ROOT ROOT2]

After every operation of RECORD, both ways the power can go (fat_tree: cut, the lazy writer's worst case; pull,
only what was flushed) must leave each installed name of FOLDER (the manifest's rows in the install folder) either
missing or whole: the file the build packed (payload/ or STANDINS), the settings file with a language recorded.
Temporary files may be left. With --pulled, writes the tree pulled after the last operation into OUT, files with
their modes and user.DOSATTRIB, for check_install.sh. With --cuts, writes the trees cut at three moments into
OUT/1, OUT/2 and OUT/3, for installing again: the middle of the dictionary in the first install, just after a
rename, and while the settings file is written, both in the install that begins at byte --second of RECORD; and
into OUT/4 in the middle of putting the earlier files back, in a failed install that begins at byte --third. With
--flushes, each of the two installs before --third must have flushed FILES files, and the root folder ROOT times
the first (a fresh install) and ROOT2 times the second (a reinstall, whose earlier files go after one more).
Prints one line per finding and a summary; exits 1 on any torn file.
"""
import argparse
import os
import pickle
import re
import shutil
import stat
import sys

from fat_tree import Tree

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))


def whole_files(folder, standins):
    """Every installed name of the folder and the contents it may hold whole."""
    whole = {}
    with open(os.path.join(ROOT, "src/install/manifest.def")) as f:
        for line in f:
            m = re.match(r'MANIFEST_ROW\((\d+), InFolder, "([^"]+)"', line)
            if not m:
                continue
            name = m.group(2)
            source = os.path.join(ROOT, "payload", name)
            with open(source if os.path.exists(source) else os.path.join(standins, name), "rb") as g:
                data = g.read()
            languages = range(3) if m.group(1) == "120" else []
            whole[folder + "/" + name] = [data] if not languages else \
                [data + b"\r\n[Config]\r\nUILanguage=%d\r\n\r\n" % code for code in languages]
    return whole


def records(path):
    with open(path, "rb") as f:
        while True:
            at = f.tell()
            try:
                operation, arguments = pickle.load(f)
            except EOFError:
                return
            yield at, operation, arguments


def save(tree, out):
    """Writes tree into the folder out: files, folders, modes and extended attributes."""
    shutil.rmtree(out, ignore_errors=True)
    for path in sorted(tree.nodes):
        n, target = tree.nodes[path], out + path
        if stat.S_ISDIR(n.mode):
            os.makedirs(target, exist_ok=True)
        else:
            with open(target, "wb") as f:
                f.write(n.data)
        for name, value in n.xattrs.items():
            os.setxattr(target, name, value)
        os.chown(target, n.uid, n.gid)
    for path in sorted(tree.nodes, reverse=True):
        os.chmod(out + path, stat.S_IMODE(tree.nodes[path].mode))


def whole_or_missing(data, contents):
    return data is None or bytes(data) in contents


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("record")
    parser.add_argument("folder")
    parser.add_argument("standins")
    parser.add_argument("--pulled")
    parser.add_argument("--cuts")
    parser.add_argument("--second", type=int, default=0)
    parser.add_argument("--third", type=int)
    parser.add_argument("--flushes", type=int, nargs=3)
    args = parser.parse_args()
    whole = whole_files(args.folder, args.standins)
    sizes = {len(c) for contents in whole.values() for c in contents}
    tree = Tree()
    moments = failures = 0
    judged = {}  # path -> the state it was last judged in
    cuts = {}
    flushes = [[0, 0], [0, 0], [0, 0]]  # of files and of the root, in each install
    third = args.third if args.third is not None else float("inf")
    for at, operation, arguments in records(args.record):
        install = 2 if at >= third else 1 if at >= args.second else 0
        if operation == "sync" and (arguments[0] == "/" or stat.S_ISREG(tree.nodes[arguments[0]].mode)):
            flushes[install][arguments[0] == "/"] += 1
        getattr(tree, operation)(*arguments)
        moments += 1
        for path, contents in whole.items():
            n, kept = tree.nodes.get(path), tree.durable.get(path)
            state = (id(n), n and id(n.flushed), n and len(n.data), id(kept))
            if judged.get(path) == state:
                continue
            judged[path] = state
            cut = n and (n.flushed[:len(n.data)].ljust(len(n.data), b"\0") if len(n.data) in sizes else b"?")
            if not whole_or_missing(cut, contents) or not whole_or_missing(kept and kept.data, contents):
                failures += 1
                print("torn: %s after operation %d (%s %s)" % (path, moments, operation, arguments[0]))
        name = os.path.basename(arguments[0]) if arguments and isinstance(arguments[0], str) else ""
        first, second = install == 0, install == 1
        if first and operation == "write" and name.startswith("cedict_ts.u8") and arguments[1] >= 1 << 20:
            cuts.setdefault(1, (moments, tree.after_cut()))
        if second and operation == "rename" and args.second:
            cuts.setdefault(2, (moments, tree.after_cut()))
        if second and operation == "write" and name.startswith("QuorbixUI.ini") and args.second:
            cuts.setdefault(3, (moments, tree.after_cut()))
        if install == 2 and operation == "rename" and arguments[0].endswith(".vel-old") and \
                not arguments[1].endswith(".vel-old"):  # an earlier file put back; the power goes before the rest
            cuts.setdefault(4, (moments, tree.after_cut()))
    print("%d operations, each cut and pulled: %s" % (moments, "%d torn" % failures if failures else "nothing torn"))
    print("flushes of files and of the root: %s" % ", then ".join("%d and %d" % tuple(f) for f in flushes))
    files, first, second = args.flushes or (0, 0, 0)
    if args.flushes and flushes[:2] != [[files, first], [files, second]]:
        print("FAILED: the installs should flush %d files each, and the root %d and %d times" % tuple(args.flushes))
        failures += 1
    if args.pulled:
        save(tree.after_pull(), args.pulled)
    if args.cuts:
        for k, (moment, survivor) in sorted(cuts.items()):
            save(survivor, os.path.join(args.cuts, str(k)))
            print("cut %d: after operation %d" % (k, moment))
    sys.exit(1 if failures or moments == 0 else 0)


if __name__ == "__main__":
    main()
