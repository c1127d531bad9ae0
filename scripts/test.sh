#!/usr/bin/env bash
# Builds everything and runs every test tier: host unit tests (ASan+UBSan), fuzz targets for a bounded time, and
# the Windows tests under Wine in one Xvfb: the 64-bit build, and the shipped 32-bit build natively where this host
# runs 32-bit programs, else with Wine's 32-bit side emulated by qemu-user (scripts/host-kind.sh;
# VELLUMINE_64BIT_ONLY=1 takes that path on any host, VELLUMINE_NO_EMULATION=1 turns the emulation off, and the
# shipped exe is then checked from the Linux side only). Every asked tier runs even when one fails; the summary
# always prints, and the exit status is non-zero when anything failed. Installs what is missing first.
# Usage: scripts/test.sh [TIER...]   TIER: host, fuzz, wine (default: all three)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
asked=" ${*:-host fuzz wine} "
source scripts/host-kind.sh # once per run: deps.sh and the scripts below take its answer from the environment
host_ready
started=$(date +%s)

summary=()
skipped=0
failures=0 # tiers that failed or gave no result: every asked tier still runs, and the summary still prints
tier() { # name, ctest output file
  local line notrun
  line=$(grep -E "^[0-9]+% tests passed" "$2" | tail -1 || true)
  # CTest counts a test that says it cannot run here (exit 77: no mount, no FUSE) among the passed ones.
  notrun=$(grep -cE '^[[:space:]]+[0-9]+ - .* \(Skipped\)$' "$2" || true)
  summary+=("$1: ${line:-no result}$([ "$notrun" = 0 ] || echo ", $notrun of them skipped")")
  skipped=$((skipped + notrun))
  [[ $line == *" 0 tests failed "* ]] || failures=$((failures + 1))
}
broken() { # name, what failed
  echo "FAILED: $1: $2"
  summary+=("$1: failed: $2")
  failures=$((failures + 1))
}
skip() { # name, reason
  echo "skipped: $1: $2"
  summary+=("$1: skipped: $2")
  skipped=$((skipped + 1))
}

times=() # how long each part took, for the summary
timed() { # name, start: notes the time since start
  times+=("$1 $(($(date +%s) - $2)) s")
}

# A native tier: its preset built, its tests run, their output in build/NAME-tests.log; build/NAME-tier.time says
# how long it took, and whether its build failed. noted: its result into the summary.
native_tier() { # name, preset, test command...
  local name=$1 preset=$2 from built=""
  from=$(date +%s)
  shift 2
  mkdir -p build
  rm -f "build/$name-tier.time"
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; then
    "$@" 2>&1 | tee "build/$name-tests.log" || true
  else
    built=", unbuilt"
  fi
  echo "$name $(($(date +%s) - from)) s$built" >"build/$name-tier.time"
}
noted() { # name
  local took
  took=$(cat "build/$1-tier.time" 2>/dev/null || echo "$1 ? s, unbuilt") # ended before it could say
  if [[ $took == *unbuilt ]]; then broken "$1" "the build failed"; else tier "$1" "build/$1-tests.log"; fi
  times+=("${took%, unbuilt}")
}
host_tier() { native_tier host host ctest --preset host; }
fuzz_tier() { native_tier fuzz fuzz ctest --test-dir build/fuzz --output-on-failure -j2; }
native_tiers() { # host and fuzz, those asked
  for t in host fuzz; do
    if [[ $asked == *" $t "* ]]; then echo "== $t tier"; "${t}_tier"; fi
  done
}
native_summary() {
  for t in host fuzz; do
    if [[ $asked == *" $t "* ]]; then noted "$t"; else skip "$t" "not asked for"; fi
  done
}

# The summary: a line per tier and architecture, then one closing line over every CTest test of every tier, with
# the tiers that could not run as skipped. Exits non-zero when anything failed.
finish() {
  echo
  echo "== summary ($(($(date +%s) - started)) s; 32-bit programs: $([ "$VELLUMINE_RUNS_32BIT" = 1 ] && echo run here || echo "${VELLUMINE_NO_32BIT_WHY}"); the shipped exe ran: $VELLUMINE_WIN32_WAY)"
  printf '%s\n' "${summary[@]}"
  [ ${#times[@]} = 0 ] || (IFS=,; echo "times: ${times[*]}" | sed 's/,/, /g')
  printf '%s\n' "${summary[@]}" | awk -v skipped="$skipped" -v broken="$failures" '
    match($0, /[0-9]+ tests failed out of [0-9]+/) {
      split(substr($0, RSTART, RLENGTH), w, " "); failed += w[1]; total += w[6]; tiers += (w[1] > 0)
      if (match($0, /, [0-9]+ of them skipped/)) notrun += substr($0, RSTART + 2) + 0 }
    END { printf "total: %d passed, %d failed, %d skipped\n", total - failed - notrun, failed + broken - tiers, skipped }'
  [ "$failures" = 0 ]
  exit
}

if [[ $asked != *" wine "* ]]; then
  native_tiers
  native_summary
  skip "Wine tiers" "not asked for"
  finish
fi

echo "== building VellumineSetup.exe and the Wine tests: win32 (shipped) and win64"
built=" "
from=$(date +%s)
for arch in win32 win64; do
  if cmake --preset $arch >/dev/null && cmake --build --preset $arch; then
    built+="$arch "
  else
    broken "$arch build" "the build failed; its tests do not run"
  fi
done
timed "Windows builds" "$from"
# The Wine tiers wait most of their time (on the installer's five seconds, on slow media): the host and fuzz tiers
# are built and run beside them, behind them for the processors, their output shown when they are done.
(nice -n 19 bash -c "$(declare -f native_tier host_tier fuzz_tier native_tiers); asked='$asked' native_tiers") \
  >build/native-tiers.log 2>&1 &
native=$!

source scripts/wine-env.sh
media=(full readonly tight)
unmount_media() { for m in "${media[@]}"; do umount "$root/build/usb/$m" 2>/dev/null || true; done; }
trap 'unmount_media; wine_env_stop' EXIT
# Media for the fault tests, where mount is allowed: a 64 KiB tmpfs as drive F: (full), an 8 MiB tmpfs remounted
# read-only, already holding the install folder and an earlier settings file, as drive G: (write-protected), and an 8 MiB tmpfs as drive I:
# (room for one install and a reinstall, not for two installs). Each belongs to the test user that Wine runs as.
owner=uid=${VELLUMINE_TEST_UID:-65534},gid=${VELLUMINE_TEST_UID:-65534}
[ "$(id -u)" = 0 ] || owner=uid=$(id -u),gid=$(id -g)
drives=()
for m in "${media[@]}"; do mkdir -p "build/usb/$m"; done
unmount_media
if mount -t tmpfs -o "size=64k,$owner" tmpfs build/usb/full 2>/dev/null; then
  drives+=("f $root/build/usb/full")
  export VELLUMINE_FULL_DRIVE=F
  if mount -t tmpfs -o "size=8m,$owner" tmpfs build/usb/readonly && mkdir build/usb/readonly/Vellumine &&
    printf '[Config]\r\nUILanguage=2\r\n' >build/usb/readonly/Vellumine/QuorbixUI.ini &&
    mount -o remount,ro build/usb/readonly; then
    drives+=("g $root/build/usb/readonly")
    export VELLUMINE_READONLY_DRIVE=G
  fi
  if mount -t tmpfs -o "size=8m,$owner" tmpfs build/usb/tight; then
    drives+=("i $root/build/usb/tight")
    export VELLUMINE_TIGHT_DRIVE=I
  fi
else
  skip "fault media" "cannot mount a tmpfs here; the full, write-protected and tight medium cases skip"
fi

# Simulated media (tests/media/fuse_medium.py), FUSE file systems mapped as drives where /dev/fuse and root allow:
# J: reports 32 KiB clusters and has room for the install counted in 4 KiB clusters but not in its own; L: is a
# counterfeit stick that keeps only its first 1 MiB; M: is failing flash that changes a byte of the dictionary on
# reading; N: is honest; K: is a slow stick with write caching on (writes return at once, a
# flush takes its file's bytes at 0.5 MB/s: 4.9 s for the dictionary); P: is pulled out after 1.5 MB. (Wine never passes unbuffered opens on to Linux as O_DIRECT, so a
# medium that refuses them would see none; the unit tests refuse them instead.)
fuse_dirs=()
mount_medium() { # letter, variable, name, options...
  local letter=$1 variable=$2 name=$3 dir=$root/build/usb/$3 i
  shift 3
  mkdir -p "$dir"
  rm -f "build/usb/$name.log"
  /usr/bin/python3 tests/media/fuse_medium.py "$dir" --owner "${VELLUMINE_TEST_UID:-65534}" \
    --log "$root/build/usb/$name.log" "$@" >"build/usb/$name.out" 2>&1 &
  for i in $(seq 50); do mountpoint -q "$dir" && break; sleep 0.1; done
  mountpoint -q "$dir" || { skip "the $name medium" "it did not mount: $(tail -1 "build/usb/$name.out")"; return 1; }
  fuse_dirs+=("$dir")
  drives+=("${letter,,} $dir")
  export "$variable=$letter"
}
unmount_fuse() { for d in "${fuse_dirs[@]}"; do umount "$d" 2>/dev/null || true; done; }
for m in cluster counterfeit failing honest slow pulled; do umount "build/usb/$m" 2>/dev/null || true; done
if [ -e /dev/fuse ] && [ "$(id -u)" = 0 ]; then
  mount_medium J VELLUMINE_CLUSTER_DRIVE cluster --cluster 32768 --capacity 5275648 || true
  mount_medium L VELLUMINE_COUNTERFEIT_DRIVE counterfeit --keep 1048576 || true
  mount_medium M VELLUMINE_FAILING_DRIVE failing --flip cedict_ts.u8 || true
  mount_medium N VELLUMINE_HONEST_DRIVE honest || true
  mount_medium K VELLUMINE_SLOW_DRIVE slow --cache-rate 500000 || true
  mount_medium P VELLUMINE_PULLED_DRIVE pulled --pull-after 1500000 || true
else
  skip "simulated media" "cannot mount FUSE file systems here (needs /dev/fuse and root); their cases skip"
fi
trap 'unmount_fuse; unmount_media; wine_env_stop' EXIT

wine_tier() { # arch, how it runs
  local arch=$1 name="$1 Wine tier ($2)"
  echo "== $name: VellumineSetup.exe and its tests under Wine, as an unprivileged user"
  local from only=()
  from=$(date +%s)
  wine_env_start "$arch" || { broken "$name" "Wine could not be started"; return; }
  for d in "${drives[@]}"; do wine_env_map $d; done
  hand_over "build/$arch"
  # Where the shipped exe runs, its tier works it end to end; the 64-bit build's proves its own code in-process.
  if [ "$arch" = win64 ] && [ "$VELLUMINE_WIN32_WAY" != none ] && [[ $built == *" win32 "* ]]; then
    only=(-LE whole-exe)
    name+=", the shipped exe's end-to-end tests left to its tier"
  fi
  # The install's own code in-process (the power cuts by name and batched, the fault sweep's sample) is proved by
  # the 64-bit build, where that ran: the shipped exe's tier does the rest.
  if [ "$arch" = win32 ] && [[ $built == *" win64 "* ]]; then
    only=(-LE in-process)
    name+=", the in-process power cuts and fault sweep left to the win64 tier"
  fi
  ctest --preset "$arch" -j2 "${only[@]}" 2>&1 | tee "build/$arch-tests.log" || true
  tier "$name" "build/$arch-tests.log"
  timed "$arch Wine tier" "$from"
  # Each Wine test program runs many GoogleTest cases as one CTest test: count those too.
  local log=build/$arch/Testing/Temporary/LastTest.log passed skippedCases
  passed=$(awk '/^\[  PASSED  \] [0-9]+ tests?\./ {n += $4} END {print n + 0}' "$log")
  skippedCases=$(awk '/^\[  SKIPPED \] [0-9]+ tests?,/ {n += $4} END {print n + 0}' "$log")
  summary+=("$name: $passed GoogleTest cases passed ($skippedCases of them skipped) in win32_tests and e2e_tests")
  wine_env_stop_prefix
  mkdir -p build/screenshots
  for f in "$VELLUMINE_USB"/screenshots/*.bmp; do
    if [ -f "$f" ]; then /usr/bin/convert "$f" "build/screenshots/$arch-$(basename "${f%.bmp}").png"; fi
  done
}

[[ $built == *" win64 "* ]] && wine_tier win64 natively
# The shipped 32-bit exe: natively where this host runs 32-bit code, else with Wine's 32-bit side under qemu-user.
win32_way_ready
if [[ $built != *" win32 "* ]]; then
  :
elif [ "$VELLUMINE_WIN32_WAY" = native ]; then
  wine_tier win32 natively
elif [ "$VELLUMINE_WIN32_WAY" = emulated ]; then
  wine_tier win32 "emulated by qemu-user"
else
  skip "win32 Wine tier" "$VELLUMINE_NO_32BIT_WHY"
  echo "== win32 shipped exe, checked from the Linux side: PE hardening, reproducible build"
  ctest --preset win32 -L linux-side 2>&1 | tee build/win32-linux-tests.log || true
  tier "win32 shipped exe (Linux side)" build/win32-linux-tests.log
fi

wait "$native" || true
cat build/native-tiers.log
native_summary
finish
