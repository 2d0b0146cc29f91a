#!/usr/bin/env bash
# Installs, as root on Debian, whatever the build and the tests need and is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ make
    googletest libgtest-dev libgmock-dev
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64
    xvfb xauth x11-utils x11-apps imagemagick xdotool
    shapelib libshp-dev libbenchmark-dev python3
    nsis
)

source "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"
install_missing_packages "${packages[@]}"
