#!/usr/bin/env bash
# The scripts' choice of path on this host: VELLUMINE_64BIT_ONLY=1 forces the path of hosts that refuse 32-bit code
# whatever the probe finds, and there the shipped exe runs emulated unless VELLUMINE_NO_EMULATION=1 turns that off;
# the probe's answer comes with a one-line reason when it is no; the benchmark names its like-for-like pairing,
# never an emulated one; the test command prints its summary and fails after a failing tier; VELLUMINE_USB outside
# the checkout is refused; the emulation's copies of Wine's loaders follow the installed ones; every relative link and
# image of every Markdown page leads to a file. Nothing is installed:
# the test command runs with its package step skipped.
#   scripts_check.sh [noexec]     noexec: only that a build/ on a noexec file system is named as such, on a noexec
#                                 tmpfs (skipped, exit 77, where mount is not allowed)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0 failed=0
expect() { # what, expected, actual
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "$1: '$3', expected '$2'"; fi
}
kind() { env -u VELLUMINE_RUNS_32BIT -u VELLUMINE_WIN32_WAY -u VELLUMINE_NO_32BIT_WHY "$@" bash -c "source '${kind_root:-$root}/scripts/host-kind.sh'; echo \"\$VELLUMINE_RUNS_32BIT|\$VELLUMINE_NO_32BIT_WHY|\$VELLUMINE_WIN32_WAY\""; }
closing() { echo "$passed passed, $failed failed"; [ "$failed" = 0 ]; exit; }

if [ "${1:-}" = noexec ]; then
  tree=$root/build/noexec-check
  mkdir -p "$tree/scripts" "$tree/build"
  cp "$root/scripts/host-kind.sh" "$tree/scripts/"
  umount "$tree/build" 2>/dev/null
  mount -t tmpfs -o noexec,size=1m tmpfs "$tree/build" 2>/dev/null || { echo "skipped: cannot mount a tmpfs here"; exit 77; }
  said=$(kind_root=$tree kind VELLUMINE_64BIT_ONLY=0)
  umount "$tree/build"
  expect "a noexec build/" "0|build/ is on a noexec file system|none" "$said"
  closing
fi

forced=$(kind VELLUMINE_64BIT_ONLY=1)
expect "forced path" "0|VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path|emulated" "$forced"
forced=$(kind VELLUMINE_64BIT_ONLY=1 VELLUMINE_NO_EMULATION=1)
expect "forced path, emulation off" \
  "0|VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path, and VELLUMINE_NO_EMULATION=1 turns the emulation off|none" "$forced"
probed=$(kind VELLUMINE_64BIT_ONLY=0)
case $probed in
  "1||native") expect "probe: runs 32-bit programs" "1||native" "$probed" ;;
  0\|*\|emulated) expect "probe: a one-line reason" 1 "$(echo "${probed#0|}" | grep -c .)" ;;
  *) expect "probe" "0|reason or 1|" "$probed" ;;
esac
bench=$(env -u VELLUMINE_RUNS_32BIT -u VELLUMINE_WIN32_WAY -u VELLUMINE_NO_32BIT_WHY VELLUMINE_64BIT_ONLY=1 bash "$root/bench/run_bench.sh" --pairing 2>&1)
expect "bench pairing where 32-bit code is refused" \
  "0 bench: our win64 build against NSIS 3.08 amd64-unicode (VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path)" "$? $bench"
# A failing tier: the summary still prints, with the failure counted, and the command fails.
summary=$(VELLUMINE_SKIP_PACKAGES=1 PATH="$root/tests/host/failing_tools:$PATH" bash "$root/scripts/test.sh" host 2>&1)
expect "a failing tier: exit and summary" "1 host: failed: the build failed" "$? $(echo "$summary" | grep '^host:')"
expect "a failing tier: total" "total: 0 passed, 1 failed, 2 skipped" "$(echo "$summary" | tail -1)"
"$root/scripts/wine-run.sh" win16 x.exe >/dev/null 2>&1
expect "wine-run refuses an unknown architecture" 2 "$?"
said=$(VELLUMINE_USB=/media/stick bash -c "source '$root/scripts/wine-env.sh'" 2>&1)
expect "VELLUMINE_USB outside the checkout: refused in one line" "1 1" "$? $(echo "$said" | grep -c VELLUMINE_USB)"
# A mirror mid-sync (apt-get, dpkg and the rest stood in): one index fails, the install meets held broken packages;
# deps.sh tries again from the release's own suite and, where that fails too, names the index and stops.
apt=$root/build/apt-check codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
rm -rf "$apt" && mkdir -p "$apt"
for tool in sleep dpkg-query dpkg locale apt-get; do printf '#!/bin/sh\n' >"$apt/$tool"; done
echo '[ "$1" = --print-foreign-architectures ] && echo i386' >>"$apt/dpkg"
echo 'printf "ja_JP.utf8\nzh_CN.utf8\nzh_TW.utf8\nko_KR.utf8\n"' >>"$apt/locale"
cat >>"$apt/apt-get" <<'STANDIN'
echo "$*" >>"$(dirname "$0")/calls"
case "$*" in
  *update*) echo "E: Failed to fetch http://m/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1 != 2). Mirror sync in progress?" >&2; exit 100 ;;
  *" -t "*) exit "$RETRY" ;;
  *) echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100 ;;
esac
STANDIN
chmod 755 "$apt"/*
for retry in 0 100; do
  rm -f "$apt/calls"
  said=$(RETRY=$retry PATH="$apt:$PATH" VELLUMINE_64BIT_ONLY=1 VELLUMINE_NO_EMULATION=1 bash "$root/scripts/deps.sh" 2>&1)
  expect "mirror mid-sync, retry exit $retry: exit, retry from the release" "$((retry / 100)) 1" \
    "$? $(grep -c -- "install .* -t $codename " "$apt/calls")"
  [ $retry = 0 ] || expect "mirror mid-sync, both fail: the index named" 1 \
    "$(echo "$said" | grep -c 'index bookworm-security/main binary-i386 did not load')"
done
rm -rf "$apt"
# The emulation's copy of a loader that Debian's Wine has since replaced is made again (qemu-i386 stands in).
emul=$root/build/emulation-check
if [ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ]; then
  rm -rf "$emul"
  mkdir -p "$emul/qemu/usr/bin" "$emul/lib/wine"
  printf '#!/bin/sh\n' >"$emul/qemu/usr/bin/qemu-i386"
  chmod 755 "$emul/qemu/usr/bin/qemu-i386"
  echo "an older wine64" >"$emul/lib/wine/wine64"
  printf '#!/bin/sh\n' >"$emul/lib/wine/wine" && chmod 755 "$emul/lib/wine/wine"
  bash "$root/scripts/wine-emulation.sh" "$emul"
  cmp -s /usr/lib/wine/wine64 "$emul/lib/wine/wine64" && cmp -s /usr/lib/wine/wine "$emul/lib/wine/wine32-loader"
  expect "the loader copies follow Wine" "0" "$?"
  rm -rf "$emul"
fi
# Links that hold: each relative target of a Markdown link or image, anchors and titles cut off.
links=0
while IFS=: read -r page target; do
  target=${target%%#*}
  target=${target%% *}
  [ -n "$target" ] || continue
  links=$((links + 1))
  [ -e "$root/$(dirname "$page")/$target" ] || expect "the link in $page" "a file" "$target"
done < <(cd "$root" && git ls-files '*.md' | xargs grep -o '\]([^)]*)' | sed 's/\](\(.*\))$/\1/' |
  grep -v -E '^[^:]*:(https?|mailto):' || true)
expect "the Markdown pages' links were read" 1 "$((links > 20))"
closing
