#!/usr/bin/env bash
# The whole fault sweep (tests/media/fault_sweep.py): every counted operation of each case failed with each fault,
# shared between two drives and two drivers, each in a 64-bit Wine prefix of its own (two sweeps in one prefix meet
# in its server), as one run each on two processors:
#   tests/media/fault_sweep.sh [BUILD_DIR]        (default build/win64, built when missing)
# Prints one line per failing run and a last line "N passed, M failed". Needs root and /dev/fuse.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build/win64}
cd "$root"
[ -e /dev/fuse ] && [ "$(id -u)" = 0 ] || { echo "fault_sweep: needs root and /dev/fuse"; exit 77; }
[ -f "$build/bench/install_bench.exe" ] || { cmake --preset win64 >/dev/null && cmake --build --preset win64 >/dev/null; }
source scripts/host-kind.sh
host_ready
source scripts/wine-env.sh
second=$root/build/wineprefix64-sweep
trap 'WINEPREFIX=$second wine wineserver -k >/dev/null 2>&1 || true; wine_env_stop' EXIT
wine_env_start win64
hand_over "$build"
rm -rf "$second"
cp -a "$WINEPREFIX" "$second"
out=$(mktemp -d "$root/build/sweep.XXXXXX")
started=$(date +%s)
parts=()
for part in 0 1; do
  drive=$([ $part = 0 ] && echo S || echo T)
  prefix=$([ $part = 0 ] && echo "$WINEPREFIX" || echo "$second")
  WINEPREFIX=$prefix /usr/bin/python3 tests/media/fault_sweep.py "$build" "$build/payload/standins" --part $part/2 \
    --drive $drive "${@:2}" >"$out/$part" 2>&1 &
  parts+=($!)
done
# Only the two parts: a bare wait would also wait for the Xvfb that wine_env_start left running.
wait "${parts[@]}" || true
sort -u <(grep -h " operations$" "$out"/0 "$out"/1)
grep -hv " passed, \| operations$" "$out"/0 "$out"/1 || true
echo "the whole sweep took $(($(date +%s) - started)) s"
awk '/ passed, [0-9]+ failed/ {p += $1; f += $3} END {printf "%d passed, %d failed\n", p, f; exit f > 0 || p == 0}' \
  "$out"/0 "$out"/1 && status=0 || status=1
rm -rf "$out"
exit $status
