#!/usr/bin/env bash
# How many hot-link values one DDE server process can send under this Wine: the end-to-end
# suite's small DDE fixture server (not Brixtel) advises a counter every 10 ms to one
# dde_client_tool.exe holding 10 links, for the given seconds. The client reports the first
# value that arrives empty ("UNDECODABLE after N values"); see docs/RELIABILITY.md.
#
#   scripts/dde-wine-limit.sh [seconds]     # default 150
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3
seconds="${1:-150}"
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -ge 10 ] && [ "$seconds" -le 3600 ] ||
    { echo "usage: $0 [seconds]   (10 to 3600, default 150)" >&2; exit 2; }

e2e="$top/build/windows/e2e"
{ cmake --preset windows >/dev/null &&
    cmake --build --preset windows -j2 --target dde_fixture dde_client_tool >/dev/null; } ||
    { echo "dde-wine-limit: the build failed" >&2; exit 3; }

source scripts/lib/display.sh
run_dir=$(mktemp -d "$top/build/windows/dde-wine-limit.XXXXXX")
cleanup() {
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    stop_virtual_display
    rm -rf "$run_dir"
}
trap cleanup EXIT
start_virtual_display || exit 3
prepare_wine_prefix "$run_dir/prefix" >/dev/null 2>&1
timeout 300 wineboot -i >/dev/null 2>&1
timeout 60 wineserver -w

timeout $((seconds + 120)) wine "$e2e/dde_fixture.exe" --tick 10 >/dev/null 2>&1 &
timeout $((seconds + 60)) wine "$e2e/dde_client_tool.exe" --service Fixture --topic T \
    --points 10 --links 10 --seconds "$seconds" --mean-ms 100 --connect-seconds 30 |
    tr -d '\r' | grep -E '^(UNDECODABLE|SUMMARY|ERROR)'
