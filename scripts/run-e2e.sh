#!/usr/bin/env bash
# Runs the end-to-end suite under Wine: a fresh Wine prefix and a private virtual display per
# run, torn down at the end whatever happens. Exit status: the suite's.
#
#   scripts/run-e2e.sh <windows build dir> [gtest arguments...]
#
# Environment: BRIXTEL_E2E_TIMEOUT (seconds for the suite, default 1200),
# BRIXTEL_E2E_TIME_SCALE (stretches the suite's own waits on slow machines, default 1),
# BRIXTEL_E2E_KEEP=1 keeps the run folder (prefix, logs) for a post-mortem.
# BRIXTEL_E2E_FONTS names a folder of font files copied into the prefix's Fonts folder.
# BRIXTEL_E2E_SMALL_DRIVE=0 leaves out the small drive S: (a 64 KiB tmpfs) that is otherwise
# mounted when allowed, for the full-disk test of the log.
# Screenshots of failed tests land in <build dir>/e2e-artifacts, the user guide's pictures in
# <build dir>/e2e-artifacts/guide.
set -u

if [ $# -lt 1 ] || [ ! -d "$1" ]; then
    echo "usage: $0 <windows build dir> [gtest arguments...]" >&2
    exit 2
fi
build_dir=$(cd "$1" && pwd)
shift

suite="$build_dir/e2e/brixtel_e2e.exe"
program="$build_dir/stage/Programs/Brixtel.exe"
for file in "$suite" "$build_dir/e2e/brixtel_e2e_hook.dll" "$program"; do
    if [ ! -f "$file" ]; then
        echo "run-e2e: missing $file (build the windows tree first)" >&2
        exit 2
    fi
done

run_dir=$(mktemp -d "$build_dir/e2e-run.XXXXXX")
artifacts="$build_dir/e2e-artifacts"
rm -rf "$artifacts"
mkdir -p "$artifacts"
export WINEPREFIX="$run_dir/prefix"
# Wine puts the user's Documents in the home folder, and the program's default log folder
# ("Halvo LOGS") in Documents: a home of the run's own keeps logs of earlier runs or of the
# demo out of the tests, and the tests' logs out of the user's home.
export HOME="$run_dir/home"
mkdir -p "$HOME"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono/Gecko installers; no menu entries written into the user's desktop.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
unset DISPLAY

xvfb_pid=""
small_drive=""
cleanup() {
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    # Unmounted before the run folder goes, so its removal never reaches into it.
    if [ -n "$small_drive" ]; then
        umount "$small_drive" 2>/dev/null || umount -l "$small_drive" 2>/dev/null
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null
        timeout 10 tail --pid="$xvfb_pid" -f /dev/null 2>/dev/null || kill -9 "$xvfb_pid" 2>/dev/null
    fi
    if [ "${BRIXTEL_E2E_KEEP:-0}" = 1 ]; then
        echo "run-e2e: kept $run_dir"
    else
        rm -rf "$run_dir"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

started=$(date +%s)

# Xvfb picks a free display itself and writes its number once it accepts connections.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$run_dir/display" >"$run_dir/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 1 300); do
    [ -s "$run_dir/display" ] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
done
if [ ! -s "$run_dir/display" ]; then
    echo "run-e2e: the virtual display did not come up within 30 s" >&2
    cat "$run_dir/xvfb.log" >&2
    exit 3
fi
export DISPLAY=":$(head -n1 "$run_dir/display")"

# Made inside the display, so the wineserver and its desktop keep a working display.
if ! timeout 300 wineboot -i >"$run_dir/wineboot.log" 2>&1; then
    echo "run-e2e: wineboot failed or timed out" >&2
    cat "$run_dir/wineboot.log" >&2
    exit 3
fi
# The test display has no window manager: managed windows make the X11 driver wait for one
# whenever a dialog closes (about 2 s each), so the suite's windows are left unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 || true
# Extra fonts for the prefix (BRIXTEL_E2E_FONTS: a folder of .ttf and .fon files), for instance
# Marlett, which draws the caption buttons, where Wine's own fonts are not installed.
if [ -n "${BRIXTEL_E2E_FONTS:-}" ] && [ -d "$BRIXTEL_E2E_FONTS" ]; then
    cp "$BRIXTEL_E2E_FONTS"/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
fi
echo "run-e2e: display $DISPLAY, prefix ready in $(($(date +%s) - started)) s"

# A 64 KiB file system as drive S:, for the full-disk test of the log; only where this user may
# mount one (root, outside a container that forbids it). Without it that test is skipped.
mkdir -p "$run_dir/small"
if [ "${BRIXTEL_E2E_SMALL_DRIVE:-1}" != 0 ] &&
    mount -t tmpfs -o size=64k,mode=0777 tmpfs "$run_dir/small" 2>/dev/null; then
    small_drive="$run_dir/small"
    ln -s "$small_drive" "$WINEPREFIX/dosdevices/s:"
    export BRIXTEL_E2E_SMALL_DRIVE='S:'
else
    unset BRIXTEL_E2E_SMALL_DRIVE
    echo "run-e2e: no small drive (cannot mount a tmpfs here); the full-disk test is skipped"
fi

# The dBASE tag databases of the suite, written by an independent dBASE writer.
script_dir=$(cd "$(dirname "$0")" && pwd)
if ! bash "$script_dir/make-e2e-databases.sh" "$run_dir/databases" >"$run_dir/databases.log" 2>&1; then
    echo "run-e2e: could not make the dBASE files (is shapelib installed?)" >&2
    cat "$run_dir/databases.log" >&2
    exit 3
fi
export BRIXTEL_E2E_DATABASES="Z:${run_dir//\//\\}\\databases"

# Programs under test are given as Windows paths through the Z: drive.
export BRIXTEL_EXE="Z:${program//\//\\}"
# The installer, when the `installer` target has been built (the newest if several versions).
unset BRIXTEL_INSTALLER
installer=$(ls -t "$build_dir"/installer/Brixtel-Setup-*.exe 2>/dev/null | head -n1)
if [ -n "$installer" ]; then
    export BRIXTEL_INSTALLER="Z:${installer//\//\\}"
fi
export BRIXTEL_E2E_ARTIFACTS="Z:${artifacts//\//\\}"
timeout -k 15 "${BRIXTEL_E2E_TIMEOUT:-1200}" wine "$suite" "$@" 2>&1 | tr -d '\r'
status=${PIPESTATUS[0]}
if [ "$status" = 124 ]; then
    echo "run-e2e: the suite did not finish within ${BRIXTEL_E2E_TIMEOUT:-1200} s" >&2
fi
# The user guide's pictures sit in a folder of their own (guide/).
while IFS= read -r -d '' picture; do
    timeout 60 convert "$picture" "${picture%.bmp}.png" 2>/dev/null && rm -f "$picture"
    echo "run-e2e: screenshot ${picture%.bmp}.png"
done < <(find "$artifacts" -name '*.bmp' -type f -print0 | sort -z)
echo "run-e2e: finished in $(($(date +%s) - started)) s with status $status"
exit "$status"
