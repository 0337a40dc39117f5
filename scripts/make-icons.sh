#!/usr/bin/env bash
# Renders the icon's SVG source into the PNG sizes the window uses (no SVG plug-in to load at
# start-up) and into the .ico that the Windows program file carries.
# Needs librsvg2-bin and imagemagick.
set -euo pipefail
cd "$(dirname "$0")/../src/app/icons"
sizes=(16 24 32 48 64 128 256)
for size in "${sizes[@]}"; do
    rsvg-convert -w "$size" -h "$size" kestrel.svg -o "kestrel-$size.png"
done
convert kestrel-{16,24,32,48,256}.png kestrel.ico
