#!/usr/bin/env bash
# Start-up benchmark: time from process start to the window mapped, and peak RSS, for Kestrel and,
# alternating in the same run, for a minimal Qt Widgets window built from the same Qt (the floor).
# Usage: bench/startup/run.sh [BUILD_DIR] [RUNS]   (a Release build is the fair one)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
runs=${2:-25}
display=:$((200 + RANDOM % 100))

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp &
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
probe=$build/bench/startup_probe
results=$(mktemp -d)
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$results"' EXIT
for ((i = 0; i < runs; i++)); do
    "$probe" "$build/bench/minimal_window" >>"$results/floor" 2>/dev/null
    "$probe" "$build/bench/minimal_window" --text >>"$results/text" 2>/dev/null
    "$probe" "$build/src/app/qt/kestrel" >>"$results/kestrel" 2>/dev/null
done

median() { sort -n | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
row() { # label file
    local t r
    t=$(cut -d' ' -f1 "$results/$2" | median)
    r=$(cut -d' ' -f2 "$results/$2" | median)
    printf '%-24s %12.1f %14.1f\n' "$1" "$t" "$(echo "$r / 1024" | bc -l)"
    eval "${2}_t=$t ${2}_r=$r"
}
printf '%-24s %12s %14s\n' "median of $runs runs" "shown (ms)" "peak RSS (MB)"
row "minimal window (floor)" floor
row "minimal window + text" text
row "Kestrel" kestrel
printf 'Kestrel / floor: %.2f x time (target <= 1.15), %+.1f MB RSS (target <= +20)\n' \
    "$(echo "$kestrel_t / $floor_t" | bc -l)" "$(echo "($kestrel_r - $floor_r) / 1024" | bc -l)"
printf 'Kestrel / floor with text: %.2f x time\n' "$(echo "$kestrel_t / $text_t" | bc -l)"
