#!/usr/bin/env bash
# Installs what is needed, builds every test and runs them three times: a plain build, a build with
# AddressSanitizer and UndefinedBehaviorSanitizer, which fails on any report, and the tests built
# for 64-bit and for 32-bit Windows, under Wine (scripts/test-windows.sh). The Debian package is
# built, checked, installed, run and purged in between (scripts/test-package.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}

stage() { # name build-dir cmake-args...
    local name=$1 dir=$2
    shift 2
    echo "== $name"
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Debug "$@" >/dev/null
    cmake --build "$dir"
    ctest --test-dir "$dir" --output-on-failure --timeout 300
}

stage "tests" "$root/build"
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    stage "tests with AddressSanitizer and UndefinedBehaviorSanitizer" "$root/build-sanitize" \
    -DKESTREL_SANITIZE=ON -DKESTREL_BUILD_BENCH=OFF
"$root/scripts/test-package.sh"
"$root/scripts/test-windows.sh"
