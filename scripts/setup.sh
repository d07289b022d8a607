#!/usr/bin/env bash
# Installs what building, running and testing Foodlark needs on Debian 12;
# `setup.sh package` also what making and checking its package needs.
# Run as root (or through sudo). Does nothing when everything is there already.
set -euo pipefail

packages=(
  build-essential cmake ccache
  qt6-base-dev qt6-base-dev-tools qt6-charts-dev libqt6opengl6-dev qt6-svg-dev libqt6sql6-sqlite libsqlite3-dev libgl-dev
  fonts-dejavu-core xvfb xauth tzdata
  # the tests check the desktop entry and the metainfo with the desktop's own tools
  desktop-file-utils appstream
)
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev file lintian)
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update
  "${sudo_cmd[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
fi
