#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need, and nothing when they are present.
# Sourced or run by scripts/run.sh and scripts/test.sh.
set -euo pipefail

need=()
have_pkg() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

packages=(
  cmake ninja-build g++ clang libclang-rt-14-dev zlib1g-dev libjpeg-dev libgtest-dev googletest libzopfli-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 libz-mingw-w64-dev
  wine wine64 xvfb x11-apps x11-utils imagemagick attr unifont fonts-liberation python3-pefile
  fuse3 python3-fusepy osslsigncode openssl locales
)
# Wine's 32-bit side wherever the shipped exe runs, natively or emulated (qemu-user itself comes from
# bookworm-backports through scripts/wine-emulation.sh, which leaves the machine's apt sources as they are).
source "$(dirname "${BASH_SOURCE[0]}")/host-kind.sh"
[ "$VELLUMINE_WIN32_WAY" != none ] && packages+=(wine32:i386)
for p in "${packages[@]}"; do have_pkg "$p" || need+=("$p"); done

if [ ${#need[@]} -gt 0 ]; then
  echo "deps: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$VELLUMINE_WIN32_WAY" != none ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  # A mirror in the middle of a sync fails an index now and then: try again, then go on with what came.
  update=""
  for attempt in 1 2 3; do
    said=$(apt-get update -qq 2>&1) && update="" && break
    update=$said
    echo "$said" >&2
    [ $attempt = 3 ] || { echo "deps: apt-get update failed; trying again in 15 s"; sleep 15; }
  done
  install=(apt-get install -y -qq --no-install-recommends)
  if ! "${install[@]}" "${need[@]}" >/dev/null; then
    # Multi-arch packages need one version on every architecture. With one architecture's index of the security
    # or updates suite missing, the other's newer candidates have no partner: take both from the release's suite.
    codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
    echo "deps: the install failed; trying again with every package from ${codename:-the release}'s own suite"
    if [ -z "$codename" ] || ! "${install[@]}" -t "$codename" "${need[@]}" >/dev/null; then
      failed=$(echo "$update" | sed -nE 's#^[EW]:.*Failed to fetch \S*/dists/(\S+)/(\S+)/(\S+)/\S*.*#\1/\2 \3#p' |
        sort -u | paste -sd, | sed 's/,/, /g')
      echo "deps: the packages could not be installed${failed:+: the index $failed did not load from the mirror}." >&2
      echo "deps: the mirror may be in the middle of a sync; run the same command again later." >&2
      exit 1
    fi
  fi
fi

# The locales the tests run the wizard under: Wine's ANSI code page follows them (932, 936, 950, 949).
for l in ja_JP zh_CN zh_TW ko_KR; do
  locale -a 2>/dev/null | grep -qix "$l.utf-\?8" || localedef -i "$l" -f UTF-8 "$l.UTF-8" 2>/dev/null ||
    echo "deps: cannot make the locale $l.UTF-8"
done
