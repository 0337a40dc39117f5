#!/usr/bin/env bash
# Installs what is needed, builds Kestrel and opens it. Where no Quintara settings are found (in
# $WINEPREFIX, default ~/.wine), it opens the demo: the TDS test server and settings pointing at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-release" --target kestrel
if grep -qi '^\[Software\\\\Norvik\\\\Database\]' "${WINEPREFIX:-$HOME/.wine}/system.reg" 2>/dev/null; then
    exec "$root/build-release/src/app/qt/kestrel"
fi
exec "$root/scripts/demo.sh" "$root/build-release"
