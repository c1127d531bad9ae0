#!/usr/bin/env bash
# Sourced: one Xvfb and one Wine prefix under build/, with drive E: mapped to build/usb/E.
# Exports DISPLAY, WINEPREFIX, WINEARCH, WINEDEBUG and VELLUMINE_USB (the folder behind E:).
# Call wine_env_stop when done (the scripts set a trap for it).

root=${VELLUMINE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export VELLUMINE_USB=${VELLUMINE_USB:-$root/build/usb/E}
mkdir -p "$VELLUMINE_USB"

wine_env_xvfb_pid=""
if [ -z "${DISPLAY:-}" ] || ! xdpyinfo -display "${DISPLAY}" >/dev/null 2>&1; then
  fifo=$(mktemp -u)
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  wine_env_xvfb_pid=$!
  read -r -t 20 num <"$fifo" || num=""
  rm -f "$fifo"
  [ -n "$num" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
  export DISPLAY=":$num"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-env: booting the Wine prefix (once, about 20 s)"
  mkdir -p "$(dirname "$WINEPREFIX")"
  wineboot -i >/dev/null 2>&1 || true
  # No window manager runs in Xvfb: let Wine draw the captions and frames itself.
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
  wineserver -w
fi
ln -sfn "$VELLUMINE_USB" "$WINEPREFIX/dosdevices/e:"
# A second USB drive, H:, for the end-to-end tests.
mkdir -p "$(dirname "$VELLUMINE_USB")/H"
ln -sfn "$(dirname "$VELLUMINE_USB")/H" "$WINEPREFIX/dosdevices/h:"
# Keep the wineserver and Wine's own services running for the whole run, started here with their output going
# nowhere: services started by a later program would hold that program's output pipe open.
wineserver -p >/dev/null 2>&1 </dev/null || true
wine cmd /c exit >/dev/null 2>&1 </dev/null || true

wine_env_stop() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$wine_env_xvfb_pid" ] && kill "$wine_env_xvfb_pid" 2>/dev/null || true
}
