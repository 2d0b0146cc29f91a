# Shell functions for running Windows programs under Wine on a virtual display.
# Source this file; it sets nothing until a function is called.

# Starts Xvfb on the first free display number and exports DISPLAY; XVFB_PID holds its pid.
# $1: the screen, default 1280x1024x24.
start_virtual_display() {
    local number screen="${1:-1280x1024x24}"
    for number in $(seq 90 140); do
        [ -e "/tmp/.X${number}-lock" ] && continue
        Xvfb ":${number}" -screen 0 "$screen" -nolisten tcp >/dev/null 2>&1 &
        XVFB_PID=$!
        local tries
        for tries in $(seq 1 100); do
            if [ -e "/tmp/.X11-unix/X${number}" ]; then
                export DISPLAY=":${number}"
                return 0
            fi
            kill -0 "$XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$XVFB_PID" 2>/dev/null || true
    done
    echo "could not start a virtual display" >&2
    return 1
}

stop_virtual_display() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
}

# Prepares a Wine prefix (created when missing) inside the current display.
# Work done without the display leaves a wineserver behind that cannot open windows,
# so any server of this prefix is ended first.
prepare_wine_prefix() {
    export WINEPREFIX="$1"
    export WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        mkdir -p "$WINEPREFIX"
        timeout 300 wineboot -i >/dev/null 2>&1 || true
        wineserver -w 2>/dev/null || true
    fi
}

stop_wine() {
    wineserver -k 2>/dev/null || true
}

# Waits, at most $2 seconds, for a top-level X window named exactly $1.
wait_for_x_window() {
    local name="$1" seconds="$2" step
    for step in $(seq 1 $((seconds * 4))); do
        xwininfo -root -tree 2>/dev/null | grep -q "\"$name\"" && return 0
        sleep 0.25
    done
    return 1
}

# Saves the top-level window named $2 (or the whole virtual display) as a PNG file.
save_screenshot() {
    local target="$1" name="${2:-}" id=""
    [ -n "$name" ] && id=$(xwininfo -name "$name" 2>/dev/null | awk '/Window id:/ {print $4}')
    if [ -n "$id" ]; then
        xwd -id "$id" -silent | convert xwd:- "png:$target"
    else
        xwd -root -silent | convert xwd:- "png:$target"
    fi
}
