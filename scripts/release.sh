#!/usr/bin/env bash
# Publishes a built installer:  release.sh BUILT_EXE OUTDIR
# OUTDIR receives VellumineSetup.exe and SHA256SUMS. When VELLUMINE_SIGN_PKCS12 names a PKCS#12 file (certificate
# and key; its password in VELLUMINE_SIGN_PASSWORD), the copy is signed with Authenticode, SHA-256, by Debian's
# osslsigncode, timestamped by VELLUMINE_SIGN_TIMESTAMP when that names a server. Without a certificate the copy is
# the built exe byte for byte. The build runs this for the win32 preset (build/win32/release/).
set -euo pipefail
built=${1:?the built VellumineSetup.exe}
out=${2:?the release folder}
mkdir -p "$out"
if [ -n "${VELLUMINE_SIGN_PKCS12:-}" ]; then
  command -v osslsigncode >/dev/null || { echo "release: signing needs osslsigncode (apt-get install osslsigncode)" >&2; exit 1; }
  timestamp=()
  [ -n "${VELLUMINE_SIGN_TIMESTAMP:-}" ] && timestamp=(-ts "$VELLUMINE_SIGN_TIMESTAMP")
  rm -f "$out/VellumineSetup.exe.signing"
  # The password reaches osslsigncode through a pipe (printf is a shell builtin), never on a command line, where
  # every user of the machine could read it in the process list.
  osslsigncode sign -pkcs12 "$VELLUMINE_SIGN_PKCS12" -readpass <(printf '%s' "${VELLUMINE_SIGN_PASSWORD:-}") -h sha256 \
    -n "Vellumine Installer" "${timestamp[@]}" -in "$built" -out "$out/VellumineSetup.exe.signing" >/dev/null
  mv "$out/VellumineSetup.exe.signing" "$out/VellumineSetup.exe"
  echo "release: $out/VellumineSetup.exe, signed"
else
  cp "$built" "$out/VellumineSetup.exe"
fi
(cd "$out" && sha256sum VellumineSetup.exe >SHA256SUMS)
