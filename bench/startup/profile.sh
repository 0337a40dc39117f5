#!/usr/bin/env bash
# Start-up in instructions, which a busy machine does not move as it moves time: valgrind's
# callgrind from the process's start to the window's map request (the moment run.sh's time ends
# at, when the X server maps it) and on to the end of its first paint handed to X, for the minimal
# window, bare and with one label, and for `kestrel` as a user starts it. callgrind writes nothing
# for a program that execs, so `kestrel`'s own part is counted apart: a copy alone in a folder,
# where it finds no window program and ends.
# Usage: bench/startup/profile.sh [BUILD_DIR]   (a Release build; KEEP=DIR keeps the profiles)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build-release}
source "$root/bench/startup/probe.sh"

start_session

# Prints the instructions up to the map request and up to the end of the first paint of NAME's
# window; the profiles are results/NAME.PID.1 and .2. Children are followed through exec, not
# D-Bus's autolaunch.
instructions() { # name command...
    local name=$1 part=""
    shift
    valgrind --tool=callgrind --dump-instr=no --trace-children=yes \
        --trace-children-skip='*dbus*' --dump-after=xcb_map_window \
        --dump-after='QWidgetRepaintManager::flush()' \
        --callgrind-out-file="$results/$name.%p" "$@" >/dev/null 2>"$results/$name.log" &
    local pid=$!
    for _ in $(seq 1200); do
        part=$(ls "$results/$name.$pid.2" 2>/dev/null || true)
        [ -n "$part" ] && break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -n "$part" ] || { echo "$name showed no window within two minutes" >&2; exit 1; }
    local mapped painted
    mapped=$(sed -n 's/^summary: //p' "$results/$name.$pid.1")
    painted=$(sed -n 's/^summary: //p' "$part")
    echo "$mapped $((mapped + painted))"
}

floor=$(instructions floor "$build/bench/minimal_window")
text=$(instructions text "$build/bench/minimal_window" --text)
window=$(instructions kestrel "$build/src/app/qt/kestrel")
read -r floor_map floor_paint <<<"$floor"
read -r text_map text_paint <<<"$text"
read -r window_map window_paint <<<"$window"
mkdir "$results/alone"
cp "$build/src/app/qt/kestrel" "$results/alone/"
valgrind --tool=callgrind --dump-instr=no --callgrind-out-file="$results/alone.out" \
    "$results/alone/kestrel" >/dev/null 2>&1 || true
own=$(sed -n 's/^summary: //p' "$results/alone.out")
[ -z "${KEEP:-}" ] || cp "$results"/*.[12] "$results/alone.out" "$KEEP"

mega() { printf '%.1f' "$(echo "$1 / 1000000" | bc -l)"; }
row() { printf '%-34s %12sM %13sM\n' "$1" "$(mega "$2")" "$(mega "$3")"; }
printf '%-34s %13s %14s\n' "instructions" "to the map" "to the paint"
row "minimal window (floor)" "$floor_map" "$floor_paint"
row "minimal window + text" "$text_map" "$text_paint"
row "kestrel, to the exec" "$own" "$own"
row "kestrel-window, after it" "$window_map" "$window_paint"
printf 'Kestrel / floor with text: %.2f x to the map (target <= 1.10), %.2f x to the paint\n' \
    "$(echo "($own + $window_map) / $text_map" | bc -l)" \
    "$(echo "($own + $window_paint) / $text_paint" | bc -l)"
