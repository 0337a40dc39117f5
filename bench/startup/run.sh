#!/usr/bin/env bash
# Start-up benchmark: time from process start to the window mapped, and peak RSS, for Kestrel and,
# alternating in the same run, for a minimal Qt Widgets window built from the same Qt (the floor).
# Kestrel is started as a user starts it, `kestrel`, which execs kestrel-window.
# Usage: bench/startup/run.sh [BUILD_DIR] [RUNS]   (a Release build is the fair one)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
runs=${2:-25}
source "$root/bench/startup/probe.sh"

start_session
probe=$build/bench/startup_probe
for ((i = 0; i < runs; i++)); do
    probe_into "$results/floor" "$build/bench/minimal_window"
    probe_into "$results/text" "$build/bench/minimal_window" --text
    probe_into "$results/kestrel" "$build/src/app/qt/kestrel"
done

printf '%-28s %12s %14s\n' "median of $runs runs" "shown (ms)" "peak RSS (MB)"
row "minimal window (floor)" floor
row "minimal window + text" text
row "Kestrel" kestrel
printf 'Kestrel / floor: %.2f x time, %+.1f MB RSS (target <= +20)\n' \
    "$(echo "$kestrel_t / $floor_t" | bc -l)" "$(echo "($kestrel_r - $floor_r) / 1024" | bc -l)"
printf 'Kestrel / floor with text: %.2f x time (target <= 1.10)\n' \
    "$(echo "$kestrel_t / $text_t" | bc -l)"
echo "probes retried: $retried"
