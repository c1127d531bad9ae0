#!/usr/bin/env bash
# Power lost or the stick pulled at any moment of an install and of a reinstall in another language, on a medium
# that keeps what a FAT stick under Windows' FAT driver keeps (tests/media/fat_tree.py):
#   power_cut_check.sh BUILD_DIR STANDIN_DIR [WAY]
# Without WAY, each install goes through the real VellumineSetup.exe of BUILD_DIR (e2e_walkthrough); with WAY, the
# install sequence runs in-process (bench/install_bench ours, which sets the install code's seams: "by-name" sets the
# read-only bit by name, as Windows without SetFileInformationByHandle does; "batched" flushes the files as on a
# FAT drive, the root twice and no file on its own). Each install must flush every file and then the root once,
# or, batched, the root twice and nothing else; a reinstall flushes the root once more, after its earlier files go.
# In-process, a third install then fails at its last rename (the application's, refused) and puts every earlier
# file back. The medium records the installs; tests/media/power_cut.py then replays them and cuts the power after
# every operation, both ways. Checked: no installed name ever holds a torn file; pulled after the last install, the
# medium holds the whole reinstall with the second language and every attribute; and at three of the cuts, and
# in-process at a fourth in the failed install's putting back (through the exe, at the first), the installer, run
# again on what survived, succeeds with the right tree and nothing left over.
# Needs root and /dev/fuse (scripts/test.sh runs it so); otherwise it is skipped (exit 77).
set -u
build=${1:?the build folder}
standins=${2:?the stand-in folder}
way=${3:-}
root=$(cd "$(dirname "$0")/../.." && pwd)
[ -e /dev/fuse ] && [ "$(id -u)" = 0 ] && [ -n "${WINEPREFIX:-}" ] || { echo "skipped: needs FUSE, root and Wine"; exit 77; }
usb=$(dirname "${VELLUMINE_USB:?}")
work=$usb/power-$(basename "$build")${way:+-$way}
mount=$work/medium
fail=0

unmount() { # the medium, and its process gone
  [ -n "${medium_pid:-}" ] || return 0
  umount "$mount" 2>/dev/null || umount -l "$mount"
  wait "$medium_pid" 2>/dev/null
  medium_pid=""
}
medium() { # mounts the medium as drive W: with the options given, once the one before it is gone
  unmount
  mkdir -p "$mount"
  /usr/bin/python3 "$root/tests/media/fuse_medium.py" "$mount" --owner "${VELLUMINE_TEST_UID:-65534}" "$@" \
    >"$work/medium.out" 2>&1 &
  medium_pid=$!
  for _ in $(seq 100); do mountpoint -q "$mount" && break; sleep 0.1; done
  mountpoint -q "$mount" || { echo "FAILED: the medium did not mount: $(tail -1 "$work/medium.out")"; exit 1; }
  ln -sfn "$mount" "$WINEPREFIX/dosdevices/w:"
}
install() { # language, what is being done[, the in-process way, the exit status expected]
  local driver=("$build/e2e_walkthrough.exe" W "$1") status=0
  [ -z "$way" ] || driver=("$build/bench/install_bench.exe" ours 'W:\Vellumine' "$1" "${3:-$way}")
  "$root/scripts/wine-run.sh" "${VELLUMINE_WINE_ARCH:-win32}" "${driver[@]}" >"$work/driver.out" 2>&1 || status=$?
  [ $status = "${4:-0}" ] ||
    { echo "FAILED: $2 (exit $status): $(tail -3 "$work/driver.out" | tr -d '\r' | tr '\n' ' ')"; fail=1; }
}
whole() { # folder under build/usb, language, what is being checked
  local out
  out=$(bash "$root/tests/win32/check_install.sh" "$standins" "$1" "$2" 2>&1) || { echo "FAILED: $3: $out"; fail=1; }
  local extra
  extra=$(ls -A "$usb/$1/Vellumine" | grep -vxFf <(sed -nE 's/^MANIFEST_ROW\([0-9]+, InFolder, "([^"]+)".*/\1/p' \
    "$root/src/install/manifest.def"))
  [ -z "$extra" ] || { echo "FAILED: $3: left over: $extra"; fail=1; }
}

rm -rf "$work"
mkdir -p "$work"
trap unmount EXIT
medium --record "$work/record"
install 0 "the first install"
second=$(stat -c %s "$work/record")
install 2 "the reinstall in another language"
third=()
if [ -n "$way" ]; then # a third install fails at its last rename and puts every earlier file back
  third=(--third "$(stat -c %s "$work/record")")
  install 1 "the failed install" "$way-refused" 1
fi
unmount
flushes=(32 1 2)
[ "$way" = batched ] && flushes=(0 2 3)
/usr/bin/python3 "$root/tests/media/power_cut.py" "$work/record" /Vellumine "$standins" --second "$second" \
  "${third[@]}" --pulled "$work/pulled" --cuts "$work/cuts" --flushes "${flushes[@]}" || fail=1
whole "$(basename "$work")/pulled" 2 "pulled right after the reinstall's success"
for cut in "$work"/cuts/*; do
  # Through the exe once (each run waits the wizard's five seconds); in-process at every cut.
  [ -n "$way" ] || [ "$(basename "$cut")" = 1 ] || continue
  medium --image "$cut"
  install 1 "installing again after cut $(basename "$cut")"
  whole "$(basename "$work")/medium" 1 "installed again after cut $(basename "$cut")"
done
[ $fail = 0 ] && echo "1 passed, 0 failed" || echo "0 passed, 1 failed"
exit $fail
