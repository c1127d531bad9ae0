#!/usr/bin/env bash
# Writes NSIS scripts that install the same files with the same attributes as our installer, from the manifest:
#   make_nsis.sh PAYLOAD_DIR STANDIN_DIR OUT_DIR [TARGET]   (TARGET: x86-ansi, the default, or amd64-unicode)
# nsis_zlib.nsi (zlib, not solid), nsis_lzma.nsi (/SOLID lzma) and nsis_empty.nsi (no files, the empty-process
# contender).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
payload=$1 standins=$2 out=$3 target=${4:-x86-ansi}
mkdir -p "$out"
body=$(mktemp)
while IFS= read -r line; do
  where=$(echo "$line" | sed -E 's/MANIFEST_ROW\([0-9]+, ([A-Za-z]+),.*/\1/')
  [ "$where" = InFolder ] || continue
  name=$(echo "$line" | sed -E 's/[^"]*"([^"]*)".*/\1/')
  flags=$(echo "$line" | sed -E 's/[^"]*"[^"]*", ([01]), ([01]),.*/\1\2/')
  src=$payload/$name
  [ -f "$src" ] || src=$standins/$name
  echo "  File \"/oname=$name\" \"$src\""
  [ "$name" = QuorbixUI.ini ] && echo '  WriteINIStr "$INSTDIR\QuorbixUI.ini" Config UILanguage 1'
  case $flags in
    11) echo "  SetFileAttributes \"\$INSTDIR\\$name\" READONLY|HIDDEN" ;;
    10) echo "  SetFileAttributes \"\$INSTDIR\\$name\" READONLY" ;;
  esac
done < <(grep '^MANIFEST_ROW' "$root/src/install/manifest.def") >"$body"
write() { # name, compressor line, with files
  {
    if [ "$target" = x86-ansi ]; then echo 'Unicode false'; else echo 'Unicode true'; fi
    echo "Target $target"
    echo 'Name "Vellumine"'
    echo "OutFile \"$out/$1.exe\""
    echo "$2"
    echo 'InstallDir "K:\Vellumine"'
    echo 'RequestExecutionLevel user'
    echo 'Page directory'
    echo 'Page instfiles'
    echo 'Section'
    echo '  SetOutPath "$INSTDIR"'
    [ "$3" = yes ] && cat "$body"
    echo 'SectionEnd'
  } >"$out/$1.nsi"
}
write nsis_zlib "SetCompressor zlib" yes
write nsis_lzma "SetCompressor /SOLID lzma" yes
write nsis_empty "SetCompressor zlib" no
rm -f "$body"
