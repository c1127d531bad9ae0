#!/usr/bin/env bash
# The packer with a maker's folder: a complete folder packs; a missing or misnamed file, one too big for the
# installer's payload buffer, a settings file longer than the installer reads back (1 MiB less the 64 bytes the
# language entry may add), or one that cannot be read is a build error that names it.
#   packer_checks.sh PACKER
set -u
packer=${1:?the packer}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
names=$(grep '^MANIFEST_ROW' "$root/src/install/manifest.def" | grep InFolder | sed -E 's/[^"]*"([^"]*)".*/\1/')
fail=0 passed=0
# case: how to spoil the maker's folder | exit status | what stderr must say
while IFS='|' read -r spoil want_status want_text; do
  rm -rf "$work/maker" "$work/out" && mkdir -p "$work/maker" "$work/out"
  for n in $names; do [ -f "$root/payload/$n" ] || printf 'maker %s\n' "$n" >"$work/maker/$n"; done
  (cd "$work/maker" && eval "$spoil")
  "$packer" --zopfli 0 --maker "$work/maker" "$work/out" "$work/out/payload.rc" "$root/payload" 2>"$work/err"
  status=$?
  if [ "$status" = "$want_status" ] && { [ -z "$want_text" ] || grep -qF -- "$want_text" "$work/err"; }; then
    passed=$((passed + 1))
  else
    echo "case '$spoil': exit $status, expected $want_status with '$want_text'; it said:"; cat "$work/err"; fail=$((fail + 1))
  fi
done <<'CASES'
true|0|
mv TOOLBAR.JPG Toolbar.jpg|1|maker/Toolbar.jpg: file names must match in case too
rm sort.dic ZiDef.dic|1|2 installed files are missing
head -c 4194305 /dev/zero >cedict_ts.u8|1|cedict_ts.u8 is 4194305 bytes, more than the installer's 4194304-byte payload buffer
rm cedict_ts.u8 && mkdir cedict_ts.u8|1|cannot read
head -c 1048513 /dev/zero >QuorbixUI.ini|1|QuorbixUI.ini is 1048513 bytes, more than the 1048512 bytes the installer reads back
CASES
echo "$passed passed, $fail failed"
[ $fail = 0 ]
