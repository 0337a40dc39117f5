#!/usr/bin/env bash
# Installs what Kestrel needs to build, run and test on Debian/Ubuntu (sudo when not root).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev fonts-liberation
    unixodbc-dev tdsodbc freetds-bin python3
    # A 32-bit Windows program's odbc32 under Wine loads the 32-bit FreeTDS driver.
    tdsodbc:i386
    googletest
    # header-only JSON, for the report on the command line; also taken by the Windows builds
    nlohmann-json3-dev
    xvfb x11-utils libxcb1-dev bc zip
    # The start-up profile (bench/startup/profile.sh) counts instructions with callgrind.
    valgrind
    lintian desktop-file-utils appstream dbus-daemon python3-pyatspi
    # Real input and a window manager for the window's tests during its waits.
    xdotool openbox
)
# The Windows stage's cross-compilers and Wine, for 64-bit and 32-bit Windows programs; Wine comes
# with what it recommends, as it was measured and is tested (libodbc2, through which its odbc32
# reaches unixODBC, is one, of each architecture).
with_recommends=(g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64 wine32:i386)

missing_of() {
    local package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
            echo "$package"
    done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_with_recommends < <(missing_of "${with_recommends[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_with_recommends[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"

# Another package manager (unattended upgrades, on a fresh desktop) may hold the lock of apt or
# dpkg: each step waits for it, saying so, for up to 10 minutes, then fails with what apt said.
errors=$(mktemp)
trap 'rm -f "$errors"' EXIT
waiting_for_lock() {
    local deadline=$((SECONDS + 600)) said=""
    until "$@" 2>"$errors"; do
        if [ $SECONDS -ge $deadline ] ||
            ! grep -qiE 'could not (get|open) lock|unable to acquire|dpkg frontend lock|another process' \
                "$errors"; then
            cat "$errors" >&2
            return 1
        fi
        [ -n "$said" ] || echo "Another program is installing packages; waiting for it (at most 10 minutes)..." >&2
        said=1
        sleep 5
    done
    cat "$errors" >&2
}

install=(waiting_for_lock $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq)
# wine32 and the 32-bit FreeTDS driver are packages of the i386 architecture.
dpkg --print-foreign-architectures | grep -qx i386 || waiting_for_lock $sudo dpkg --add-architecture i386
waiting_for_lock $sudo apt-get update -qq
[ ${#missing[@]} -eq 0 ] || "${install[@]}" --no-install-recommends "${missing[@]}"
[ ${#missing_with_recommends[@]} -eq 0 ] || "${install[@]}" "${missing_with_recommends[@]}"
