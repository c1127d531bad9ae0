#!/usr/bin/env bash
# An install that the Wine tests left, seen from the Linux side: every file byte for byte against the payload it
# came from, read-only as the Unix write bits, hidden in user.DOSATTRIB, nothing in the drive root.
#   check_install.sh STANDIN_DIR [DRIVE [LANGUAGE]]     (default: drive E, language 1)
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
standins=${1:?the stand-in folder}
drive=${2:-E}
language=${3:-1}
usb=$(dirname "${VELLUMINE_USB:?}")/$drive
dir=$usb/Vellumine
fail=0
checked=0
while IFS= read -r line; do
  id=$(echo "$line" | sed -E 's/MANIFEST_ROW\(([0-9]+),.*/\1/')
  where=$(echo "$line" | sed -E 's/MANIFEST_ROW\([0-9]+, ([A-Za-z]+),.*/\1/')
  name=$(echo "$line" | sed -E 's/[^"]*"([^"]*)".*/\1/')
  flags=$(echo "$line" | sed -E 's/[^"]*"[^"]*", ([01]), ([01]),.*/\1\2/')
  if [ "$where" = InDriveRoot ]; then
    leaf=${name#%c:\\\\}
    [ -e "$usb/$leaf" ] && { echo "written to the drive root: $leaf"; fail=1; }
    continue
  fi
  f=$dir/$name
  [ -f "$f" ] || { echo "missing $name"; fail=1; continue; }
  src=$root/payload/$name
  [ -f "$src" ] || src=$standins/$name
  if [ "$id" = 120 ]; then
    expected=$(mktemp)
    { cat "$src"; printf '\r\n[Config]\r\nUILanguage=%s\r\n\r\n' "$language"; } >"$expected"
    cmp -s "$f" "$expected" || { echo "$name: not the payload plus the language entry"; fail=1; }
    rm -f "$expected"
  else
    cmp -s "$f" "$src" || { echo "$name differs from $src"; fail=1; }
  fi
  if [ "$(stat -c %A "$f" | cut -c3)" = w ]; then ro=0; else ro=1; fi
  dos=$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null || echo 0x0)
  h=$(( (dos & 2) != 0 ))
  [ "$ro$h" = "$flags" ] || { echo "$name: read-only/hidden $ro$h, expected $flags"; fail=1; }
  checked=$((checked + 1))
done < <(grep '^MANIFEST_ROW' "$root/src/install/manifest.def")
echo "checked $checked installed files"
[ "$checked" = 32 ] || fail=1
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
