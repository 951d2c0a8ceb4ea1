#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building, running and testing need on Debian 12, as root.
#   scripts/install-deps.sh          build and run
#   scripts/install-deps.sh --tests  also everything the tests use
set -euo pipefail

build_pkgs=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  libmpv-dev libudev-dev libfontconfig-dev
  libxcb1-dev libxcb-xkb-dev libxcb-keysyms1-dev
  fonts-liberation
  qt6-svg-dev dpkg-dev
)
test_pkgs=(
  xvfb xauth xdotool x11-utils trayer xterm
  fuse3 libfuse3-dev
  libxcb-xtest0-dev
  dbus dbus-x11
  xdg-desktop-portal python3-dbus python3-gi
  espeak-ng sox libsox-fmt-mp3 ffmpeg
  playerctl python3-pyatspi at-spi2-core desktop-file-utils appstream lintian
  clang libclang-rt-14-dev
)

pkgs=("${build_pkgs[@]}")
if [[ "${1:-}" == "--tests" ]]; then
  pkgs+=("${test_pkgs[@]}")
fi

missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" </dev/null
fi
