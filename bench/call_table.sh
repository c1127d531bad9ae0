#!/usr/bin/env bash
# Where the install's time and memory go: its system calls counted by kind and phase (bench/call_count.cpp), each
# phase's time and the working set at its end, for a fresh install and a reinstall, each way of flushing.
#   bench/call_table.sh [ROUNDS] [OTHER_INSTALL_BENCH.exe ...]      (default 9 rounds)
# Runs `install_bench ours` on drive K: (a folder of this checkout) with VELLUMINE_COUNT_CALLS set; a reinstall is
# a second run over the first, counted; `install_bench limit-safe` is counted too (its calls all in the first
# phase). The counts are the same every round; times and memory are medians. VELLUMINE_CALL_DETAIL=1 names each
# function instead of its kind. Each OTHER is an install_bench.exe built from another commit with
# bench/call_count.cpp linked in (a worktree, its bench/CMakeLists.txt given the file), raced round by round against
# ours. Never under emulation, as run_bench.sh.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-9}
shift || true
source scripts/host-kind.sh
if [ "$VELLUMINE_RUNS_32BIT" = 1 ]; then arch=win32; else arch=win64; fi
host_ready
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target install_bench >/dev/null
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start $arch
work=$root/build/bench/calls
mkdir -p "$work/usb"
wine_env_map k "$work/usb"
benches=("$root/build/$arch/bench/install_bench.exe" "$@")
for i in "${!benches[@]}"; do cp "${benches[$i]}" "$work/bench$i.exe"; done
hand_over "$work"
wine "$work/bench0.exe" empty >/dev/null # warm
for r in $(seq "$rounds"); do
  for i in "${!benches[@]}"; do
    wine "$work/bench$i.exe" resident | tr -d '\r' | sed "s/^/$i - - /" >>"$work/round$r"
    rm -rf "$work/usb/Vellumine"
    VELLUMINE_COUNT_CALLS=1 wine "$work/bench$i.exe" limit-safe 'K:\Vellumine' | tr -d '\r' |
      sed "s/^/$i limit-safe fresh /" >>"$work/round$r"
    for way in per-file batched; do
      rm -rf "$work/usb/Vellumine"
      VELLUMINE_COUNT_CALLS=1 wine "$work/bench$i.exe" ours 'K:\Vellumine' 1 "$way" | tr -d '\r' |
        sed "s/^/$i $way fresh /" >>"$work/round$r"
      VELLUMINE_COUNT_CALLS=1 wine "$work/bench$i.exe" ours 'K:\Vellumine' 2 "$way" | tr -d '\r' |
        sed "s/^/$i $way reinstall /" >>"$work/round$r"
    done
  done
done
echo "call table: $arch, $rounds rounds; 0 = this build${*:+, then $*}"
cat "$work"/round* | python3 -c '
import collections, os, statistics, sys
detail = os.environ.get("VELLUMINE_CALL_DETAIL")
counts, times, sets, resident, inside = {}, *(collections.defaultdict(list) for _ in range(4))
for line in sys.stdin:
    bench, way, run, what, *rest = line.split()
    key = (bench, way, run)
    if what == "calls":
        phase, n, ms, function, *kind = rest
        kind = function if detail else " ".join(kind)
        counts[key + (kind, function, phase)] = int(n) # the same every round
        inside[key + (kind, phase)].append(float(ms))
    elif what == "phase":
        phase, ms, ws, peak = rest
        times[key + (phase,)].append(float(ms))
        sets[key + (phase,)].append(int(peak))
    elif what == "resident":
        resident[bench].append(int(rest[2]))
    elif what in ("ours", "limit-safe"):
        times[key + ("RunInstall",)].append(float(rest[0]))
        sets[key + ("RunInstall",)] += [int(rest[3])] if len(rest) > 3 else []
for key in sorted({k[:3] for k in times}):
    base = statistics.median(resident[key[0]])
    print("\n%s %s %s (peak: the working set above the same program with its store read)" % key)
    for phase in ["pre-flight", "rows", "placing", "read-back", "settling", "RunInstall"]:
        if key + (phase,) in times:
            calls = collections.Counter()
            for (b, w, r, kind, function, p), n in counts.items():
                if (b, w, r) == key and p == phase:
                    calls[kind] += n
            rounds = len(times[key + (phase,)])
            calls = sorted((kind, n, sum(inside[key + (kind, phase)]) / rounds) for kind, n in calls.items())
            print("  %-11s %7.1f ms  peak %5.2f MB  %s" % (phase, statistics.median(times[key + (phase,)]),
                  (statistics.median(sets[key + (phase,)] or [base]) - base) / 1e6, ", ".join("%s %d (%.1f)" % c for c in calls)))
'
rm -f "$work"/round*
