#!/usr/bin/env bash
# Builds a libFuzzer target (fuzz/TARGET.cpp) with clang in build-fuzz and runs it for a bounded
# time or number of runs, keeping its corpus there between runs.
#   scripts/fuzz.sh TARGET [SECONDS|-runs=N]      (default: 60 seconds)
# Needs clang and, on Debian, libclang-rt-14-dev. Exits non-zero when the target finds a failure;
# the input that caused it is written to build-fuzz/artifacts/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
usage() { echo "usage: $0 TARGET [SECONDS|-runs=N]" >&2; exit 2; }
[ $# -ge 1 ] && [ $# -le 2 ] || usage
target=$1
bound=${2:-60}
case $bound in
    -runs=[0-9]*) limit=("$bound") ;;
    *[!0-9]* | "") usage ;;
    *) limit=(-max_total_time="$bound") ;;
esac
[ -f "$root/fuzz/$target.cpp" ] || { echo "no fuzz/$target.cpp" >&2; exit 2; }

build=$root/build-fuzz
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKESTREL_FUZZ=ON -DKESTREL_BUILD_APP=OFF >/dev/null
cmake --build "$build" --target "$target"
binary=$(find "$build" -type f -name "$target" -perm -u+x | head -n 1)

corpus=$build/corpus/$target
mkdir -p "$corpus" "$build/artifacts"
options=("${limit[@]}" -print_final_stats=1 -artifact_prefix="$build/artifacts/$target-")
[ -f "$root/fuzz/$target.dict" ] && options+=(-dict="$root/fuzz/$target.dict")

log=$build/$target.log
start=$(date +%s)
status=0
"$binary" "${options[@]}" "$corpus" >"$log" 2>&1 || status=$?
seconds=$(($(date +%s) - start))
tail -n 30 "$log"
execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
echo "$target: ${execs:-?} executions in $seconds s, corpus $(ls "$corpus" | wc -l) inputs," \
    "$([ "$status" -eq 0 ] && echo "no failure" || echo "FAILURE (exit $status), see $build/artifacts")"
exit "$status"
