#!/usr/bin/env bash
# Lists every function that each Windows program imports and fails on one that the table of
# packaging/windows/imports.tsv does not hold, or holds with a minimum Windows newer than Windows 7:
# Windows refuses to start a program that imports a function it lacks, before its first line
# runs. A new import goes into the table deliberately, with the minimum its reference page gives.
# It also fails on a DLL that is neither one of Windows' known DLLs nor side-by-side, as the table
# says: Windows looks for such a DLL in the program's folder first, where anyone may have put one.
# Usage: tests/app/win32/import_check.sh EXE...
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
table=$root/packaging/windows/imports.tsv
# The table's minimums, oldest first; kestrel.exe runs on Windows 7 SP1 and later.
versions=("Windows 2000" "Windows XP" "Windows Vista" "Windows 7" "Windows 8" "Windows 8.1"
    "Windows 10 1607")
oldest_supported="Windows 7"
failures=0

rank_of() {
    local i
    for i in "${!versions[@]}"; do
        [ "${versions[$i]}" = "$1" ] && { echo "$i"; return; }
    done
    echo -1
}
limit=$(rank_of "$oldest_supported")

# "dll<TAB>function" for each import, by name; an import by ordinal reads "dll<TAB>#ordinal".
imports_of() {
    x86_64-w64-mingw32-objdump -p "$1" | awk -F'\t' '
        /^\tDLL Name: / { dll = tolower(substr($2, 11)); next }
        /^[^\t]/ { dll = "" }
        dll != "" && /^\t[0-9a-f]+\t/ {
            n = split($3, field, " ")
            print dll "\t" (n >= 2 ? field[2] : "#" field[1])
        }' | sort -u
}

declare -A minimum found_as
while IFS=$'\t' read -r dll function min _; do
    [[ -z "$dll" || "$dll" == \#* ]] && continue
    if [ "$function" = "*" ]; then
        found_as["$dll"]=$min
    else
        minimum["$dll	$function"]=$min
    fi
done <"$table"

for exe in "$@"; do
    count=0
    oldest=0
    while IFS=$'\t' read -r dll function; do
        count=$((count + 1))
        case ${found_as["$dll"]-} in
            "known DLL" | side-by-side) ;;
            *)
                echo "FAIL: $(basename "$exe") imports $dll!$function; $dll is neither a known DLL" \
                    "nor side-by-side, so Windows would look for it in the program's folder" >&2
                failures=$((failures + 1))
                ;;
        esac
        min=${minimum["$dll	$function"]-}
        if [ -z "$min" ]; then
            echo "FAIL: $(basename "$exe") imports $dll!$function, which $table does not list" >&2
            failures=$((failures + 1))
            continue
        fi
        rank=$(rank_of "$min")
        if [ "$rank" -lt 0 ] || [ "$rank" -gt "$limit" ]; then
            echo "FAIL: $(basename "$exe") imports $dll!$function, of $min: newer than $oldest_supported" >&2
            failures=$((failures + 1))
        fi
        [ "$rank" -gt "$oldest" ] && oldest=$rank
    done < <(imports_of "$exe")
    if [ "$count" -eq 0 ]; then
        echo "FAIL: objdump found no imports in $exe" >&2
        failures=$((failures + 1))
    fi
    echo "$(basename "$exe"): $count functions imported, newest minimum: ${versions[$oldest]}"
done
[ "$failures" -eq 0 ]
