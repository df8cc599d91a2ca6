#!/usr/bin/env bash
# Installs the Debian packages the project needs, when any is missing.
set -euo pipefail

packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgtest-dev unixodbc unixodbc-dev libsqliteodbc
  odbc-postgresql postgresql sqlite3 fonts-ipafont-gothic fonts-ipafont-mincho xvfb xauth imagemagick
  openbox xdotool x11-utils libbenchmark-dev clang libclang-rt-14-dev python3 desktop-file-utils
  qt6-translations-l10n)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
