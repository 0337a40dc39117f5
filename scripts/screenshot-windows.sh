#!/usr/bin/env bash
# Takes docs/kestrel-windows.png: the real kestrel.exe under Wine, in Wine's own desktop window
# (which draws the frame as Windows does) in a real X server (Xvfb), run as the demo
# (scripts/demo.sh), after "Ler Quintara..." has filled the window. KESTREL_DPI sets the display
# scale (96, the default, is 100 %; 144 is 150 %): docs/kestrel-windows-150.png is taken so.
# Usage: scripts/screenshot-windows.sh [WINDOWS_BUILD]   (default: the zip's, build-windows-release)
# Needs xvfb, xdotool, imagemagick and Wine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
source "$root/scripts/wine-env.sh"
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
dpi=${KESTREL_DPI:-96}
export DISPLAY=:$(cat "$work/display") WINEDEBUG=-all OUT=$out KESTREL_EXE=$build/src/app/win32/kestrel.exe
export DESKTOP_SIZE=$((560 * dpi / 96))x$((440 * dpi / 96)) DPI=$dpi

# In the demo's throwaway prefix, whose system.reg holds the Quintara settings: the prefix is made
# around it, with Wine's own fonts where Windows keeps them.
# The window in the middle of a desktop of 560 by 440 pixels at 100 %. "Ler Quintara..." is
# reached from the keyboard, which every scale places alike: seven Tabs from txtServidor.
"$root/scripts/demo.sh" "$build" bash -c '
    set -euo pipefail
    "$KESTREL_WINE" wineboot -i >/dev/null 2>&1
    wineserver -w
    "$KESTREL_WINE" reg add "HKCU\\Control Panel\\Desktop" /v LogPixels /t REG_DWORD /d "$DPI" /f >/dev/null 2>&1
    wineserver -w
    cp /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/"
    "$KESTREL_WINE" explorer /desktop=Kestrel,$DESKTOP_SIZE "$KESTREL_EXE" &
    desktop=$(xdotool search --sync --name "^Kestrel" | head -n 1)
    pixel() { import -window "$desktop" -crop "1x1+$1+$2" -depth 8 txt:- | tail -n 1; }
    middle_x=$(( ${DESKTOP_SIZE%x*} / 2 )) middle_y=$(( ${DESKTOP_SIZE#*x} / 2 ))
    for _ in $(seq 120); do
        [ "$(pixel "$middle_x" "$middle_y" | cut -d" " -f2-)" != "$(pixel 2 2 | cut -d" " -f2-)" ] && break
        sleep 0.5
    done
    sleep 2
    xdotool key Tab Tab Tab Tab Tab Tab Tab space
    sleep 3
    import -window "$desktop" "$OUT"
    wineserver -k
' >/dev/null
echo "wrote $out"
