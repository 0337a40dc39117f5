#!/usr/bin/env bash
# The Debian package stage (scripts/test.sh runs it): Debian's own checkers on the .desktop file,
# the AppStream metainfo and the built package; then the package is installed with apt, the
# installed program runs under Xvfb with the demo's settings and server while a screen reader's
# view (AT-SPI) clicks "Ler Quintara..." and reads every box, and the package is purged: no file of
# it may stay. Installing needs root or password-less sudo; without either, that part is skipped.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
echo "== the Debian package"

desktop=$root/packaging/com.norvik.Kestrel.desktop
report=$(desktop-file-validate "$desktop")
[ -z "$report" ] || { echo "$report"; exit 1; }
appstreamcli validate --no-net "$root/packaging/com.norvik.Kestrel.metainfo.xml"

work=$(mktemp -d)
chmod 755 "$work"  # apt reads the package as its own user
xvfb=""
installed=""
sudo=""
cleanup() {
    [ -z "$installed" ] || $sudo apt-get purge -y -qq kestrel >/dev/null || true
    [ -z "$xvfb" ] || kill "$xvfb" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 143' INT TERM

deb=$("$root/scripts/package-deb.sh" "$work")
echo "built $(basename "$deb"), $(stat -c %s "$deb") bytes"
lintian_status=0
lintian --fail-on error "$deb" >"$work/lintian.out" 2>"$work/lintian.err" || lintian_status=$?
cat "$work/lintian.out"
grep -v '^running with root privileges' "$work/lintian.err" >&2 || true
[ "$lintian_status" -eq 0 ] || { echo "lintian reports an error" >&2; exit 1; }
# The program as shipped takes its libraries from where the system keeps them.
dpkg-deb -x "$deb" "$work/unpacked"
"$root/tests/package/run_path_check.sh" "$work/unpacked"

if [ "$(id -u)" -ne 0 ]; then
    if ! sudo -n true 2>/dev/null; then
        echo "skipped: installing the package needs root or password-less sudo"
        exit 0
    fi
    sudo=sudo
fi
# One package test on the machine at a time: each installs and removes the same package. What runs
# meanwhile does not inherit the lock (9>&-), so that nothing left behind could hold it.
exec 9>>"${TMPDIR:-/tmp}/kestrel-package-test.lock"
flock -w 1800 9
if dpkg-query -W -f='${Status}' kestrel 2>/dev/null | grep -q ' installed$'; then
    echo "kestrel is installed here; remove it (apt-get purge kestrel) to test the package" >&2
    exit 1
fi

installed=yes
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq -o DPkg::Lock::Timeout=600 "$deb" \
    >/dev/null
# What the menu entry names must be there: its command and its icon.
command=$(sed -n 's/^Exec=//p' "$desktop")
icon=$(sed -n 's/^Icon=//p' "$desktop")
[ -x "/usr/bin/$command" ] ||
    { echo "the menu entry's command /usr/bin/$command is missing" >&2; exit 1; }
[ -f "/usr/share/icons/hicolor/scalable/apps/$icon.svg" ] ||
    { echo "the menu entry's icon $icon is missing" >&2; exit 1; }

# Xvfb must not reset when its first client leaves, or the program could meet a server mid-reset.
exec 8< <(Xvfb -displayfd 1 -noreset -screen 0 1280x960x24 -nolisten tcp 2>/dev/null 9>&- &
    echo "$!")
read -r xvfb <&8
read -r display <&8
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d -p "$work")}
DISPLAY=:$display dbus-run-session -- env -u QT_QPA_PLATFORM \
    "$root/tests/package/installed_window_test.py" "$root/scripts/demo.sh" "" /usr/bin/kestrel \
    9>&- 2> >(grep -v '^dbus-daemon' >&2) | grep -v '^SpiRegistry daemon'

mapfile -t files < <(dpkg-query -L kestrel)
$sudo apt-get purge -y -qq kestrel >/dev/null
installed=""
if dpkg-query -W -f='${Status}' kestrel 2>/dev/null | grep -qv 'not-installed'; then
    echo "kestrel is still known to dpkg after the purge" >&2
    exit 1
fi
# What stays must belong to another package: a shared directory, never a file of ours.
left=0
for path in "${files[@]}"; do
    if [ -e "$path" ] && { [ ! -d "$path" ] || ! dpkg-query -S "$path" >/dev/null 2>&1; }; then
        echo "left after the purge: $path" >&2
        left=1
    fi
done
[ "$left" -eq 0 ]
echo "ok: installed, filled every box, purged without a trace"
