#!/bin/sh
# Regenerates system.reg and user.reg beside this script: registry files written by Wine itself,
# holding the Quintara settings and values of every shape the reader must cope with.
# Needs Debian's wine and wine64 (apt-get install -y wine wine64); the tests only need the files.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../../scripts/wine-env.sh"
prefix=$(mktemp -d)
trap 'WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix" WINEDEBUG=-all LC_ALL=C.UTF-8

# One wineserver for the whole run, so that each "reg add" does not start its own; it saves the
# registry files when it ends, a few seconds after the last edit.
wineserver -p5
"$KESTREL_WINE" wineboot -i >/dev/null 2>&1

"$here/add-values.sh"

wineserver -w

# system.reg of a fresh prefix is about 2 MB: keep the header and the Norvik keys of both views
# only. Wine starts each key with a blank line, so each paragraph is one key or a part of the header.
awk 'BEGIN { RS = "" }
    !/^\[/ || /^\[Software\\\\(Wow6432Node\\\\)?Norvik\\\\/ { printf "%s%s", (kept++ ? "\n\n" : ""), $0 }
    END { print "" }
' "$prefix/system.reg" >"$here/system.reg"
cp "$prefix/user.reg" "$here/user.reg"
