#!/usr/bin/env bash
# Makes the releases to hand out, one zip a Windows architecture:
# dist/kestrel-<version>-windows-x64.zip (64-bit Windows) and dist/kestrel-<version>-windows-x86.zip
# (32-bit Windows, and 64-bit Windows too). Each holds kestrel.exe, built with MinGW-w64 (static,
# stripped: nothing else to unpack beside it), kestrel.com, the console launcher that makes a
# prompt wait for the report on the command line, and LEIA-ME.txt. Prints the zips' paths, one a line.
# Usage: scripts/package-windows.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
mkdir -p "$root/dist"

# architecture of the zip's name, toolchain, release build folder
for row in "x64 x86_64 build-windows-release" "x86 i686 build-windows-release-i686"; do
    read -r zip_arch toolchain folder <<<"$row"
    build=$root/$folder
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        --toolchain "$root/cmake/mingw-w64-$toolchain.cmake" \
        -DKESTREL_BUILD_TESTS=OFF >/dev/null
    cmake --build "$build" --target kestrel kestrel_launcher >&2
    version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

    rm -rf "${stage:?}"/*
    for program in kestrel.exe kestrel.com; do
        "$toolchain-w64-mingw32-strip" -o "$stage/$program" "$build/src/app/win32/$program"
    done
    # Notepad on every Windows reads UTF-8 with its byte-order mark and CR LF line ends.
    {
        printf '\xef\xbb\xbf'
        sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/packaging/windows/LEIA-ME.txt"
    } >"$stage/LEIA-ME.txt"
    touch -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)" "$stage"/*

    zip=$root/dist/kestrel-$version-windows-$zip_arch.zip
    rm -f "$zip"
    (cd "$stage" && zip -q -X "$zip" kestrel.exe kestrel.com LEIA-ME.txt)
    echo "$zip"
done
