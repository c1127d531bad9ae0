#!/usr/bin/env bash
# The files that the Wine tests wrote with each attribute combination, seen from the Linux side: Wine keeps
# read-only as the Unix write bits and hidden in the extended attribute user.DOSATTRIB.
set -u
dir=${VELLUMINE_USB:?}/attrs
fail=0
for name in ro0h0 ro1h0 ro0h1 ro1h1; do
  f=$dir/$name
  [ -f "$f" ] || { echo "missing $f"; fail=1; continue; }
  want_ro=${name:2:1} want_h=${name:4:1}
  if [ "$(stat -c %A "$f" | cut -c3)" = w ]; then ro=0; else ro=1; fi
  dos=$(getfattr --only-values -n user.DOSATTRIB "$f" 2>/dev/null || echo 0x0)
  h=$(( (dos & 2) != 0 ))
  echo "$name: read-only $ro hidden $h (DOSATTRIB $dos)"
  [ "$ro" = "$want_ro" ] && [ "$h" = "$want_h" ] || { echo "  expected read-only $want_ro hidden $want_h"; fail=1; }
done
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
