#!/usr/bin/env bash
# Two clean builds in different directories give the same VellumineSetup.exe: the sources are copied elsewhere,
# built from scratch, and the result compared byte for byte with the one given.
set -eu
built=${1:?the VellumineSetup.exe to compare}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d "$root/build/repro.XXXXXX")
trap 'rm -rf "$work"' EXIT
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$work" -xf -
cmake -S "$work" -B "$work/out" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$work/cmake/mingw-i686.cmake" \
  -DCMAKE_BUILD_TYPE=MinSizeRel >/dev/null
cmake --build "$work/out" --target VellumineSetup >/dev/null
if cmp "$built" "$work/out/VellumineSetup.exe"; then
  echo "identical: $(stat -c %s "$built") bytes built in $root and in $work"
  echo "1 passed, 0 failed"
else
  echo "the two builds differ"
  echo "0 passed, 1 failed"
  exit 1
fi
