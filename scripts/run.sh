#!/usr/bin/env bash
# Builds VellumineSetup.exe and runs it under Wine with drive E: mapped to build/usb/E.
# With a display (DISPLAY set and answering) the wizard opens there for you to use; without one, an Xvfb is started
# and the automation driver walks the wizard through a whole install, prints the installed tree and saves a
# screenshot of every page under build/screenshots/.
# On a host that refuses 32-bit programs (scripts/host-kind.sh) Wine's 32-bit side runs under qemu-user; only where
# that is turned off (VELLUMINE_NO_EMULATION=1) or cannot be set up does the same sources' 64-bit build run instead.
# It builds only the installer and the walkthrough driver, and shows the build's output where it fails, or with -v.
# Usage: scripts/run.sh [-v]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
source scripts/host-kind.sh
host_ready
arch=win32
win32_way_ready
case $VELLUMINE_WIN32_WAY in
  emulated) echo "Running the shipped 32-bit VellumineSetup.exe with Wine's 32-bit side emulated by qemu-user:" \
    "$VELLUMINE_NO_32BIT_WHY" ;;
  none) arch=win64; echo "Running the 64-bit build of VellumineSetup.exe: $VELLUMINE_NO_32BIT_WHY" ;;
esac
verbose=0
[ "${1:-}" = -v ] && verbose=1
build_log=build/run-build.log
mkdir -p build
# The build runs while the Wine prefix starts (its first boot takes about 20 s).
echo "Building VellumineSetup.exe and the walkthrough driver ($arch)"
{ cmake --preset $arch && cmake --build --preset $arch --target VellumineSetup e2e_walkthrough; } >"$build_log" 2>&1 &
building=$!

interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then interactive=1; fi
source scripts/wine-env.sh
trap 'kill $building 2>/dev/null || true; wine_env_stop' EXIT
wine_env_start $arch
if ! wait $building; then
  cat "$build_log"
  echo "The build failed (its output above, also in $build_log)"
  exit 1
fi
[ $verbose = 0 ] || cat "$build_log"

if [ $interactive = 1 ]; then
  echo "Running VellumineSetup.exe on $DISPLAY; drive E: is $VELLUMINE_USB"
  set +e
  wine build/$arch/VellumineSetup.exe
  echo "exit code $?"
  exit 0
fi

echo "No display: walking the wizard through an install onto E: ($VELLUMINE_USB) in Xvfb"
rm -rf "$VELLUMINE_USB/screenshots"
set +e
wine build/$arch/e2e_walkthrough.exe
walked=$?
set -e
mkdir -p build/screenshots
for f in "$VELLUMINE_USB"/screenshots/walk*.bmp; do
  [ -f "$f" ] && /usr/bin/convert "$f" "build/screenshots/$(basename "${f%.bmp}").png"
done
echo
echo "Installed tree (R = read-only, H = hidden):"
for f in "$VELLUMINE_USB"/Vellumine/* "$VELLUMINE_USB"/Vellumine*; do
  [ -f "$f" ] || continue
  ro=-; [ "$(stat -c %A "$f" | cut -c3)" = w ] || ro=R
  h=-; dos=$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null || echo 0); (( (dos & 2) != 0 )) && h=H
  printf '  %s%s %10d  %s\n' "$ro" "$h" "$(stat -c %s "$f")" "${f#"$VELLUMINE_USB"/}"
done
echo
echo "Screenshots of every page: build/screenshots/"
ls build/screenshots/walk*.png
exit $walked
