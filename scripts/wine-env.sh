#!/usr/bin/env bash
# Sourced: one Xvfb for the whole run and one Wine prefix per architecture under build/, with drive E: mapped to
# build/usb/E and H: to build/usb/H. Every Wine command goes through scripts/wine-run.sh.
#   wine_env_start ARCH   ARCH win32 or win64 (default: win32, natively or emulated, unless neither works here)
#                         exports DISPLAY, WINEPREFIX, VELLUMINE_WINE_ARCH and VELLUMINE_USB (the folder behind E:)
#   wine_env_stop_prefix  ends the current prefix's wineserver; wine_env_stop ends that and the Xvfb
#   wine_env_serve        starts the current prefix's server and services (again), on DISPLAY
#   wine_env_xvfb SIZE    starts another Xvfb
#   wine ARGS...          runs a Windows program in the current prefix (a function: scripts/wine-run.sh)
#   hand_over PATHS...    gives paths to the unprivileged test user that Wine runs as

root=${VELLUMINE_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
source "$root/scripts/host-kind.sh"
export VELLUMINE_USB=${VELLUMINE_USB:-$root/build/usb/E}
# The folder above it is handed to the test user: only a folder of the checkout may be.
case $(realpath -m "$VELLUMINE_USB")/ in
  "$root"/?*/?*) ;;
  *) echo "wine-env: VELLUMINE_USB must be a folder inside the checkout ($root), not $VELLUMINE_USB" >&2; return 1 ;;
esac
mkdir -p "$VELLUMINE_USB" "$(dirname "$VELLUMINE_USB")/H" "$root/build/wine-home/tmp"
wine_env_xvfb_pid=""

wine() { "$root/scripts/wine-run.sh" "$VELLUMINE_WINE_ARCH" "$@"; }

hand_over() {
  [ "$(id -u)" = 0 ] && [ "${VELLUMINE_TEST_UID:-65534}" != 0 ] || return 0
  local uid=${VELLUMINE_TEST_UID:-65534}
  chown -R "$uid:$uid" "$@" 2>/dev/null || true # a write-protected medium among them stays as it is
}

# The test user must reach the checkout. The folders above it are the user's own business and stay as they are:
# where one of them keeps others out, this says which and what to do, and fails.
wine_env_reachable() {
  [ "$(id -u)" = 0 ] && [ "${VELLUMINE_TEST_UID:-65534}" != 0 ] || return 0
  local uid=${VELLUMINE_TEST_UID:-65534} d=$root blocked=""
  setpriv --reuid="$uid" --regid="$uid" --clear-groups test -x "$root/scripts" && return 0
  while [ "$d" != / ]; do
    setpriv --reuid="$uid" --regid="$uid" --clear-groups test -x "$d" || blocked=$d
    d=$(dirname "$d")
  done
  echo "wine-env: Wine runs as the unprivileged uid $uid, which cannot reach $root: $blocked lets others no further." \
    "Clone the project under a folder that others may pass (such as /srv or /tmp), or allow it yourself:" \
    "chmod o+x $blocked" >&2
  return 1
}

wine_env_start() {
  local arch=${1:-}
  if [ -z "$arch" ]; then
    if [ "$VELLUMINE_WIN32_WAY" != none ]; then arch=win32; else arch=win64; fi
  fi
  wine_env_reachable || return 1
  export VELLUMINE_WINE_ARCH=$arch
  if [ "$arch" = win64 ]; then
    export WINEPREFIX=$root/build/wineprefix64
  elif [ "$VELLUMINE_WIN32_WAY" = emulated ]; then
    export WINEPREFIX=$root/build/wineprefix-wow64
  else
    export WINEPREFIX=$root/build/wineprefix
  fi
  if [ -z "${DISPLAY:-}" ] || ! xdpyinfo -display "${DISPLAY}" >/dev/null 2>&1; then
    wine_env_xvfb 1024x768x24 || return 1
    wine_env_xvfb_pid=$xvfb_pid
    export DISPLAY=$xvfb_display
  fi
  mkdir -p "$WINEPREFIX"
  # A display of the caller's own (scripts/run.sh on a desktop, as root): the test user gets its cookie.
  if [ -z "$wine_env_xvfb_pid" ] && [ "$(id -u)" = 0 ] && command -v xauth >/dev/null; then
    xauth extract "$root/build/wine-home/.Xauthority" "$DISPLAY" 2>/dev/null &&
      export XAUTHORITY=$root/build/wine-home/.Xauthority
  fi
  hand_over "$WINEPREFIX" "$root/build/wine-home" "$(dirname "$VELLUMINE_USB")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-env: booting the $arch Wine prefix (once, about 20 s)"
    wine wineboot -i >/dev/null 2>&1 || true
    # No window manager runs in Xvfb: let Wine draw the captions and frames itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
    wine wineserver -w
  fi
  wine_env_map e "$VELLUMINE_USB"
  wine_env_map h "$(dirname "$VELLUMINE_USB")/H" # a second USB drive, for the end-to-end tests
  wine_env_serve
}

# Keeps the wineserver and Wine's own services running for the whole run, started here with their output going
# nowhere: services started by a later program would hold that program's output pipe open.
wine_env_serve() {
  wine wineserver -p >/dev/null 2>&1 </dev/null || true
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

# Starts an Xvfb with a screen of the given size (WIDTHxHEIGHTxDEPTH): xvfb_display is its display, xvfb_pid its
# process.
wine_env_xvfb() {
  local fifo number
  fifo=$(mktemp -u "$root/build/xvfb.XXXXXX")
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 number <"$fifo" || number=""
  rm -f "$fifo"
  [ -n "$number" ] || { echo "wine-env: Xvfb did not start" >&2; return 1; }
  xvfb_display=":$number"
}

# Maps a drive letter of the current prefix to a folder.
wine_env_map() { ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"; }

wine_env_stop_prefix() { wine wineserver -k >/dev/null 2>&1 || true; }

wine_env_stop() {
  [ -n "${VELLUMINE_WINE_ARCH:-}" ] && wine_env_stop_prefix
  [ -n "$wine_env_xvfb_pid" ] && kill "$wine_env_xvfb_pid" 2>/dev/null || true
}
