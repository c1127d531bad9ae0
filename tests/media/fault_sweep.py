#!/usr/bin/python3
"""Every operation of the install fails once, in turn, and each install must end truthfully with the drive whole.

  fault_sweep.py BUILD_DIR STANDIN_DIR [--sample] [--case NAME...] [--fault NAME...] [--only N...]
                 [--part K/M] [--drive LETTER] [--verbose] [--trace]

The medium (fuse_medium.Medium, kept in memory and mounted as drive S:, or --drive, of the current Wine prefix) counts the
operations that come in the same order every run, the changes and the opens, and fails the N-th: for each case, for
each counted operation N and each fault, one install runs in-process under Wine (BUILD_DIR/bench/install_bench.exe
serve, RunInstall without the wizard's five seconds), each from the same drive:
  cases   fresh-per-file, fresh-batched: an empty drive; over-per-file, over-batched: over an earlier install in
          another language whose every file has other bytes and other read-only and hidden bits
  faults  eio, enospc, eacces: that operation fails once; pulled: it and every operation after it fail with EIO;
          gone: the same with ENOENT, as Windows reports a device that has gone
After each install:
  - success only with the whole tree: bytes, read-only and hidden bits, the language, no other name;
  - a failure with the drive as the install found it, every earlier file's bytes and bits included; pulled, each
    installed name holding an earlier or a new file whole (or nothing, its earlier file whole aside);
  - the message true: never "in use" or "folder in the way" (nothing holds a file), never the counterfeit message
    (no byte is changed), a file named as left over only where it is left and never on a drive that has gone,
    "drive gone" only where it has;
  - then a clean install on the same medium succeeds, with nothing left over.
--sample runs a few N: each kind of operation once across the cases (every case at least once), with the four faults
in turn, after placing began where it comes there (so that the putting back runs); --part K/M runs every M-th N from
the K-th (0-based), of the case or of those --only names, so that M sweeps on M drives share the work
(tests/media/fault_sweep.sh). Prints one line per failing run (case, N, operation, path, fault, what was wrong), each
run's time with --verbose, and a last line "N passed, M failed". Needs root, /dev/fuse and WINEPREFIX; exits 77 where
it cannot run.
"""
import argparse
import copy
import errno
import os
import re
import shutil
import subprocess
import sys
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
import fuse_medium  # noqa: E402
from power_cut import whole_files  # noqa: E402

ROOT = os.path.dirname(os.path.dirname(HERE))
FOLDER = "/Vellumine"
CASES = ["fresh-per-file", "fresh-batched", "over-per-file", "over-batched"]
FAULTS = {"eio": (errno.EIO, False), "enospc": (errno.ENOSPC, False), "eacces": (errno.EACCES, False),
          "pulled": (errno.EIO, True), "gone": (errno.ENOENT, True)}
# How long the kernel keeps what it learnt of a file's attributes: a reset of the medium waits it out, since the
# medium changes then behind the kernel's back (every attribute asked anew makes an install more than twice as long).
# Names are asked anew each time: the medium removes a name whose deletion was pending at its last close, also behind
# the kernel's back, and a name the kernel still believed in made a rename onto it fail ("already exists") with no
# file there.
Cached = 0.2
RESULTS = {"0": "failed", "1": "success", "2": "unverified", "3": "in use", "4": "folder in the way",
           "5": "left over", "6": "no room", "7": "damaged", "8": "write-protected", "9": "drive gone",
           "folder": "folder not made"}


def flags():
    """Each installed file's read-only and hidden flags, from the manifest."""
    out = {}
    with open(os.path.join(ROOT, "src/install/manifest.def")) as f:
        for line in f:
            m = re.match(r'MANIFEST_ROW\(\d+, InFolder, "([^"]+)", ([01]), ([01])', line)
            if m:
                out[FOLDER + "/" + m.group(1)] = (m.group(2) == "1", m.group(3) == "1")
    return out


def hidden(n):
    value = n.xattrs.get("user.DOSATTRIB", b"0").split(b"\0")[0] or b"0"
    return bool(int(value, 16) & 2)


def state(tree):
    """What a user sees of the drive: each file's bytes, read-only and hidden bits; each folder."""
    return {p: ("folder",) if n.mode & 0o40000 else (bytes(n.data), not n.mode & 0o222, hidden(n))
            for p, n in tree.nodes.items()}


class Sweep:
    def __init__(self, args):
        self.args = args
        self.whole = whole_files(FOLDER, args.standins)
        self.flags = flags()
        self.drive = args.drive.upper()
        self.mount = os.path.join(os.path.dirname(os.environ["VELLUMINE_USB"]), "sweep-" + self.drive)
        subprocess.run(["umount", "-l", self.mount], stderr=subprocess.DEVNULL)
        if os.path.ismount(self.mount):
            sys.exit("fault_sweep: %s is still mounted" % self.mount)
        shutil.rmtree(self.mount, ignore_errors=True)  # what an interrupted sweep left beneath its medium
        os.makedirs(self.mount)
        medium_args = fuse_medium.arguments([self.mount, "--owner", os.environ.get("VELLUMINE_TEST_UID", "65534")])
        self.medium = fuse_medium.Medium(medium_args)
        self.bases = {}
        self.driver = None
        self.passed = self.failed = 0
        self.sampled, self.turn = set(), 0  # the kinds of operation the sample has failed, and how many runs

    # -- the medium and the driver
    def reset(self, tree):
        m = self.medium
        with m.mutex:
            m.tree = copy.deepcopy(tree)
            m.nodes = m.tree.nodes
            m.handles.clear()
            for n in m.nodes.values():
                n.opens, n.pending = 0, None
        time.sleep(Cached * 1.5)

    def start_driver(self):
        arch = os.environ.get("VELLUMINE_WINE_ARCH", "win64")
        program = os.path.join(self.args.build, "bench", "install_bench.exe")
        self.driver = subprocess.Popen([os.path.join(ROOT, "scripts/wine-run.sh"), arch, program, "serve"],
                                       stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)

    def install(self, language, way):
        """One install by the driver; its result, named file, and whether it answered in time."""
        if self.driver is None or self.driver.poll() is not None:
            self.start_driver()
        self.driver.stdin.write("%s:\\Vellumine %d %s\n" % (self.drive, language, way))
        self.driver.stdin.flush()
        answer = []
        reader = threading.Thread(target=lambda: answer.append(self.driver.stdout.readline()))
        reader.start()
        reader.join(120)
        if not answer or not answer[0].startswith("result "):
            self.driver.kill()
            self.driver.wait()
            self.driver = None
            return None, "", "no answer (a hang or a crash)"
        words = answer[0].split(" ", 5)
        return words[1], words[5].strip() if len(words) > 5 else "", None

    def seen(self):
        """The drive now, read while nothing changes it (a close that Wine sends after an install can still remove a
        name whose deletion was pending)."""
        with self.medium.mutex:
            return state(self.medium.tree)

    # -- what the drive should hold
    def expected(self, language):
        out = {"/": ("folder",), FOLDER: ("folder",)}
        for path, contents in self.whole.items():
            data = contents[language] if len(contents) > 1 else contents[0]
            out[path] = (data,) + self.flags[path]
        return out

    def base(self, case):
        """The drive as each case finds it: empty, or an earlier install made different in every file."""
        if case.startswith("fresh"):
            return fuse_medium.Tree(self.medium.args.owner)
        if "over" not in self.bases:
            self.reset(fuse_medium.Tree(self.medium.args.owner))
            result, _, trouble = self.install(0, "per-file")
            if result != "1":
                sys.exit("fault_sweep: the earlier install failed: %s" % (trouble or RESULTS.get(result, result)))
            tree = copy.deepcopy(self.medium.tree)
            for path, (read_only, hide) in self.flags.items():
                n = tree.nodes[path]
                n.data = bytearray(b"earlier " + path.encode())
                n.flushed = bytes(n.data)
                # every file's bits other: read-only and hidden where the install gives less, else read-only alone
                # (Wine keeps read-only as the write bits, and hidden in user.DOSATTRIB)
                n.mode &= ~0o222
                n.xattrs.pop("user.DOSATTRIB", None)
                if not (read_only and hide):
                    n.xattrs["user.DOSATTRIB"] = b"0x2"
            self.bases["over"] = tree
        return self.bases["over"]

    # -- one run
    def judge(self, case, before, result, named, trouble, pulled):
        """What was wrong with a run, or None."""
        if trouble:
            return trouble
        now = self.seen()
        if result == "1":
            want = self.expected(self.language(case))
            if pulled:  # the stick pulled once the install was on it: what it set aside stays for the next install
                now = {p: v for p, v in now.items() if not p.endswith((".vel-old", ".vel~"))}
            if now != want:
                return "success without the whole tree: %s" % difference(now, want)
            return None
        if result not in (("0", "9", "folder") if pulled else ("0", "5", "folder")):
            return "the message says %s" % RESULTS.get(result, result)
        if result == "5" and not self.medium.nodes.get(named_path(named)):
            return "names %s as left over, which is not there" % named
        if pulled:
            return self.torn(before, now)
        if now != before:
            return "failed, but the drive is not as it was: %s" % difference(now, before)
        return None

    def torn(self, before, now):
        """Pulled: each installed name holds an earlier or a new file whole, or nothing with its earlier file aside."""
        for path, contents in self.whole.items():
            earlier = before.get(path)
            allowed = set(contents) | ({earlier[0]} if earlier else set())
            held = now.get(path)
            aside = now.get(path + ".vel-old")
            if held is None and earlier and (aside is None or aside[0] != earlier[0]):
                return "pulled: %s is gone, and its earlier file is not aside whole" % path
            if held is not None and held[0] not in allowed:
                return "pulled: %s holds a torn file" % path
        return None

    def language(self, case):
        return 1 if case.startswith("fresh") else 2

    def run(self, case, n, fault):
        way = "batched" if case.endswith("batched") else "per-file"
        base = self.base(case)
        before = state(base)
        self.reset(base)
        code, lasting = FAULTS[fault]
        self.medium.trace = []
        self.medium.arm(n, code, lasting)
        started = time.time()
        result, named, trouble = self.install(self.language(case), way)
        faulted = time.time() - started
        self.medium.disarm()
        operation = self.medium.trace[n - 1] if len(self.medium.trace) >= n else ("(none)", "")
        self.medium.trace = None
        wrong = self.judge(case, before, result, named, trouble, lasting)
        ended = RESULTS.get(result, result)
        if not wrong:  # then a clean install on what is left, traced for what went wrong
            left = self.seen()
            self.medium.trace = []
            self.medium.arm(1 << 30, errno.EIO, False)
            result, named, trouble = self.install(self.language(case), way)
            self.medium.disarm()
            clean, self.medium.trace = self.medium.trace, None
            wrong = trouble or (None if result == "1" else "the clean install after it: %s%s, on %s; its last operations %s" %
                                (RESULTS.get(result, result), " (" + named + ")" if named else "",
                                 describe_tree(left), clean[-6:]))
            if not wrong and self.seen() != self.expected(self.language(case)):
                wrong = "the clean install after it left %s" % difference(self.seen(),
                                                                       self.expected(self.language(case)))
        took = time.time() - started
        if wrong:
            self.failed += 1
            print("%s %d %s %s %s: %s" % (case, n, operation[0], operation[1], fault, wrong), flush=True)
        else:
            self.passed += 1
        if self.args.verbose:
            print("  %s %d %s %s %s: %s in %.2f s (%.2f s the faulted install)" %
                  (case, n, operation[0], operation[1], fault, ended, took, faulted), flush=True)

    def trace(self, case):
        """The operations that a case counts, run without a fault."""
        way = "batched" if case.endswith("batched") else "per-file"
        self.reset(self.base(case))
        self.medium.trace = []
        self.medium.arm(1 << 30, errno.EIO, False)
        result, _, trouble = self.install(self.language(case), way)
        self.medium.disarm()
        trace, self.medium.trace = self.medium.trace, None
        if result != "1":
            sys.exit("fault_sweep: %s does not succeed without a fault: %s" % (case, trouble or result))
        return trace

    def sweep(self):
        for _ in range(100):
            if os.path.ismount(self.mount):
                break
            time.sleep(0.1)
        else:
            print("fault_sweep: the medium did not mount at %s" % self.mount, flush=True)
            self.failed += 1
            return
        try:
            for case in self.args.case or CASES:
                trace = self.trace(case)
                print("%s: %d operations" % (case, len(trace)), flush=True)
                if self.args.trace:
                    for n, (operation, path) in enumerate(trace, 1):
                        print("  %d %s %s" % (n, operation, path))
                for n, fault in self.plan(trace):
                    self.run(case, n, fault)
        finally:
            if self.driver:
                self.driver.stdin.close()
                self.driver.wait()
            subprocess.run(["umount", self.mount])

    def plan(self, trace):
        faults = self.args.fault or list(FAULTS)
        part, parts = map(int, self.args.part.split("/"))
        if self.args.only:
            return [(n, f) for n in self.args.only[part::parts] for f in faults]
        if not self.args.sample:
            return [(n, f) for n in range(1 + part, len(trace) + 1, parts) for f in faults]
        # Each kind of operation once across the cases (every case at least once), at its first place after placing
        # began where it comes there, so that the putting back runs; the faults in turn.
        placing = next((i for i, (op, path) in enumerate(trace) if op == "rename" and path.endswith(".vel~")), 0)
        chosen = []
        for op in dict.fromkeys(o for o, _ in trace):
            if op in self.sampled and (chosen or op != "rename"):
                continue
            self.sampled.add(op)
            later = [i for i, (o, _) in enumerate(trace) if o == op and i >= placing]
            first = later[0] if later else next(i for i, (o, _) in enumerate(trace) if o == op)
            chosen.append((first + 1, faults[self.turn % len(faults)]))
            self.turn += 1
        return chosen


def named_path(named):
    """A Windows path on the sweep's drive as the medium's path."""
    return named[2:].replace("\\", "/") if named[1:2] == ":" else named


def describe_tree(seen):
    return ", ".join("%s%s" % (p, "" if v == ("folder",) else " %d%s%s" % (len(v[0]), " ro" if v[1] else "",
                                                                       " h" if v[2] else ""))
                     for p, v in sorted(seen.items()) if p != "/")


def difference(now, want):
    for path in sorted(set(now) | set(want)):
        if now.get(path) != want.get(path):
            a, b = now.get(path), want.get(path)
            describe = lambda s: "nothing" if s is None else "a folder" if s == ("folder",) else \
                "%d bytes%s%s" % (len(s[0]), ", read-only" if s[1] else "", ", hidden" if s[2] else "")
            same = a and b and a[0] == b[0] and a != ("folder",)
            return "%s holds %s%s where it should hold %s" % (path, describe(a), " (the same bytes)" if same else "",
                                                             describe(b))
    return "nothing"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build")
    parser.add_argument("standins")
    parser.add_argument("--sample", action="store_true")
    parser.add_argument("--case", nargs="*", choices=CASES)
    parser.add_argument("--fault", nargs="*", choices=list(FAULTS))
    parser.add_argument("--only", nargs="*", type=int)
    parser.add_argument("--part", default="0/1")
    parser.add_argument("--drive", default="S")
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--trace", action="store_true")
    args = parser.parse_args()
    if not (os.path.exists("/dev/fuse") and os.getuid() == 0 and os.environ.get("WINEPREFIX")):
        print("skipped: needs FUSE, root and Wine")
        sys.exit(77)
    sweep = Sweep(args)
    link = os.path.join(os.environ["WINEPREFIX"], "dosdevices", sweep.drive.lower() + ":")
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(sweep.mount, link)
    started = time.time()
    worker = threading.Thread(target=sweep.sweep, daemon=True)
    # The medium is served on this thread (FUSE wants the main one); the sweep runs beside it and unmounts it. Where
    # the medium ends first (the sweep interrupted), the driver goes with it.
    worker.start()
    fuse_medium.mount(sweep.medium, sweep.mount, attr_timeout=Cached, entry_timeout=0, negative_timeout=0)
    worker.join(5)
    if worker.is_alive():
        if sweep.driver:
            sweep.driver.kill()
        sys.exit("fault_sweep: interrupted")
    print("%d passed, %d failed (%.0f s)" % (sweep.passed, sweep.failed, time.time() - started))
    sys.exit(1 if sweep.failed or not sweep.passed else 0)


if __name__ == "__main__":
    main()
