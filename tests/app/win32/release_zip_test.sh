#!/usr/bin/env bash
# The release zip as a technician gets it: kestrel.exe and LEIA-ME.txt and nothing else; the
# program at most 4 MB and importing only DLLs that every Windows 10 and 11 has, so that it runs
# with nothing installed beside it (the ODBC drivers are the machine's own).
# Usage: tests/app/win32/release_zip_test.sh ZIP
set -euo pipefail
zip=$1
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

python3 -m zipfile -e "$zip" "$unpacked"
entries=$(cd "$unpacked" && find . -type f -printf '%P\n' | sort | tr '\n' ' ')
[ "$entries" = "LEIA-ME.txt kestrel.exe " ] || fail "the zip holds: $entries"

exe=$unpacked/kestrel.exe
size=$(stat -c %s "$exe")
[ "$size" -le $((4 * 1024 * 1024)) ] || fail "kestrel.exe is $size bytes, more than 4 MB"

# System DLLs of every Windows 10 and 11; msvcrt.dll is the C run-time that Windows itself uses.
allowed="advapi32.dll comctl32.dll gdi32.dll kernel32.dll msvcrt.dll odbc32.dll user32.dll ws2_32.dll"
imports=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
[ -n "$imports" ] || fail "objdump found no imports in kestrel.exe"
for dll in $imports; do
    [[ " $allowed " == *" $dll "* ]] || fail "kestrel.exe imports $dll"
done

grep -q "ODBC Driver 18 for SQL Server" "$unpacked/LEIA-ME.txt" || fail "LEIA-ME.txt names no driver"

[ "$failures" -eq 0 ] || exit 1
echo "release zip: $(basename "$zip"), kestrel.exe $size bytes, imports: $(echo $imports)"
