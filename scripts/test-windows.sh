#!/usr/bin/env bash
# The Windows stage (scripts/test.sh runs it last): builds kestrel.exe, the logic library and their
# tests for 64-bit and for 32-bit Windows with MinGW-w64 and runs both suites under Wine, in one
# 64-bit Wine prefix of their own (which runs 32-bit programs as 64-bit Windows does, with the
# registry's 32-bit view as theirs) and an X server of their own (Xvfb) for the real window. The
# registry tests read values that Wine's "reg add" wrote, through advapi32 and through the file
# Wine saved; the database tests go through Wine's odbc32, which hands the calls to unixODBC and
# FreeTDS, to the TDS test server running natively on loopback. Then the release zips are made and
# checked. On a machine that runs no 32-bit program (scripts/wine-env.sh tries one), the 32-bit
# build is made and its zip checked, but none of its programs is run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
source "$root/scripts/wine-env.sh"
# toolchain and build folder of each architecture
architectures=("x86_64 build-windows" "i686 build-windows-i686")

for row in "${architectures[@]}"; do
    read -r toolchain folder <<<"$row"
    echo "== build for Windows, $toolchain"
    cmake -S "$root" -B "$root/$folder" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
        --toolchain "$root/cmake/mingw-w64-$toolchain.cmake" -DKESTREL_BUILD_APP=ON >/dev/null
    cmake --build "$root/$folder"
done

WINEPREFIX=$(mktemp -d)
# 32-bit Windows, for the 32-bit kestrel.exe: a prefix of one registry view.
win32_prefix=$(mktemp -d)
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
    for prefix in "$WINEPREFIX" "$win32_prefix"; do
        WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
        WINEPREFIX=$prefix wineserver -w 2>/dev/null || true
    done
    rm -rf "$WINEPREFIX" "$win32_prefix"
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
"$KESTREL_WINE" wineboot -i >/dev/null 2>&1
# The window's font, "MS Sans Serif", is Wine's own sserife.fon, which Wine looks for where Windows
# keeps it; Debian's Wine leaves it out of a new prefix.
cp /usr/share/wine/fonts/sserife.fon "$WINEPREFIX/drive_c/windows/Fonts/"
"$root/tests/support/registry_fixtures/add-values.sh"
# wineserver saves the registry files as it ends; the tests compare advapi32 with them as saved.
wineserver -k
wineserver -w
wineserver -p
"$KESTREL_WINE" wineboot >/dev/null 2>&1

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

[ "$KESTREL_WINE32" = yes ] || architectures=("${architectures[0]}")
for row in "${architectures[@]}"; do
    read -r toolchain folder <<<"$row"
    echo "== tests for Windows, $toolchain, under Wine"
    # Now and then Wine fails to start a program at all ("ShellExecuteEx failed: Internal error"),
    # before any of its code runs: a test that failed is run once more.
    ctest --test-dir "$root/$folder" --output-on-failure --timeout 300 --repeat until-pass:2
done
# The captions at every display scale, with and without the bitmap font: GDI draws the same for
# both builds.
"$root/tests/app/win32/captions_at_every_scale.sh" \
    "$root/build-windows/tests/app/win32/kestrel_win32_tests.exe"

# The 32-bit kestrel.exe on 32-bit Windows, where the registry has one view and advapi32 ignores
# the views' flags: its end-to-end tests, which write Quintara's settings with reg.exe /reg:32.
if [ "$KESTREL_WINE32" = yes ]; then
    echo "== kestrel.exe, i686, on 32-bit Windows (a win32 prefix), under Wine"
    (
        export WINEPREFIX=$win32_prefix WINEARCH=win32 KESTREL_THROWAWAY_WINEPREFIX=$win32_prefix
        wineserver -p
        "$KESTREL_WINE" wineboot -i >/dev/null 2>&1
        cp /usr/share/wine/fonts/sserife.fon "$WINEPREFIX/drive_c/windows/Fonts/"
        # With Windows' order for odbc32, so that the planted odbc32.dll's test runs too.
        WINEDLLOVERRIDES=odbc32=n,b timeout 300 "$KESTREL_WINE" \
            "$root/build-windows-i686/tests/app/win32/kestrel_win32_tests.exe" \
            --gtest_filter='KestrelExe*' --gtest_brief=1 </dev/null
    )
else
    echo "== SKIPPED: the 32-bit runs (tests for Windows, i686, and kestrel.exe on 32-bit Windows):" \
        "this machine runs no 32-bit program ($KESTREL_WINE32_WHY)"
fi

echo "== the release zips"
# Assigned first, so that a failed build ends the stage.
made=$("$root/scripts/package-windows.sh")
mapfile -t zips <<<"$made"
"$root/tests/app/win32/release_zip_test.sh" "${zips[@]}"
