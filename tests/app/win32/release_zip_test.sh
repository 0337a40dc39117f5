#!/usr/bin/env bash
# The release zips as a technician gets them: kestrel.exe, its console launcher kestrel.com and
# LEIA-ME.txt and nothing else; the program at most 4 MB, the launcher a console program, built for the zip's architecture (x64 or x86) and saying so in its
# manifest, and importing only functions of Windows' own DLLs that Windows 7 SP1 already has
# (import_check.sh), so that it starts with nothing installed beside it.
# Usage: tests/app/win32/release_zip_test.sh ZIP...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 ZIP..." >&2; exit 2; }
here=$(cd "$(dirname "$0")" && pwd)
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

for zip in "$@"; do
    name=$(basename "$zip")
    folder=$unpacked/${name%.zip}
    python3 -m zipfile -e "$zip" "$folder"
    entries=$(cd "$folder" && find . -type f -printf '%P\n' | sort | tr '\n' ' ')
    [ "$entries" = "LEIA-ME.txt kestrel.com kestrel.exe " ] || fail "$name holds: $entries"

    exe=$folder/kestrel.exe
    size=$(stat -c %s "$exe")
    [ "$size" -le $((4 * 1024 * 1024)) ] || fail "$name: kestrel.exe is $size bytes, more than 4 MB"

    # The zip's name, the program's machine type and its manifest's architecture agree.
    case $name in
        *-windows-x64.zip) format=pei-x86-64 manifest=amd64 ;;
        *-windows-x86.zip) format=pei-i386 manifest=x86 ;;
        *) format="" manifest="" && fail "$name names no architecture" ;;
    esac
    x86_64-w64-mingw32-objdump -f "$exe" | grep -q "file format $format\$" ||
        fail "$name: kestrel.exe is not $format"
    grep -aq "name=\"Norvik.Kestrel\" version=\"1.0.0.0\" processorArchitecture=\"$manifest\"" "$exe" ||
        fail "$name: the manifest does not name $manifest"

    com=$folder/kestrel.com
    x86_64-w64-mingw32-objdump -f "$com" | grep -q "file format $format\$" ||
        fail "$name: kestrel.com is not $format"
    # Subsystem 3 is the console's, 2 a window program's.
    subsystem_of() { x86_64-w64-mingw32-objdump -p "$1" | sed -n 's/^Subsystem[[:space:]]*//p'; }
    [[ $(subsystem_of "$com") == 00000003* ]] || fail "$name: kestrel.com is not a console program"
    [[ $(subsystem_of "$exe") == 00000002* ]] || fail "$name: kestrel.exe is not a window program"

    "$here/import_check.sh" "$exe" "$com" >/dev/null ||
        fail "$name: kestrel.exe or kestrel.com imports what Windows 7 lacks"
    dlls=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' |
        sort -u | tr '\n' ' ')

    grep -q "ODBC Driver 18 for SQL Server" "$folder/LEIA-ME.txt" || fail "$name: LEIA-ME.txt names no driver"
    grep -q "/relatorio" "$folder/LEIA-ME.txt" || fail "$name: LEIA-ME.txt does not tell the report"
    echo "release zip: $name, kestrel.exe $size bytes, imports from: $dlls"
done
[ "$failures" -eq 0 ]
