#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the headless tests need,
# but only those that are missing, so a second run costs a second.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev libqt6opengl6-dev qt6-base-dev-tools qt6-svg-dev qt6-translations-l10n
  qt6-tools-dev qt6-l10n-tools
  libqcustomplot-dev libqcustomplot2.1-qt6
  libgl-dev libglu1-mesa-dev libgl1-mesa-dri
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  libfftw3-dev libsndfile1-dev libcli11-dev
  xvfb xauth xdg-utils fonts-dejavu-core
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO="sudo"; fi
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
