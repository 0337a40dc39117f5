#!/usr/bin/env bash
# Start-up benchmark of kestrel.exe under Wine: time from process start to the window mapped on the
# X server, and peak RSS, alternating in the same run with a minimal Win32 window built the same
# way (the floor), bare and with one line of text. All run in a Wine prefix of their own, its
# wineserver already up.
# Usage: bench/startup/run-wine.sh [LINUX_BUILD] [WINDOWS_BUILD] [RUNS]
#   LINUX_BUILD holds bench/startup_probe; WINDOWS_BUILD is a Release build for Windows
#   (cmake --toolchain cmake/mingw-w64-x86_64.cmake -DCMAKE_BUILD_TYPE=Release).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
linux_build=${1:-$root/build-release}
windows_build=${2:-$root/build-windows-release}
runs=${3:-21}
source "$root/bench/startup/probe.sh"
source "$root/scripts/wine-env.sh"

results=$(mktemp -d)
xvfb_pid=""
export WINEPREFIX=$results/prefix WINEDEBUG=-all
cleanup() {
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$results"
}
trap cleanup EXIT
start_xvfb "$results"
mkdir "$WINEPREFIX"
wineserver -p
"$KESTREL_WINE" wineboot -i >/dev/null 2>&1
cp /usr/share/wine/fonts/sserife.fon "$WINEPREFIX/drive_c/windows/Fonts/"

probe=$linux_build/bench/startup_probe
for ((i = 0; i < runs; i++)); do
    probe_into "$results/floor" "$KESTREL_WINE" "$windows_build/bench/minimal_window_win32.exe"
    probe_into "$results/text" "$KESTREL_WINE" "$windows_build/bench/minimal_window_win32.exe" --text
    probe_into "$results/kestrel" "$KESTREL_WINE" "$windows_build/src/app/win32/kestrel.exe"
done

printf '%-28s %12s %14s\n' "median of $runs runs" "shown (ms)" "peak RSS (MB)"
row "minimal Win32 window (floor)" floor
row "minimal Win32 window + text" text
row "kestrel.exe" kestrel
printf 'kestrel.exe / floor: %.2f x time, %+.1f MB RSS\n' \
    "$(echo "$kestrel_t / $floor_t" | bc -l)" "$(echo "($kestrel_r - $floor_r) / 1024" | bc -l)"
printf 'kestrel.exe / floor with text: %.2f x time\n' "$(echo "$kestrel_t / $text_t" | bc -l)"
echo "probes retried: $retried"
