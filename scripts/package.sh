#!/usr/bin/env bash
# Makes every release file into dist/: the Debian package (scripts/package-deb.sh) and the Windows
# zip (scripts/package-windows.sh, where it exists).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
rm -rf "$root/dist"
"$root/scripts/package-deb.sh" "$root/dist" >/dev/null
if [ -x "$root/scripts/package-windows.sh" ]; then
    "$root/scripts/package-windows.sh"
fi
ls -l "$root/dist"
