#!/usr/bin/env bash
# Runs a Windows program at another display scale:  at_display_scale.sh DPI PROGRAM [ARGS...]
# Wine reads the prefix's LogPixels (HKCU\Control Panel\Desktop) when its server starts, so the server of the
# current prefix is restarted around the program, on an Xvfb of its own large enough for a wizard at 200 %
# (2560 x 1600); afterwards the prefix is at 96 DPI again, its server and services running on the tests' display.
set -u
dpi=${1:?the DPI} program=${2:?a program}
shift 2
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/scripts/wine-env.sh"
restart() { # DPI, display
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
  wine_env_stop_prefix
  wine wineserver -w >/dev/null 2>&1
  DISPLAY=$2 wine_env_serve
}

wine_env_xvfb 2560x1600x24 || exit 1
tests_display=$DISPLAY
restart "$dpi" "$xvfb_display"
DISPLAY=$xvfb_display wine "$program" "$@"
status=$?
restart 96 "$tests_display"
kill "$xvfb_pid" 2>/dev/null
exit $status
