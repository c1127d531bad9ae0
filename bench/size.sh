#!/usr/bin/env bash
# The installer's size: the executable, the payload store it carries (the packed streams as the build packed them),
# and the rest, our overhead (to set against NSIS's stub, which bench/run_bench.sh prints as makensis reports it),
# with the sections it is made of.
#   bench/size.sh [--compression] [BUILD_DIR]      (default build/win32, the shipped exe; built when missing)
# --compression: the store packed again with zlib -9 and with zopfli (5 iterations, as the build packs it), with
# their sizes and the time each packing took.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
compression=0
[ "${1:-}" = --compression ] && { compression=1; shift; }
build=${1:-$root/build/win32}
exe=$build/VellumineSetup.exe
[ -f "$exe" ] || (cd "$root" && cmake --preset win32 >/dev/null && cmake --build --preset win32 >/dev/null)
total=$(stat -c %s "$exe")
streams=("$build"/payload/store/*.z)
store=$(cat "${streams[@]}" | wc -c)
printf 'VellumineSetup.exe %d bytes: the store %d bytes (%d streams), the rest %d bytes\n' "$total" "$store" \
  "${#streams[@]}" $((total - store))
i686-w64-mingw32-size -A "$exe" | awk -v store="$store" '$1 ~ /^\./ && $2 > 0 {
  printf "  %-10s %9d%s\n", $1, $2, $1 == ".rsrc" ? "  (" $2 - store " beyond the store)" : $1 == ".bss" ? "  (no bytes in the file)" : "" }'
[ $compression = 1 ] || exit 0
work=$(mktemp -d "$root/build/size.XXXXXX")
trap 'rm -rf "$work"' EXIT
for iterations in 0 5; do
  from=$(date +%s%N)
  mkdir -p "$work/$iterations"
  "$build/tools/packer" --zopfli $iterations "$work/$iterations" "$work/$iterations.rc" "$root/payload" \
    "$build/payload/standins"
  took=$((($(date +%s%N) - from) / 1000000))
  printf '%-22s store %9d bytes, packed in %6d ms\n' "$([ $iterations = 0 ] && echo "zlib -9" || echo "zopfli, $iterations iterations")" \
    "$(cat "$work/$iterations"/*.z | wc -c)" "$took"
done
