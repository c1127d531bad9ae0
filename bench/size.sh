#!/usr/bin/env bash
# The installer's size: the executable, the payload store it carries (the packed streams as the build packed them),
# and the rest, our overhead (to set against NSIS's stub, which bench/run_bench.sh prints as makensis reports it),
# with the sections it is made of.
#   bench/size.sh [BUILD_DIR]      (default build/win32, the shipped exe; built when missing)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
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
