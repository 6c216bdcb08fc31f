#!/usr/bin/env bash
# Checks the shipping Parvolex.exe from its headers: a 32-bit (PE32, i386) GUI program (subsystem
# 2) carrying its manifest, and importing nothing from libgcrypt or libgpg-error, which only the
# Wine test build may use. Usage: check-shipping-exe.sh build/win32/src/app/Parvolex.exe
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 EXE" >&2; exit 2; }
exe=$1
[ -f "$exe" ] || { echo "FAIL shipping exe: $exe not found"; exit 1; }

objdump=objdump
command -v i686-w64-mingw32-objdump >/dev/null && objdump=i686-w64-mingw32-objdump
# The target's objdump reads only i386 images; the host's names any other format in the failure.
headers=$("$objdump" -p "$exe" 2>/dev/null || objdump -p "$exe") ||
  { echo "FAIL shipping exe: objdump cannot read $exe"; exit 1; }

status=0
fail() { echo "FAIL shipping exe: $*"; status=1; }

format=$(grep -m1 -oE 'file format [^ ]+' <<< "$headers" | awk '{print $3}')
magic=$(awk '$1 == "Magic" {print $2; exit}' <<< "$headers")
subsystem=$(awk '$1 == "Subsystem" {print $2; exit}' <<< "$headers")
imports=$(awk '/DLL Name:/ {print $3}' <<< "$headers" | sort -u)
# The manifest is a resource of type 24 (RT_MANIFEST): an entry of the resource directory's top
# level (three spaces in), and its text names the DPI awareness.
manifest_type=$(sed -n '/^The .rsrc Resource Directory section/,$p' <<< "$headers" |
  grep -cE '^[0-9a-f]+ {3}Entry: ID: 0x0*18,' || true)
manifest_text=$(grep -ac 'dpiAwareness' "$exe" || true)

echo "-- $(basename "$exe"): format $format, magic $magic, subsystem $subsystem," \
  "manifest resources $manifest_type, dpiAwareness text ${manifest_text}x"
echo "-- imports: $(tr '\n' ' ' <<< "$imports")"

[ "$format" = pei-i386 ] || fail "format is '$format', not pei-i386"
[ "$magic" = 010b ] || fail "optional header magic is '$magic', not 010b (PE32)"
[ "$subsystem" = 00000002 ] || fail "subsystem is '$subsystem', not 2 (Windows GUI)"
[ "$manifest_type" -ge 1 ] || fail "no RT_MANIFEST (type 24) resource"
[ "$manifest_text" -ge 1 ] || fail "the manifest's dpiAwareness text is missing"
if grep -iE 'gcrypt|gpg-error' <<< "$imports"; then fail "imports libgcrypt"; fi
[ -n "$imports" ] || fail "no imports read"

[ $status -eq 0 ] && echo "-- shipping exe checks passed"
exit $status
