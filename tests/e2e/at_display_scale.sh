#!/usr/bin/env bash
# Runs a Windows program at another display scale:  at_display_scale.sh DPI PROGRAM [ARGS...]
# Wine reads the prefix's LogPixels (HKCU\Control Panel\Desktop) when its server starts, so the server of the
# current prefix is restarted around the program, on an Xvfb of its own large enough for a wizard at 200 %
# (2560 x 1600); afterwards the prefix is at 96 DPI again, its server and services running on the tests' display.
set -u
dpi=${1:?the DPI} program=${2:?a program}
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
wine() { "$root/scripts/wine-run.sh" "${VELLUMINE_WINE_ARCH:-win32}" "$@"; }
serve() { # the display: the server and Wine's services, with their output going nowhere
  wine wineserver -k >/dev/null 2>&1
  wine wineserver -w >/dev/null 2>&1
  DISPLAY=$1 wine wineserver -p >/dev/null 2>&1 </dev/null
  DISPLAY=$1 wine cmd /c exit >/dev/null 2>&1 </dev/null
}
scale() { wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1; }

fifo=$(mktemp -u "$root/build/xvfb.XXXXXX")
mkfifo "$fifo"
Xvfb -displayfd 3 -screen 0 2560x1600x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
xvfb=$!
read -r -t 20 number <"$fifo" || number=""
rm -f "$fifo"
[ -n "$number" ] || { echo "at_display_scale: Xvfb did not start"; exit 1; }
tests_display=$DISPLAY
scale "$dpi"
serve ":$number"
DISPLAY=:$number wine "$program" "$@"
status=$?
scale 96
serve "$tests_display"
kill "$xvfb" 2>/dev/null
exit $status
