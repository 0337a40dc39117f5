#!/usr/bin/env bash
# Takes docs/kestrel.png: the real program in a real X server (Xvfb) with a window manager, run as
# the demo (scripts/demo.sh), after a click on "Ler Quintara..." has filled the window.
# Usage: scripts/screenshot.sh [BUILD_DIR]
# Needs xvfb, openbox, x11-utils, xdotool and imagemagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
out=${KESTREL_SCREENSHOT:-$root/docs/kestrel.png}
display=:$((90 + RANDOM % 100))

Xvfb "$display" -screen 0 1280x960x24 -nolisten tcp &
trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
export DISPLAY=$display
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
sleep 0.5
setsid "$root/scripts/demo.sh" "$build" >/dev/null &
demo=$!
window=$(xdotool search --sync --onlyvisible --name '^Kestrel - ' | head -n 1)
sleep 1
# "Ler Quintara..." sits at (74, 8) and is 143 by 29 pixels.
xdotool mousemove --window "$window" 140 22 click 1
sleep 2
xdotool mousemove --window "$window" 400 290
sleep 0.3
# The frame that the window manager put around the window belongs to the picture.
frame=$(xwininfo -id "$window" -children | awk '/Parent window id/ {print $4}')
import -window "$frame" "$out"
echo "wrote $out"
kill -- -"$demo"
wait "$demo" 2>/dev/null || true
