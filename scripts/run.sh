#!/usr/bin/env bash
# Builds VellumineSetup.exe and runs it under Wine with drive E: mapped to build/usb/E.
# With a display (DISPLAY set and answering) the wizard opens there for you to use; without one, an Xvfb is started
# and the automation driver walks the wizard through a whole install, prints the installed tree and saves a
# screenshot of every page under build/screenshots/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/deps.sh
cmake --preset win32 >/dev/null
cmake --build --preset win32

interactive=0
if [ -n "${DISPLAY:-}" ] && xdpyinfo -display "$DISPLAY" >/dev/null 2>&1; then interactive=1; fi
source scripts/wine-env.sh
trap wine_env_stop EXIT

if [ $interactive = 1 ] || [ ! -x build/win32/tests/e2e/walkthrough.sh ]; then
  echo "Running VellumineSetup.exe on $DISPLAY; drive E: is $VELLUMINE_USB"
  set +e
  wine build/win32/VellumineSetup.exe
  echo "exit code $?"
  exit 0
fi
exec bash build/win32/tests/e2e/walkthrough.sh
