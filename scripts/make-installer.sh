#!/usr/bin/env bash
# Builds the Windows installer: installs what the build needs (scripts/setup.sh, as root),
# configures the windows preset, builds the `installer` target and prints the installer's path
# (build/windows/installer/Brixtel-Setup-<version>.exe).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

if [ "$(id -u)" = 0 ]; then
    bash scripts/setup.sh
elif ! command -v makensis >/dev/null; then
    echo "make-installer: makensis is missing; run scripts/setup.sh as root" >&2
    exit 1
fi
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target installer
setup=$(ls -t build/windows/installer/Brixtel-Setup-*.exe 2>/dev/null | head -n1)
if [ -z "$setup" ]; then
    echo "make-installer: no installer was made" >&2
    exit 1
fi
echo "$top/$setup"
