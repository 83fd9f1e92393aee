#!/usr/bin/env bash
# Installs the Debian packages Zelk needs to build, run and test, if any are missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-base-dev-tools libqt6printsupport6 qt6-qpa-plugins
  libsqlcipher-dev sqlcipher
  libcsv-dev libxlsxwriter-dev libcli11-dev libzxcvbn-dev libofx-dev
  unzip
  libgtest-dev
  xvfb xauth
  desktop-file-utils appstream dpkg-dev file
  fonts-liberation fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
echo "Installing: ${missing[*]}"
$sudo apt-get update
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
