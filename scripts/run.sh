#!/usr/bin/env bash
# Installs what is needed, builds Kestrel and opens it. Where no Quintara settings are found (in
# $WINEPREFIX, default ~/.wine), it opens the demo: the TDS test server and settings pointing at it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-release" --target kestrel
# Quintara's settings, as Kestrel looks for them: in the 32-bit view of a 64-bit prefix
# (Software\Wow6432Node), else in Software itself; in a regular file of a sane size only.
reg=${WINEPREFIX:-$HOME/.wine}/system.reg
if [ -f "$reg" ] && [ "$(stat -L -c %s "$reg")" -le $((256 << 20)) ] &&
    grep -qiE '^\[Software\\\\(Wow6432Node\\\\)?Norvik\\\\Database\]' "$reg"; then
    exec "$root/build-release/src/app/qt/kestrel"
fi
exec "$root/scripts/demo.sh" "$root/build-release"
