#!/usr/bin/env bash
# Builds the Debian package, kestrel_VERSION_amd64.deb, with Debian's own hardening flags, and
# copies it into OUT_DIR (default dist/). Prints the package's path.
# Usage: scripts/package-deb.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/dist}
build=$root/build-package

eval "$(DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --export=sh)"
# CMake takes no CPPFLAGS (_FORTIFY_SOURCE comes there); a fresh configure reads the flags anew.
rm -f "$build/CMakeCache.txt"
CXXFLAGS="$CPPFLAGS $CXXFLAGS" cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTREL_BUILD_TESTS=OFF -DKESTREL_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" >&2
rm -f "$build"/kestrel_*.deb
(cd "$build" && cpack -G DEB >&2)
mkdir -p "$out"
deb=$(ls "$build"/kestrel_*.deb)
cp "$deb" "$out/"
echo "$out/$(basename "$deb")"
