#!/usr/bin/env bash
# Makes the release to hand out, dist/kestrel-<version>-windows-x64.zip: kestrel.exe, built for
# 64-bit Windows with MinGW-w64 (static, stripped: nothing else to unpack beside it), and
# LEIA-ME.txt. Prints the zip's path.
# Usage: scripts/package-windows.sh
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
build=$root/build-windows-release

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    --toolchain "$root/cmake/mingw-w64-x86_64.cmake" \
    -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$build" --target kestrel >&2
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
x86_64-w64-mingw32-strip -o "$stage/kestrel.exe" "$build/src/app/win32/kestrel.exe"
# Notepad on every Windows 10 reads UTF-8 with its byte-order mark and CR LF line ends.
{
    printf '\xef\xbb\xbf'
    sed -e "s/@VERSION@/$version/" -e 's/$/\r/' "$root/packaging/windows/LEIA-ME.txt"
} >"$stage/LEIA-ME.txt"
touch -d "@$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)" "$stage"/*

zip=$root/dist/kestrel-$version-windows-x64.zip
mkdir -p "$root/dist"
rm -f "$zip"
(cd "$stage" && zip -q -X "$zip" kestrel.exe LEIA-ME.txt)
echo "$zip"
