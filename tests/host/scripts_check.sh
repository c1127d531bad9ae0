#!/usr/bin/env bash
# The scripts' choice of path on this host: VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path whatever the
# probe finds, the probe's answer comes with a one-line reason when it is no, and the benchmark says in one line
# that it needs 32-bit programs and gives no figures on that path.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
passed=0 failed=0
expect() { # what, expected, actual
  if [ "$2" = "$3" ]; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "$1: '$3', expected '$2'"; fi
}
kind() { env -u VELLUMINE_RUNS_32BIT "$@" bash -c "source '$root/scripts/host-kind.sh'; echo \"\$VELLUMINE_RUNS_32BIT|\$VELLUMINE_NO_32BIT_WHY\""; }

forced=$(kind VELLUMINE_64BIT_ONLY=1)
expect "forced path" "0|VELLUMINE_64BIT_ONLY=1 forces the 64-bit-only path" "$forced"
probed=$(kind VELLUMINE_64BIT_ONLY=0)
case $probed in
  "1|") expect "probe: runs 32-bit programs" "1|" "$probed" ;;
  0\|*) expect "probe: a one-line reason" 1 "$(echo "${probed#0|}" | grep -c .)" ;;
  *) expect "probe" "0|reason or 1|" "$probed" ;;
esac
bench=$(env -u VELLUMINE_RUNS_32BIT VELLUMINE_64BIT_ONLY=1 bash "$root/bench/run_bench.sh" 3 2>&1)
expect "bench exit and lines" "0 1" "$? $(echo "$bench" | grep -c .)"
expect "bench says why" 1 "$(echo "$bench" | grep -c "needs a host that runs 32-bit programs")"
"$root/scripts/wine-run.sh" win16 x.exe >/dev/null 2>&1
expect "wine-run refuses an unknown architecture" 2 "$?"
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
