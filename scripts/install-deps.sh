#!/usr/bin/env bash
# Installs everything Stridewell needs to build, test, fuzz and benchmark on
# a fresh Debian 12 machine. Safe to run again; uses sudo when not root.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-format libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-charts-dev libqt6opengl6-dev  # Qt Charts needs the OpenGL module's CMake files
  poppler-utils fonts-dejavu-core fontconfig
  fonts-noto-mono fonts-urw-base35  # a desktop's usual font set: fixed-pitch text must still line up
  zip unzip
  dpkg-dev file lintian desktop-file-utils appstream  # scripts/package.sh: build and check the .deb
  xvfb xauth xdotool imagemagick  # scripts/gui-smoke.sh: the desktop program under a real X server
  libopenmpi-dev openmpi-bin  # the release build shares a training between processes over MPI
)

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
else
  as_root=(sudo)
fi

export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update -qq
"${as_root[@]}" apt-get install -y -qq --no-install-recommends "${packages[@]}" >/dev/null
echo "install-deps: ${#packages[@]} packages present"
