# Shell functions the long runs share (scripts/soak.sh, scripts/misbehaving-server.sh,
# scripts/hostile-network.sh): the run folder with its display and Wine prefix, Brixtel kept
# monitoring by monitor_tool.exe, and its figures from /proc. Source it from the tree's top folder
# after defining `say`; it sources scripts/lib/bench.sh (pid_of, rss_kb, machine_line).

source scripts/lib/bench.sh

LONG_RUN_TOOL="$BENCH_WIN_BUILD/e2e/monitor_tool.exe"
LONG_RUN_DDE_TOOL="$BENCH_WIN_BUILD/e2e/dde_client_tool.exe"
MONITOR_PID=""
BACKGROUND_PIDS=()

long_run_build() {
    say "building"
    { cmake --preset windows >/dev/null &&
        cmake --build --preset windows -j2 --target Brixtel monitor_tool "$@" >/dev/null &&
        cmake --preset native >/dev/null &&
        cmake --build --preset native -j2 --target zandor-sim ${LONG_RUN_NATIVE_TARGETS:-} >/dev/null; } ||
        { say "the build failed"; return 1; }
}

# Makes RUN_DIR under build/windows named after $1, a display and a fresh prefix; everything goes
# at exit unless $2 is 1.
long_run_start() {
    RUN_DIR=$(mktemp -d "$BENCH_WIN_BUILD/$1-run.XXXXXX")
    LONG_RUN_KEEP="${2:-0}"
    trap long_run_end EXIT
    trap 'exit 130' INT TERM
    start_virtual_display || return 1
    prepare_wine_prefix "$RUN_DIR/prefix"
}

long_run_end() {
    local pid
    for pid in "${BACKGROUND_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
    for pid in "${BACKGROUND_PIDS[@]}"; do timeout 15 tail --pid="$pid" -f /dev/null 2>/dev/null; done
    [ -n "${SIMULATOR_PID:-}" ] && kill "$SIMULATOR_PID" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    stop_virtual_display
    if [ "$LONG_RUN_KEEP" = 1 ]; then
        say "kept $RUN_DIR"
    else
        rm -rf "$RUN_DIR"
    fi
}

# Starts monitor_tool.exe against the simulator on port $1 with the further arguments given;
# waits for READY and sets BRIXTEL_PID (the Linux process) and BRIXTEL_WINDOW (hex).
long_run_monitor() {
    local port="$1"
    shift
    BRIXTEL_EXE=$(windows_path "$BENCH_PROGRAM") \
        wine "$LONG_RUN_TOOL" --port "$port" --stop-file "$(windows_path "$RUN_DIR/stop")" "$@" \
        >"$RUN_DIR/monitor.out" 2>&1 &
    MONITOR_PID=$!
    wait_for_line "$RUN_DIR/monitor.out" 240 READY ||
        { say "Brixtel did not start monitoring"; tr -d '\r' <"$RUN_DIR/monitor.out" >&2; return 1; }
    BRIXTEL_PID=$(pid_of Brixtel.exe) || { say "no process of Brixtel.exe"; return 1; }
    BRIXTEL_WINDOW=$(tr -d '\r' <"$RUN_DIR/monitor.out" | sed -n 's/^READY .*window=\([0-9A-F]*\).*/\1/p')
}

# Ends the monitoring: Brixtel stops logging and monitoring and is closed; false when that did
# not end well.
long_run_stop_monitor() {
    touch "$RUN_DIR/stop"
    wait_for_line "$RUN_DIR/monitor.out" 180 DONE
    local done=$?
    timeout 60 tail --pid="$MONITOR_PID" -f /dev/null 2>/dev/null
    return $done
}

# The run's verdict from the caller's `failures` array, `running` and `closed`: prints
# RESULT: PASS or RESULT: FAIL with the failures, and exits 0 or 1.
long_run_verdict() {
    [ "$running" = yes ] || failures+=("Brixtel ended during the run")
    [ "$closed" = yes ] || failures+=("Brixtel did not stop monitoring and close at the end")
    if [ ${#failures[@]} -eq 0 ]; then
        echo "RESULT: PASS"
        exit 0
    fi
    echo "RESULT: FAIL"
    printf '  - %s\n' "${failures[@]}"
    exit 1
}

fd_count() { ls "/proc/$1/fd" 2>/dev/null | wc -l; }
thread_count() { { awk '/^Threads:/ {print $2}' "/proc/$1/status"; } 2>/dev/null; }

# One sample of Brixtel: epoch, VmRSS (KiB), open file descriptors of its Linux process,
# threads, and the lines of the files matching $1 (the log), if given.
long_run_sample() {
    local lines=0
    [ -n "${1:-}" ] && lines=$(cat $1 2>/dev/null | wc -l)
    echo "$(date +%s) $(rss_kb "$BRIXTEL_PID") $(fd_count "$BRIXTEL_PID") $(thread_count "$BRIXTEL_PID") $lines"
}

# Samples Brixtel every $1 seconds into $RUN_DIR/samples (long_run_sample, log files $2).
long_run_sampler() {
    local every="$1" log="${2:-}"
    (
        while kill -0 "$BRIXTEL_PID" 2>/dev/null; do
            long_run_sample "$log" >>"$RUN_DIR/samples"
            sleep "$every"
        done
    ) &
    BACKGROUND_PIDS+=($!)
}

# The Windows handle counts monitor_tool.exe reported: "handles gdi user" per line (kernel handles
# from the system's handle list; this Wine reports 0 GDI and USER objects for every process).
handle_samples() {
    tr -d '\r' <"$RUN_DIR/monitor.out" | sed -n 's/^SAMPLE handles=\([0-9]*\) gdi=\([0-9]*\) user=\([0-9]*\).*/\1 \2 \3/p'
}
