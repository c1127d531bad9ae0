#!/usr/bin/env bash
# The benchmarks of bench/README.md, under Wine on this machine:
#   bench/run_bench.sh [ROUNDS]        (default 15)       bench/run_bench.sh --pairing   (the pairing line alone)
# Install work: our install sequence against NSIS (zlib, /SOLID lzma) and three limits, on drive K: mapped to
# build/usb/bench: uncompress + CopyFileA; the fair limit for a verified install (uncompress, write, flush and an
# unbuffered read-back of every file); and the same with what a power cut at any moment needs (a temporary name and
# a written-through rename a file, the root folder flushed at the end), the limit our goal is held against;
# start-up: process creation to a painted first window, ours against NSIS.
# Like for like and never under emulation: where this host runs 32-bit code, our shipped 32-bit build against
# NSIS's x86-ansi stubs; elsewhere our 64-bit build against NSIS's amd64-unicode stubs, under Wine's 64-bit loader.
# Contenders alternate run by run. Prints min/median/max per contender and the ratios of medians.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
rounds=${1:-15}
source scripts/host-kind.sh
if [ "$VELLUMINE_RUNS_32BIT" = 1 ]; then arch=win32 target=x86-ansi; else arch=win64 target=amd64-unicode; fi
echo "bench: our $arch build against NSIS 3.08 $target${VELLUMINE_NO_32BIT_WHY:+ ($VELLUMINE_NO_32BIT_WHY)}"
[ "$rounds" = --pairing ] && exit 0
host_ready
dpkg-query -W nsis >/dev/null 2>&1 || apt-get install -y -qq nsis >/dev/null
cmake --preset $arch >/dev/null
cmake --build --preset $arch >/dev/null
source scripts/wine-env.sh
trap wine_env_stop EXIT
wine_env_start $arch
work=$root/build/bench
bin=$root/build/$arch/bench
mkdir -p "$work/usb" "$work/nsis" "$work/payload"
hand_over "$work" "$root/build/$arch"
wine_env_map k "$work/usb"
cp "$root"/payload/* "$root"/build/$arch/payload/standins/* "$work/payload/" 2>/dev/null || true
bash bench/make_nsis.sh "$root/payload" "$root/build/$arch/payload/standins" "$work/nsis" "$target"
for n in nsis_zlib nsis_lzma nsis_empty; do
  makensis -V2 "$work/nsis/$n.nsi" >"$work/nsis/$n.log"
done
grep -h "EXE header size" "$work/nsis/nsis_zlib.log" || makensis -V4 "$work/nsis/nsis_zlib.nsi" | grep "EXE header size"
wine "$bin/install_bench.exe" empty >/dev/null # warm

ns() { date +%s%N; }
declare -A wall inner
run() { # name, command...
  local name=$1; shift
  rm -rf "$work/usb/Vellumine"
  local t0 t1 out
  t0=$(ns)
  out=$("$@" 2>/dev/null | tr -d '\r' || true)
  t1=$(ns)
  wall[$name]+="$(( (t1 - t0) / 1000 )) "
  local ms
  ms=$(echo "$out" | awk '{print $2}' | head -1)
  [ -n "$ms" ] && inner[$name]+="$ms "
  [ "$name" = ours ] && echo "$out" | awk '{print $5}' >>"$work/peak_ws"
  [ "$name" = empty_ours ] && echo "$out" | awk '{print $5}' >>"$work/peak_ws_empty"
  [ "$name" = resident ] && echo "$out" | awk '{print $4}' >>"$work/peak_ws_resident"
  return 0
}
rm -f "$work/peak_ws" "$work/peak_ws_empty" "$work/peak_ws_resident"
payload_win="Z:$(echo "$work/payload" | tr / '\\')"
for r in $(seq "$rounds"); do
  run ours wine "$bin/install_bench.exe" ours 'K:\Vellumine'
  run nsis_zlib wine "$work/nsis/nsis_zlib.exe" /S '/D=K:\Vellumine'
  run inflate wine "$bin/install_bench.exe" inflate
  run nsis_lzma wine "$work/nsis/nsis_lzma.exe" /S '/D=K:\Vellumine'
  run copy wine "$bin/install_bench.exe" copy "$payload_win" 'K:\Vellumine'
  run limit wine "$bin/install_bench.exe" limit 'K:\Vellumine'
  run limit_safe wine "$bin/install_bench.exe" limit-safe 'K:\Vellumine'
  run empty_ours wine "$bin/install_bench.exe" empty
  run resident wine "$bin/install_bench.exe" resident
  run empty_nsis wine "$work/nsis/nsis_empty.exe" /S '/D=K:\Vellumine'
  run startup_ours wine "$bin/startup_bench.exe" "$root/build/$arch/VellumineSetup.exe" "Vellumine Installer"
  run startup_nsis wine "$bin/startup_bench.exe" "$work/nsis/nsis_zlib.exe" "Vellumine Setup: Installation Folder"
done

source bench/stats.sh
median() { echo "$1" | awk '{print $3}'; }
echo
echo "rounds: $rounds; wall times in ms (wine process included), min / median / max"
for k in ours nsis_zlib nsis_lzma inflate copy empty_ours empty_nsis; do
  s=$(echo "${wall[$k]}" | awk '{for(i=1;i<=NF;i++) printf "%.3f ", $i/1000}' | stats)
  printf '  %-11s %s\n' "$k" "$s"
  eval "w_$k=\"$s\""
done
for k in ours inflate copy limit limit_safe startup_ours startup_nsis; do
  s=$(echo "${inner[$k]}" | stats)
  printf '  %-13s in-process (QueryPerformanceCounter) %s\n' "$k" "$s"
  eval "i_$k=\"$s\""
done
mo=$(median "$w_ours"); mz=$(median "$w_nsis_zlib"); ml=$(median "$w_nsis_lzma"); eo=$(median "$w_empty_ours"); en=$(median "$w_empty_nsis")
io=$(median "$i_ours"); ii=$(median "$i_inflate"); ic=$(median "$i_copy"); il=$(median "$i_limit")
is=$(median "$i_limit_safe")
awk -v mo="$mo" -v mz="$mz" -v ml="$ml" -v eo="$eo" -v en="$en" -v io="$io" -v ii="$ii" -v ic="$ic" -v il="$il" \
  -v is="$is" 'BEGIN {
  printf "work (wall - empty process): ours %.1f, NSIS zlib %.1f, NSIS lzma %.1f ms\n", mo-eo, mz-en, ml-en
  printf "ours / NSIS zlib work:            %.2f (goal <= 1.0)\n", (mo-eo)/(mz-en)
  printf "ours / NSIS lzma work:            %.2f\n", (mo-eo)/(ml-en)
  printf "ours in-process / (inflate+copy): %.2f\n", io/(ii+ic)
  printf "ours in-process / fair limit:     %.2f (without the power-cut promises)\n", io/il
  printf "ours in-process / safe limit:     %.2f (goal <= 1.1; the fair limit with the same promises)\n", io/is
}'
so=$(median "$i_startup_ours"); sn=$(median "$i_startup_nsis")
awk -v so="$so" -v sn="$sn" 'BEGIN { printf "start-up ours / NSIS:             %.2f (goal <= 0.75)\n", so/sn }'
peak=$(sort -n "$work/peak_ws" | tail -1) base=$(sort -n "$work/peak_ws_empty" | tail -1)
resident=$(sort -n "$work/peak_ws_resident" | tail -1)
echo "peak working set of our install: $peak bytes; of the same program doing nothing: $base bytes, with its store"
echo "  read once: $resident bytes; the install's own share: $((peak - resident)) bytes (goal <= 4.5 MB); above the"
echo "  program doing nothing: $((peak - base)) bytes (the store's 2.5 MB in it or not, as Wine loads the image)"
