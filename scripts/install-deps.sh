#!/usr/bin/env bash
# Installs what Kestrel needs to build, run and test on Debian/Ubuntu (sudo when not root).
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev libgl-dev fonts-liberation
    unixodbc-dev tdsodbc freetds-bin python3
    googletest
    xvfb x11-utils libxcb1-dev bc
)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
