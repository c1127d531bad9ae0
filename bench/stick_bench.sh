#!/usr/bin/env bash
# What a user waits for on a real USB stick: the install onto two simulated sticks (tests/media/fuse_medium.py,
# direct_io, so that every read and write reaches the medium and pays its speed).
#   bench/stick_bench.sh [ROUNDS]      (default 5)
#   usb2: a USB 2.0 stick  writes 8 MB/s, reads 30 MB/s, 30 ms a flush     (drive S:)
#   slow: a slow stick     writes 2 MB/s, reads 20 MB/s, 150 ms a flush    (drive T:)
#   none: the simulated medium with no delays, the simulation's own time   (drive U:)
# For each, min / median / max in ms of: RunInstall in-process (install_bench ours), with each file flushed on its own
# (as on NTFS, exFAT, and under Wine, which reports every drive as NTFS) and batched (as on FAT: the root flushed
# twice), and the whole run from Agree/Install to the result message, from outside, by the walk-through driver's
# clock (the five-second minimum included). Never under emulation: the 32-bit build where this host runs 32-bit
# code, else the 64-bit one. Beside each, what the medium itself needs at its rates.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-5}
source scripts/host-kind.sh
arch=win32
[ "$VELLUMINE_RUNS_32BIT" = 1 ] || arch=win64
echo "stick bench: the $arch build"
[ -e /dev/fuse ] && [ "$(id -u)" = 0 ] || { echo "stick bench: needs FUSE (/dev/fuse) and root"; exit 1; }
host_ready
cmake --preset $arch >/dev/null
cmake --build --preset $arch >/dev/null
source scripts/wine-env.sh
models=(usb2 slow none)
declare -A letter=([usb2]=S [slow]=T [none]=U) write=([usb2]=8000000 [slow]=2000000) read=([usb2]=30000000
  [slow]=20000000) delay=([usb2]=0.03 [slow]=0.15) options
for m in usb2 slow; do options[$m]="--write-rate ${write[$m]} --read-rate ${read[$m]} --fsync-delay ${delay[$m]}"; done
unmount() { for m in "${models[@]}"; do umount "$root/build/usb/bench-$m" 2>/dev/null || true; done; }
trap 'unmount; wine_env_stop' EXIT
wine_env_start $arch
unmount
for m in "${models[@]}"; do
  dir=$root/build/usb/bench-$m
  mkdir -p "$dir"
  # shellcheck disable=SC2086
  /usr/bin/python3 tests/media/fuse_medium.py "$dir" --owner "${VELLUMINE_TEST_UID:-65534}" ${options[$m]:-} &
  for _ in $(seq 50); do mountpoint -q "$dir" && break; sleep 0.1; done
  wine_env_map "${letter[$m],,}" "$dir"
done
hand_over "build/$arch"
source bench/stats.sh
declare -A inner whole
for _ in $(seq "$rounds"); do
  for m in "${models[@]}"; do # alternated round by round
    dir=$root/build/usb/bench-$m d=${letter[$m]}
    for way in per-file batched; do
      rm -rf "$dir/Vellumine"
      inner[$m $way]+="$(wine "build/$arch/bench/install_bench.exe" ours "$d:\\Vellumine" 1 $way | tr -d '\r' |
        awk '{print $2}') "
    done
    [ "$m" = none ] && continue
    rm -rf "$dir/Vellumine"
    whole[$m]+="$(wine "build/$arch/e2e_walkthrough.exe" "$d" | tr -d '\r' | awk '/^agree-to-result/ {print $2}') "
  done
done
# What the medium itself needs: every installed byte written and read back at its rates, and its flushes (per
# file: the 32 files and the root; batched: the root twice).
bytes=$(find "$root/build/usb/bench-none/Vellumine" -type f -printf '%s\n' | awk '{s += $1} END {print s}')
echo "$rounds rounds, ms min / median / max; $bytes bytes installed"
for m in "${models[@]}"; do
  for way in per-file batched; do
    floor=""
    [ "$m" = none ] || floor=$(awk -v b="$bytes" -v w="${write[$m]}" -v r="${read[$m]}" -v d="${delay[$m]}" \
      -v n=$([ $way = batched ] && echo 2 || echo 33) 'BEGIN {printf "   the medium needs %.0f", 1000 * (b / w + b / r + n * d)}')
    printf '  %-5s %-8s RunInstall %s%s\n' "$m" "$way" "$(echo "${inner[$m $way]}" | stats)" "$floor"
  done
  [ "$m" = none ] || printf '  %-5s Agree/Install to the result (the exe, per file) %s\n' "$m" "$(echo "${whole[$m]}" | stats)"
done
