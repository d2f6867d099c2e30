#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing Cartavo need.
# Quick when nothing is missing: apt is only called for what dpkg does not report.
#   scripts/setup.sh [PACKAGE...]   # and these packages too
set -euo pipefail

PACKAGES=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql libqt6sql6-odbc
  libsqlite3-dev sqlite3 libpq-dev postgresql mariadb-server
  unixodbc unixodbc-dev odbc-postgresql libsqliteodbc odbc-mariadb
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-translations-l10n
  xvfb xauth openbox xdotool imagemagick x11-utils
  python3
  clang libclang-rt-14-dev
)
# What one caller needs besides, e.g. bench/run --scale: its plot's matplotlib.
PACKAGES+=("$@")

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
echo "Installing: ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
