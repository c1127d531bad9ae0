#!/usr/bin/env bash
# Makes build/wine-emul, where Wine's 32-bit processes run under qemu-user on a host that refuses 32-bit code, and
# does nothing when it is there and its copies of Wine's loaders match the installed ones (after an upgrade of
# Debian's Wine they are made again). Exits non-zero with one line on stderr when it cannot be made.
# - qemu-user comes from Debian's bookworm-backports (10.x): bookworm's own (7.2) takes about 50 s to start each
#   32-bit Wine process and crashes on some exception paths. It is fetched with a sources list, package lists and
#   package caches of our own under build/, unpacked with dpkg-deb, and with apt's locks taken as usual; the
#   machine's apt configuration, lists and caches stay as they are. Its qemu-i386 is static. No binfmt_misc handler
#   is registered: scripts/host-kind.sh goes on telling native hosts apart.
# - Wine 8 does not take the 32-bit loader from WINELOADER: wine64 execs "wine" from its own folder (/proc/self/exe)
#   for a 32-bit program. So lib/wine here holds a copy of wine64, the 32-bit loader under another name, and a
#   "wine" script that runs that loader under qemu-i386 -0, keeping argv[0], so that a 32-bit program that starts
#   another one goes through the script again. The loaders find their libraries relative to their own folder.
#   wine-emulation.sh [FOLDER]     (default build/wine-emul)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
base=${1:-$root/build/wine-emul}
folder=$base/lib/wine
qemu=$base/qemu/usr/bin/qemu-i386
[ -x "$folder/wine" ] && [ -x "$qemu" ] && cmp -s /usr/lib/wine/wine64 "$folder/wine64" &&
  cmp -s /usr/lib/wine/wine "$folder/wine32-loader" && exit 0
fail() { echo "wine-emulation: $*" >&2; exit 1; }
[ -x /usr/lib/wine/wine ] && [ -x /usr/lib/wine/wine64 ] || fail "Wine's 32-bit loader (wine32:i386) is not installed"

if [ ! -x "$qemu" ]; then
  apt=$base/apt
  mkdir -p "$apt/lists/partial" "$apt/archives/partial"
  # The machine's own Debian mirror, from its sources (deb822 or one-line form).
  mirror=$(sed -nE 's#^URIs:[[:space:]]*(\S+/debian)/?$#\1#p; s#^deb[[:space:]]+(\[[^]]*\][[:space:]]+)?(\S+/debian)/?[[:space:]]+bookworm\b.*#\2#p' \
    /etc/apt/sources.list /etc/apt/sources.list.d/*.sources /etc/apt/sources.list.d/*.list 2>/dev/null | head -1 || true)
  mirror=${mirror:-http://deb.debian.org/debian}
  echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror bookworm-backports main" >"$apt/sources.list"
  # The update hooks of the machine's configuration (PackageKit, AppStream) would act on its own caches: none runs
  # for these lists.
  mkdir -p "$apt/cache"
  printf '#clear APT::Update::Post-Invoke;\n#clear APT::Update::Post-Invoke-Success;\n' >"$apt/apt.conf"
  options=(-c "$apt/apt.conf" -o Dir::Etc::sourcelist="$apt/sources.list" -o Dir::Etc::sourceparts=-
    -o Dir::State::Lists="$apt/lists" -o Dir::Cache="$apt/cache" -o Dir::Cache::archives="$apt/archives"
    -o APT::Get::List-Cleanup=0)
  # One suite and one architecture, and qemu-user is fetched alone: no versions to match across suites here. A
  # mirror in the middle of a sync fails the index now and then: tried again, then named.
  for attempt in 1 2 3; do
    said=$(apt-get "${options[@]}" update -qq 2>&1) && ! grep -q '^[EW]:.*Failed to fetch' <<<"$said" && break
    [ $attempt = 3 ] && fail "cannot read bookworm-backports from $mirror ($(grep -m1 -o 'Failed to fetch \S*' \
      <<<"$said" || echo "$said" | tail -1)); the mirror may be in the middle of a sync: run the command again later"
    sleep 15
  done
  (cd "$apt/archives" && apt-get "${options[@]}" download -t bookworm-backports qemu-user >/dev/null 2>&1) ||
    fail "cannot download qemu-user from bookworm-backports"
  rm -rf "$base/qemu"
  dpkg-deb -x "$(ls "$apt"/archives/qemu-user_*.deb | head -1)" "$base/qemu"
  [ -x "$qemu" ] || fail "qemu-user from bookworm-backports has no qemu-i386"
fi

rm -rf "$folder"
mkdir -p "$folder" "$base/share"
cp /usr/lib/wine/wine64 "$folder/wine64"
cp /usr/lib/wine/wine "$folder/wine32-loader"
ln -sfn /usr/lib/x86_64-linux-gnu "$base/lib/x86_64-linux-gnu"
ln -sfn /usr/lib/i386-linux-gnu "$base/lib/i386-linux-gnu"
ln -sfn /usr/share/wine "$base/share/wine"
cat >"$folder/wine.new" <<SCRIPT
#!/bin/sh
exec "$qemu" -0 "$folder/wine" -E WINELOADERNOEXEC=1 "$folder/wine32-loader" "\$@"
SCRIPT
chmod 755 "$folder/wine.new"
mv "$folder/wine.new" "$folder/wine"
