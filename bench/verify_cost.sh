#!/usr/bin/env bash
# What the verified install costs: flushing every file to the medium and reading every file back past the cache.
#   bench/verify_cost.sh [ROUNDS] [OLD_INSTALL_BENCH]      (default 15 rounds)
# Runs on either kind of host (the 64-bit build where 32-bit programs do not run), on drive K: mapped to
# build/usb/bench (ext4 here) and, where FUSE can be mounted, on drive N: an honest FUSE medium
# (tests/media/fuse_medium.py, direct_io: every read reaches it). Prints min / median / max in ms of:
#   ours      RunInstall in-process (pre-flight, writes with flushes, read-back), and wall with the process
#   readback  the read-back alone, over the installed files
#   flush     the 32 files written plainly without and with FlushFileBuffers
# With OLD_INSTALL_BENCH, an install_bench.exe built from a tree before the verified install (for example
# `git worktree add /tmp/old 7934c67`, then a build of its install_bench), that one's RunInstall is timed too.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-15}
old=${2:-}
source scripts/host-kind.sh
arch=win32
[ "$VELLUMINE_RUNS_32BIT" = 1 ] || arch=win64
host_ready
cmake --preset $arch >/dev/null
cmake --build --preset $arch --target install_bench >/dev/null
source scripts/wine-env.sh
media=$root/build/usb/bench-fuse
trap 'umount "$media" 2>/dev/null || true; wine_env_stop' EXIT
wine_env_start $arch
work=$root/build/usb/bench
mkdir -p "$work" "$media"
drives=("K:$work")
if [ -e /dev/fuse ] && [ "$(id -u)" = 0 ]; then
  umount "$media" 2>/dev/null || true
  /usr/bin/python3 tests/media/fuse_medium.py "$media" --owner "${VELLUMINE_TEST_UID:-65534}" --capacity $((256 << 20)) &
  for _ in $(seq 50); do mountpoint -q "$media" && break; sleep 0.1; done
  drives+=("N:$media")
fi
hand_over "$work" "build/$arch/bench"
bin=build/$arch/bench/install_bench.exe
[ -z "$old" ] || { cp "$old" "build/$arch/bench/old_install_bench.exe"; hand_over "build/$arch/bench"; }
source bench/stats.sh
ns() { date +%s%N; }
for d in "${drives[@]}"; do
  letter=${d%%:*} dir=${d#*:}
  wine_env_map "${letter,,}" "$dir"
  declare -A got=()
  for _ in $(seq "$rounds"); do
    rm -rf "$dir/Vellumine" "$dir/Plain"
    t0=$(ns)
    line=$(wine "$bin" ours "$letter:\\Vellumine" | tr -d '\r') || { echo "the install on $letter: failed"; exit 1; }
    t1=$(ns)
    got[ours]+="$(echo "$line" | awk '{print $2}') "
    got[ours_wall]+="$(((t1 - t0) / 1000000)) "
    got[readback]+="$(wine "$bin" readback "$letter:\\Vellumine" | tr -d '\r' | awk '{print $2}') "
    line=$(wine "$bin" flush "$letter:\\Plain" | tr -d '\r')
    got[write]+="$(echo "$line" | awk '{print $2}') "
    got[write_flush]+="$(echo "$line" | awk '{print $5}') "
    if [ -n "$old" ]; then
      rm -rf "$dir/Vellumine"
      t0=$(ns)
      line=$(wine "build/$arch/bench/old_install_bench.exe" ours "$letter:\\Vellumine" | tr -d '\r')
      t1=$(ns)
      got[old]+="$(echo "$line" | awk '{print $2}') "
      got[old_wall]+="$(((t1 - t0) / 1000000)) "
    fi
  done
  echo "drive $letter: ($dir), $rounds rounds, ms min / median / max"
  for k in ours ours_wall old old_wall readback write write_flush; do
    [ -n "${got[$k]:-}" ] && printf '  %-12s %s\n' "$k" "$(echo "${got[$k]}" | stats)"
  done
  unset got
done
