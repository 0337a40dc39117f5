#!/usr/bin/env bash
# Every ELF file under the folders given (programs, libraries, the package's unpacked tree) takes
# its libraries only from where the system keeps them: no RPATH or RUNPATH entry that is empty, "."
# or relative (the loader reads those from the current directory, so a folder holding a library of
# that name would be loaded into the program), and none the file does not need (one that holds none
# of the libraries it names). Kestrel uses system libraries only, so it needs no run path at all.
# Usage: tests/package/run_path_check.sh FOLDER...
set -euo pipefail
[ $# -gt 0 ] || { echo "usage: $0 FOLDER..." >&2; exit 2; }
checked=0
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

# The entries of a run path, one a line, each once; empty ones kept (an empty path is one).
entries_of() {
    awk -v path="$1" 'BEGIN {
        n = split(path, part, ":")
        if (n == 0) print ""
        for (i = 1; i <= n; i++) if (!seen[part[i]]++) print part[i]
    }'
}

check_entry() { # file path entry needed-libraries
    case $3 in
        /* | '$ORIGIN'* | '${ORIGIN}'*) ;;
        *)
            fail "$1: run path [$2] holds \"$3\", which the loader reads from the current directory"
            return
            ;;
    esac
    local folder library
    folder=${3//\$\{ORIGIN\}/$(dirname "$1")}
    folder=${folder//\$ORIGIN/$(dirname "$1")}
    for library in $4; do
        [ -e "$folder/$library" ] && return
    done
    fail "$1: run path [$2] holds \"$3\", where none of its libraries is"
}

while IFS= read -r -d '' file; do
    [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ] || continue
    checked=$((checked + 1))
    dynamic=$(readelf -d "$file" 2>/dev/null) || continue
    needed=$(sed -n 's/.*(NEEDED).*\[\(.*\)\]$/\1/p' <<<"$dynamic")
    while IFS= read -r path; do
        while IFS= read -r entry; do
            check_entry "$file" "$path" "$entry" "$needed"
        done < <(entries_of "$path")
    done < <(sed -n 's/.*(R\(UN\)\{0,1\}PATH).*: \[\(.*\)\]$/\2/p' <<<"$dynamic")
done < <(find "$@" -type f -size +3c -print0)

echo "run paths: $checked ELF files checked, $failures faults"
[ "$checked" -gt 0 ] || fail "no ELF file under $*"
[ "$failures" -eq 0 ]
