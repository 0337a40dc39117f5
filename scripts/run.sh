#!/usr/bin/env bash
# Installs what is needed, builds Kestrel and opens it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DKESTREL_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build-release" --target kestrel
exec "$root/build-release/src/app/kestrel"
