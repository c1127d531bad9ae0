#!/usr/bin/env bash
# Builds everything and runs every test tier: host unit tests (ASan+UBSan), fuzz targets for a bounded time, and
# the Win32 tests under Wine in Xvfb. Installs what is missing first. Usage: scripts/test.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh

summary=()
tier() { # name, ctest output file
  local line
  line=$(grep -E "^[0-9]+% tests passed" "$2" | tail -1 || true)
  summary+=("$1: $line")
}

echo "== host tier: portable code and tools (AddressSanitizer, UBSan)"
cmake --preset host >/dev/null
cmake --build --preset host
ctest --preset host 2>&1 | tee build/host-tests.log
tier host build/host-tests.log

echo "== fuzz tier: libFuzzer on the byte-level parsers, bounded time"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --test-dir build/fuzz --output-on-failure 2>&1 | tee build/fuzz-tests.log
tier fuzz build/fuzz-tests.log

echo "== win32 tier: VellumineSetup.exe and the tests under Wine"
cmake --preset win32 >/dev/null
cmake --build --preset win32
source scripts/wine-env.sh
media=(full readonly tight)
unmount_media() { for m in "${media[@]}"; do umount "$root/build/usb/$m" 2>/dev/null || true; done; }
trap 'unmount_media; wine_env_stop' EXIT
# Media for the fault tests, where mount is allowed: a 64 KiB tmpfs as drive F: (full), a tmpfs remounted
# read-only, already holding the install folder, as drive G: (write-protected), and an 8 MiB tmpfs as drive I:
# (room for one install and a reinstall, not for two installs).
export VELLUMINE_FULL_DRIVE="" VELLUMINE_READONLY_DRIVE="" VELLUMINE_TIGHT_DRIVE=""
for m in "${media[@]}"; do mkdir -p "build/usb/$m"; done
unmount_media
if mount -t tmpfs -o size=64k tmpfs build/usb/full 2>/dev/null; then
  ln -sfn "$root/build/usb/full" "$WINEPREFIX/dosdevices/f:"
  export VELLUMINE_FULL_DRIVE=F
  if mount -t tmpfs -o size=1m tmpfs build/usb/readonly && mkdir build/usb/readonly/Vellumine &&
    mount -o remount,ro build/usb/readonly; then
    ln -sfn "$root/build/usb/readonly" "$WINEPREFIX/dosdevices/g:"
    export VELLUMINE_READONLY_DRIVE=G
  fi
  if mount -t tmpfs -o size=8m tmpfs build/usb/tight; then
    ln -sfn "$root/build/usb/tight" "$WINEPREFIX/dosdevices/i:"
    export VELLUMINE_TIGHT_DRIVE=I
  fi
else
  echo "note: cannot mount a tmpfs here; the full and write-protected medium tests are skipped"
fi
ctest --preset win32 2>&1 | tee build/win32-tests.log
tier win32 build/win32-tests.log
# Each Wine test program runs many GoogleTest cases as one CTest test: count those too.
cases=$(grep -E '^\[  PASSED  \] [0-9]+ tests?\.' build/win32/Testing/Temporary/LastTest.log | awk '{n += $4} END {print n + 0}')
summary+=("win32: $cases GoogleTest cases passed inside win32_tests.exe and e2e_tests.exe under Wine")
# The screenshots the Wine tests saved, as PNG files.
mkdir -p build/screenshots
for f in "$VELLUMINE_USB"/screenshots/*.bmp; do
  [ -f "$f" ] && /usr/bin/convert "$f" "build/screenshots/$(basename "${f%.bmp}").png"
done

echo
echo "== summary"
printf '%s\n' "${summary[@]}"
