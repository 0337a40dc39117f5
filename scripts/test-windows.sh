#!/usr/bin/env bash
# The Windows stage (scripts/test.sh runs it last): builds kestrel.exe, the logic library and their
# tests for 64-bit Windows with MinGW-w64 and runs them under Wine, in a Wine prefix of their own
# and an X server of their own (Xvfb) for the real window. The registry tests read values that
# Wine's "reg add" wrote, through advapi32 and through the file Wine saved; the database tests go
# through Wine's odbc32, which hands the calls to unixODBC and FreeTDS, to the TDS test server
# running natively on loopback. Then the release zip is made and checked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=$root/build-windows

echo "== tests for Windows, under Wine"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    --toolchain "$root/cmake/mingw-w64-x86_64.cmake" -DKESTREL_BUILD_APP=ON >/dev/null
cmake --build "$build"

WINEPREFIX=$(mktemp -d)
# Wine reads command lines, and picks the ANSI code page (1252), from the locale. The tests that
# write the registry run only in the prefix named throwaway here.
export WINEPREFIX WINEDEBUG=-all LC_ALL=C.UTF-8 KESTREL_THROWAWAY_WINEPREFIX=$WINEPREFIX
server_log=$WINEPREFIX/tds_test_server.log
server_pid=""
xvfb_pid=""
cleanup() {
    for pid in "$server_pid" "$xvfb_pid"; do
        if [ -n "$pid" ]; then
            kill "$pid" 2>/dev/null || true
        fi
    done
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    rm -rf "$WINEPREFIX"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$WINEPREFIX/display" >/dev/null 2>&1 &
xvfb_pid=$!
display=""
for _ in $(seq 300); do
    display=$(cat "$WINEPREFIX/display")
    [ -n "$display" ] && break
    sleep 0.1
done
[ -n "$display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display

# Wine's services stay up under a persistent wineserver. Started here by wineboot, with its output
# discarded, they hold no test's output open: ctest waits for that to close.
wineserver -p
wineboot -i >/dev/null 2>&1
# The window's font, "MS Sans Serif", is Wine's own sserife.fon, which Wine looks for where Windows
# keeps it; Debian's Wine leaves it out of a new prefix.
cp /usr/share/wine/fonts/sserife.fon "$WINEPREFIX/drive_c/windows/Fonts/"
"$root/tests/support/registry_fixtures/add-values.sh"
# wineserver saves the registry files as it ends; the tests compare advapi32 with them as saved.
wineserver -k
wineserver -w
wineserver -p
wineboot >/dev/null 2>&1

python3 "$root/tests/support/tds_test_server.py" --control >"$server_log" &
server_pid=$!
port=""
for _ in $(seq 100); do
    port=$(sed -n 's/^PORT \([0-9]*\) .*/\1/p' "$server_log")
    [ -n "$port" ] && break
    sleep 0.1
done
[ -n "$port" ] || { echo "the TDS test server did not start" >&2; exit 1; }
export KESTREL_TDS_CONTROL=127.0.0.1:$port

ctest --test-dir "$build" --output-on-failure --timeout 300
"$root/tests/app/win32/captions_at_every_scale.sh" "$build/tests/app/win32/kestrel_win32_tests.exe"

echo "== the release zip"
"$root/tests/app/win32/release_zip_test.sh" "$("$root/scripts/package-windows.sh")"
