#!/usr/bin/env bash
# Builds Brixtel and starts it under Wine: on your display when DISPLAY is set, otherwise on a
# virtual display, where it saves a screenshot of the program and prints its path.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target Brixtel

source scripts/lib/display.sh
exe="$top/build/windows/stage/Programs/Brixtel.exe"
prefix="$top/build/demo-prefix"

if [ -n "${DISPLAY:-}" ]; then
    prepare_wine_prefix "$prefix"
    exec wine "$exe"
fi

trap 'stop_wine; stop_virtual_display' EXIT
start_virtual_display
prepare_wine_prefix "$prefix"
wine "$exe" >/dev/null 2>&1 &
if ! wait_for_x_window Brixtel 60; then
    echo "Brixtel did not open its window" >&2
    exit 1
fi
sleep 2 # let the first paint finish before the picture is taken
mkdir -p build/screenshots
shot="$top/build/screenshots/brixtel.png"
save_screenshot "$shot" Brixtel
echo "Brixtel ran on a virtual display; screenshot: $shot"
