#!/usr/bin/env bash
# Runs COMMAND... in a desktop of its own, as a user's: an X server (Xvfb), a window manager
# (openbox, which draws the title bar and closes a window on Alt+F4) and a D-Bus session, where a
# screen reader's view (AT-SPI) can reach the programs. Usage: x_session.sh COMMAND...
set -euo pipefail
work=$(mktemp -d)
xvfb=""
manager=""
cleanup() {
    for pid in "$manager" "$xvfb"; do
        [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
}
trap cleanup EXIT

# Xvfb must not reset when its first client leaves, or a program could meet a server mid-reset.
exec 8< <(Xvfb -displayfd 1 -noreset -screen 0 1280x960x24 -nolisten tcp 2>/dev/null 9>&- &
    echo "$!")
read -r xvfb <&8
read -r display <&8
export DISPLAY=:$display XDG_RUNTIME_DIR=$work
openbox --sm-disable >/dev/null 2>&1 9>&- &
manager=$!
# The window manager is up once it has claimed the screen.
for _ in $(seq 100); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done
dbus-run-session -- env -u QT_QPA_PLATFORM "$@" 9>&- 2> >(grep -v '^dbus-daemon' >&2) |
    { grep -v '^SpiRegistry daemon' || true; }
