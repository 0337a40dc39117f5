#!/usr/bin/env bash
# Takes docs/kestrel-windows.png: the real kestrel.exe under Wine, in Wine's own desktop window
# (which draws the frame as Windows does) in a real X server (Xvfb), run as the demo
# (scripts/demo.sh), after a click on "Ler Quintara..." has filled the window.
# Usage: scripts/screenshot-windows.sh [WINDOWS_BUILD]   (default: the zip's, build-windows-release)
# Needs xvfb, xdotool, imagemagick and Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-windows-release}
out=${KESTREL_SCREENSHOT:-$root/docs/kestrel-windows.png}

work=$(mktemp -d)
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; rm -rf "$work"' EXIT
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
    [ -s "$work/display" ] && break
    sleep 0.1
done
export DISPLAY=:$(cat "$work/display") WINEDEBUG=-all OUT=$out KESTREL_EXE=$build/src/app/win32/kestrel.exe

# In the demo's throwaway prefix, whose system.reg holds the Quintara settings: the prefix is made
# around it, with Wine's own fonts where Windows keeps them.
# In Wine's 560 by 440 desktop the window's client area starts at (43, 62); "Ler Quintara..."
# sits at (74, 8) in it and is 143 by 29 pixels. The click waits until the button is drawn there.
"$root/scripts/demo.sh" "$build" bash -c '
    set -euo pipefail
    wineboot -i >/dev/null 2>&1
    wineserver -w
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    wine explorer /desktop=Kestrel,560x440 "$KESTREL_EXE" &
    desktop=$(xdotool search --sync --name "^Kestrel" | head -n 1)
    pixel() { import -window "$desktop" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1; }
    for _ in $(seq 120); do
        [ "$(pixel 188 84 | cut -d" " -f2-)" != "$(pixel 2 2 | cut -d" " -f2-)" ] && break
        sleep 0.5
    done
    sleep 1
    xdotool mousemove --window "$desktop" 188 84 click 1
    sleep 3
    xdotool mousemove --window "$desktop" 540 430
    sleep 0.3
    import -window "$desktop" "$OUT"
    wineserver -k
' >/dev/null
echo "wrote $out"
