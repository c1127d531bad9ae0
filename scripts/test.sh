#!/usr/bin/env bash
# Builds everything and runs every test tier: host unit tests (ASan+UBSan), fuzz targets for a bounded time, and
# the Windows tests under Wine in one Xvfb: the 64-bit build on every host, the shipped 32-bit build wherever this
# host runs 32-bit programs (scripts/host-kind.sh; VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path). The shipped
# exe's Linux-side checks (PE hardening, reproducible build) run on every host. Installs what is missing first.
# Usage: scripts/test.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
source scripts/host-kind.sh
started=$(date +%s)

summary=()
skipped=0
tier() { # name, ctest output file
  local line
  line=$(grep -E "^[0-9]+% tests passed" "$2" | tail -1 || true)
  summary+=("$1: ${line:-no result}")
}
skip() { # name, reason
  echo "skipped: $1: $2"
  summary+=("$1: skipped: $2")
  skipped=$((skipped + 1))
}

echo "== host tier: portable code and tools (AddressSanitizer, UBSan)"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host 2>&1 | tee build/host-tests.log
tier "host" build/host-tests.log

echo "== fuzz tier: libFuzzer on the byte-level parsers, bounded time"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --test-dir build/fuzz --output-on-failure 2>&1 | tee build/fuzz-tests.log
tier "fuzz" build/fuzz-tests.log

echo "== building VellumineSetup.exe and the Wine tests: win32 (shipped) and win64"
for arch in win32 win64; do
  cmake --preset $arch >/dev/null
  cmake --build --preset $arch
done

source scripts/wine-env.sh
media=(full readonly tight)
unmount_media() { for m in "${media[@]}"; do umount "$root/build/usb/$m" 2>/dev/null || true; done; }
trap 'unmount_media; wine_env_stop' EXIT
# Media for the fault tests, where mount is allowed: a 64 KiB tmpfs as drive F: (full), a tmpfs remounted
# read-only, already holding the install folder, as drive G: (write-protected), and an 8 MiB tmpfs as drive I:
# (room for one install and a reinstall, not for two installs). Each belongs to the test user that Wine runs as.
owner=uid=${VELLUMINE_TEST_UID:-65534},gid=${VELLUMINE_TEST_UID:-65534}
[ "$(id -u)" = 0 ] || owner=uid=$(id -u),gid=$(id -g)
drives=()
for m in "${media[@]}"; do mkdir -p "build/usb/$m"; done
unmount_media
if mount -t tmpfs -o "size=64k,$owner" tmpfs build/usb/full 2>/dev/null; then
  drives+=("f build/usb/full")
  export VELLUMINE_FULL_DRIVE=F
  if mount -t tmpfs -o "size=1m,$owner" tmpfs build/usb/readonly && mkdir build/usb/readonly/Vellumine &&
    mount -o remount,ro build/usb/readonly; then
    drives+=("g build/usb/readonly")
    export VELLUMINE_READONLY_DRIVE=G
  fi
  if mount -t tmpfs -o "size=8m,$owner" tmpfs build/usb/tight; then
    drives+=("i build/usb/tight")
    export VELLUMINE_TIGHT_DRIVE=I
  fi
else
  skip "fault media" "cannot mount a tmpfs here; the full, write-protected and tight medium cases skip"
fi

wine_tier() { # arch
  local arch=$1
  echo "== $arch Wine tier: VellumineSetup.exe and its tests under Wine, as an unprivileged user"
  wine_env_start "$arch"
  for d in "${drives[@]}"; do wine_env_map $d; done
  hand_over "build/$arch"
  ctest --preset "$arch" 2>&1 | tee "build/$arch-tests.log"
  tier "$arch Wine tier" "build/$arch-tests.log"
  # Each Wine test program runs many GoogleTest cases as one CTest test: count those too.
  local log=build/$arch/Testing/Temporary/LastTest.log passed skippedCases
  passed=$(grep -E '^\[  PASSED  \] [0-9]+ tests?\.' "$log" | awk '{n += $4} END {print n + 0}')
  skippedCases=$(grep -E '^\[  SKIPPED \] [0-9]+ tests?,' "$log" | awk '{n += $4} END {print n + 0}')
  summary+=("$arch Wine tier: $passed GoogleTest cases passed ($skippedCases of them skipped) in win32_tests and e2e_tests")
  wine_env_stop_prefix
  mkdir -p build/screenshots
  for f in "$VELLUMINE_USB"/screenshots/*.bmp; do
    [ -f "$f" ] && /usr/bin/convert "$f" "build/screenshots/$arch-$(basename "${f%.bmp}").png"
  done
}

wine_tier win64
if [ "$VELLUMINE_RUNS_32BIT" = 1 ]; then
  wine_tier win32
else
  skip "win32 Wine tier" "$VELLUMINE_NO_32BIT_WHY"
  echo "== win32 shipped exe, checked from the Linux side: PE hardening, reproducible build"
  ctest --preset win32 -L linux-side 2>&1 | tee build/win32-linux-tests.log
  tier "win32 shipped exe (Linux side)" build/win32-linux-tests.log
fi

echo
echo "== summary ($(($(date +%s) - started)) s; 32-bit programs: $([ "$VELLUMINE_RUNS_32BIT" = 1 ] && echo run here || echo "${VELLUMINE_NO_32BIT_WHY}"))"
printf '%s\n' "${summary[@]}"
echo "skipped tiers: $skipped"
