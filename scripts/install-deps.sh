#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need; does nothing when all are present.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libqt6sql6-sqlite
  libgif-dev libcurl4-openssl-dev
  libboost-dev
  libsimdjson-dev
  qt6-svg-dev libxlsxwriter-dev unzip
  qt6-webengine-dev
  xvfb xauth imagemagick xdotool
  fonts-dejavu-core poppler-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
