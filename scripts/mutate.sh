#!/usr/bin/env bash
# A mutation run: plants one fault at a time in a copy of the sources, rebuilds, and runs the plain
# suite until its first failure. A fault that some test fails on is killed; one that every test
# passes survives. Tells whether the tests catch what they are meant to catch.
#
# Usage: scripts/mutate.sh [ID-REGEX]
#   ID-REGEX  runs only the rows whose id matches it (grep -E), e.g. 'timeout|quote'.
# The faults are the rows of scripts/mutants.tsv: id, file, the exact text to replace (it must occur
# exactly once in the file), its replacement; tab-separated, "⏎" for a line break, "#" starts a
# comment line. The copy and its build live in $KESTREL_MUTATE_DIR (default /tmp/kestrel-mutate),
# kept between runs so that each fault costs an incremental build.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=${KESTREL_MUTATE_DIR:-/tmp/kestrel-mutate}
# A copy, so that the table can be edited while a run goes on.
table="$work/mutants.tsv"
tree="$work/tree"
build="$work/build"
select=${1:-.}
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

# The selected rows as "id<TAB>file", after checking that every one can be planted.
rows() {
    python3 - "$table" "$tree" "$select" <<'EOF'
import re, sys
table, tree, select = sys.argv[1:]
bad = False
for n, line in enumerate(open(table, encoding="utf-8"), 1):
    line = line.rstrip("\n")
    if not line.strip() or line.startswith("#"):
        continue
    fields = line.split("\t")
    if len(fields) != 4:
        print(f"scripts/mutants.tsv:{n}: {len(fields)} fields, not 4", file=sys.stderr); bad = True; continue
    id, path, find, _ = fields
    if not re.search(select, id):
        continue
    count = open(f"{tree}/{path}", encoding="utf-8").read().count(find.replace("⏎", "\n"))
    if count != 1:
        print(f"scripts/mutants.tsv:{n}: {id}: text found {count} times in {path}", file=sys.stderr); bad = True
    print(f"{id}\t{path}")
sys.exit(1 if bad else 0)
EOF
}

# Replaces the row's text in the copy.
plant() { # id
    python3 - "$table" "$tree" "$1" <<'EOF'
import sys
table, tree, wanted = sys.argv[1:]
for line in open(table, encoding="utf-8"):
    fields = line.rstrip("\n").split("\t")
    if len(fields) == 4 and fields[0] == wanted:
        _, path, find, replacement = (f.replace("⏎", "\n") for f in fields)
        text = open(f"{tree}/{path}", encoding="utf-8").read()
        open(f"{tree}/{path}", "w", encoding="utf-8").write(text.replace(find, replacement, 1))
EOF
}

# The copy follows the sources; a file is rewritten only when it differs, so that its new time
# makes the build take it up and nothing else is rebuilt.
sync_tree() {
    git -C "$root" ls-files -z | while IFS= read -r -d '' file; do
        [[ -f "$root/$file" ]] || continue
        if ! cmp -s "$root/$file" "$tree/$file"; then
            mkdir -p "$(dirname "$tree/$file")"
            cp "$root/$file" "$tree/$file"
        fi
    done
}

# Builds every target; ninja and ctest end with 130 on Ctrl-C, which bash then leaves to them, so
# the run stops here.
build() {
    local status=0
    cmake --build "$build" -j2 >"$work/last-build.log" 2>&1 || status=$?
    ((status != 130)) || exit 130
    return "$status"
}

# The plain suite up to its first failure; true when a test fails, with its name in $failed.
first_failure() {
    local status=0 log="$build/Testing/Temporary/LastTestsFailed.log"
    rm -f "$log"
    ctest --test-dir "$build" --stop-on-failure --timeout 120 >"$work/last-test.log" 2>&1 ||
        status=$?
    ((status != 130)) || exit 130
    ((status != 0)) || return 1
    failed=$(cut -d: -f2- "$log" 2>/dev/null | head -n1)
    failed=${failed:-ctest}
}

planted=""
restore() {
    if [[ -n "$planted" ]]; then
        cp "$root/$planted" "$tree/$planted"
        planted=""
    fi
}
trap restore EXIT
trap 'restore; exit 130' INT TERM

mkdir -p "$tree"
cp "$root/scripts/mutants.tsv" "$table"
sync_tree
rows >"$work/selected" || exit 1
mapfile -t selected <"$work/selected"
echo "== ${#selected[@]} faults; work dir $work"
cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DKESTREL_BUILD_BENCH=OFF >/dev/null
build || {
    cat "$work/last-build.log"
    echo "the unchanged sources do not build" >&2
    exit 1
}
if first_failure; then
    echo "the unchanged sources fail $failed; see $work/last-test.log" >&2
    exit 1
fi
echo "== the unchanged sources pass"

killed=0
survivors=()
unbuilt=()
total=${#selected[@]}
for i in "${!selected[@]}"; do
    IFS=$'\t' read -r id file <<<"${selected[$i]}"
    label=$(printf '[%02d/%d] %s' $((i + 1)) "$total" "$id")
    planted=$file
    plant "$id"
    if ! build; then
        echo "$label: does not build"
        unbuilt+=("$id")
    elif first_failure; then
        echo "$label: killed by $failed"
        killed=$((killed + 1))
    else
        echo "$label: survived"
        survivors+=("$id")
    fi
    restore
done

echo "== survivors: ${survivors[*]:-none}"
[[ ${#unbuilt[@]} -eq 0 ]] || echo "== do not build: ${unbuilt[*]}"
echo "== killed $killed/$total"
