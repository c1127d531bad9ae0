#!/usr/bin/env bash
# Signing as a maker would, with a throw-away self-signed code-signing certificate made here: the signed copy
# passes osslsigncode's verification against that certificate, a copy with one byte flipped fails it, and
# SHA256SUMS checks. With INSTALL=1 (a build whose programs run here) the signed copy then installs onto E:
# through the wizard, and the tree is checked as usual.
#   check_signing.sh BUILT_EXE WALKTHROUGH_EXE STANDIN_DIR INSTALL
set -u
built=${1:?} walkthrough=${2:?} standins=${3:?} install=${4:-0}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/vellumine-sign.XXXXXX)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { # what, command...
  local what=$1
  shift
  if "$@" >"$work/out" 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)); echo "FAILED: $what"; cat "$work/out"; fi
}
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Vellumine test signing" -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:test-only
VELLUMINE_SIGN_PKCS12=$work/cert.p12 VELLUMINE_SIGN_PASSWORD=test-only bash "$root/scripts/release.sh" "$built" "$work/release" >/dev/null
signed=$work/release/VellumineSetup.exe
check "the signed copy verifies" osslsigncode verify -CAfile "$work/cert.pem" -in "$signed"
check "SHA256SUMS covers the signed copy" sh -c "cd '$work/release' && sha256sum -c SHA256SUMS"
check "the unsigned exe is untouched" cmp -s "$built" "$(dirname "$built")/release/VellumineSetup.exe"
cp "$signed" "$work/flipped.exe"
size=$(stat -c %s "$work/flipped.exe")
offset=$((size / 3))
byte=$(dd if="$work/flipped.exe" bs=1 skip=$offset count=1 2>/dev/null | od -An -tu1 | tr -d ' ')
printf "$(printf '\\%03o' $((byte ^ 1)))" | dd of="$work/flipped.exe" bs=1 seek=$offset conv=notrunc 2>/dev/null
check "a flipped byte fails verification" sh -c "! osslsigncode verify -CAfile '$work/cert.pem' -in '$work/flipped.exe'"
if [ "$install" = 1 ]; then
  mkdir -p "$work/run"
  cp "$signed" "$walkthrough" "$work/run/"
  chmod -R a+rwX "$work"
  check "the signed copy installs onto E:" "$root/scripts/wine-run.sh" "$VELLUMINE_WINE_ARCH" "$work/run/$(basename "$walkthrough")"
  check "the installed tree" bash "$root/tests/win32/check_install.sh" "$standins" E 1
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
