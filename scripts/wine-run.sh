#!/usr/bin/env bash
# Runs a Windows program under Wine:  wine-run.sh ARCH PROGRAM [ARGS...]   (ARCH: win32 or win64)
# PROGRAM may also be "wineboot" or "wineserver" (with their arguments).
#   win64: Wine's 64-bit loader directly, in the win64 prefix build/wineprefix64. Debian's wine, wineboot and
#          winepath scripts always pick the 32-bit loader when wine32 is installed, which a host that refuses
#          32-bit code cannot start, so none of them is used.
#   win32: Debian's wine, in the win32 prefix build/wineprefix, where this host runs 32-bit code; elsewhere
#          (VELLUMINE_WIN32_WAY=emulated, scripts/host-kind.sh) Wine's 64-bit loader from build/wine-emul, whose
#          32-bit side runs under qemu-user (scripts/wine-emulation.sh), in the win64 prefix build/wineprefix-wow64.
# Started as root, the program runs as the unprivileged test user (VELLUMINE_TEST_UID, default 65534), as every
# Windows user does: root ignores Unix write bits, so under root a read-only file could be written and renamed over.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
arch=${1:?win32 or win64}
shift
source "$root/scripts/host-kind.sh"
emulated=0
[ "$arch" = win32 ] && [ "$VELLUMINE_WIN32_WAY" = emulated ] && emulated=1
case $arch in
  win32) default_prefix=$root/build/wineprefix; [ $emulated = 0 ] || default_prefix=$root/build/wineprefix-wow64 ;;
  win64) default_prefix=$root/build/wineprefix64 ;;
  *) echo "wine-run: unknown architecture $arch" >&2; exit 2 ;;
esac
# A prefix of the other architecture (a caller's leftover WINEPREFIX) is never used.
[ "${VELLUMINE_WINE_ARCH:-$arch}" = "$arch" ] || unset WINEPREFIX
export WINEPREFIX=${WINEPREFIX:-$default_prefix} WINEARCH=$arch VELLUMINE_WINE_ARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
# The fonts Wine sees are the project's choice, not whatever the host has (scripts/fonts.conf); their cache is ours.
export FONTCONFIG_FILE=$root/scripts/fonts.conf XDG_CACHE_HOME=$root/build/wine-home/.cache
# The wineserver's socket folders too (Debian's Wine makes them in TMPDIR), where the socket's path stays short
# enough for a Unix socket.
[ ${#root} -gt 60 ] || export TMPDIR=$root/build/wine-home/tmp

test_uid=${VELLUMINE_TEST_UID:-65534}
if [ "$(id -u)" = 0 ] && [ "$test_uid" != 0 ]; then
  export HOME=$root/build/wine-home USER=vellumine-test
  exec setpriv --reuid="$test_uid" --regid="$test_uid" --clear-groups "${BASH_SOURCE[0]}" "$arch" "$@"
fi

program=${1:?a program to run}
shift
if [ $emulated = 1 ]; then
  # The prefix is booted through this folder's wine64 too, so that its syswow64 holds Wine's 32-bit side.
  folder=$root/build/wine-emul/lib/wine
  export WINEARCH=win64 WINELOADER=$folder/wine64 WINESERVER=/usr/lib/wine/wineserver64 WINELOADERNOEXEC=1
  case $program in
    wineserver) exec /usr/lib/wine/wineserver64 "$@" ;;
    wineboot) exec "$folder/wine64" wineboot.exe "$@" ;;
    *) exec "$folder/wine64" "$program" "$@" ;;
  esac
fi
if [ "$arch" = win64 ]; then
  export WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64
  case $program in
    wineserver) exec /usr/lib/wine/wineserver64 "$@" ;;
    wineboot) exec /usr/lib/wine/wine64 wineboot.exe "$@" ;;
    *) exec /usr/lib/wine/wine64 "$program" "$@" ;;
  esac
fi
case $program in
  wineserver) exec wineserver "$@" ;;
  wineboot) exec wine wineboot.exe "$@" ;;
  *) exec wine "$program" "$@" ;;
esac
