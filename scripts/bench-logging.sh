#!/usr/bin/env bash
# Logging at the fastest rate: 50 points every 10 ms against the Zandor simulator on
# 127.0.0.1, Brixtel measured with logging off and with logging on (started through the Log
# Data dialog, to a file in the Wine prefix), in the Export View and in the Debug View. Prints
# one table: rows (Export View) or lines (Debug View) written per second against the poll
# cycles or answers of the same window, those lost, and the CPU of Brixtel, the wineserver and
# the X server as shares of one core; logging's cost is the difference between the two runs of
# a view. See docs/PERFORMANCE.md.
#
#   scripts/bench-logging.sh [seconds]     # seconds of each window, default 60
#
# Environment: BENCH_KEEP=1 keeps the run folder (prefix, logs, records, program output);
# BENCH_QUIET_LOAD (default 1.5) and BENCH_QUIET_BOUND (seconds, default 600): the run waits
# at most that long for the load average to fall below that before it starts; BENCH_PHASES
# (default "export-off export-on debug-off debug-on") runs only some of the four;
# BENCH_PROGRAM measures another Brixtel.exe (a build from before a change, say).
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

source scripts/lib/bench.sh
seconds=$(bench_seconds_argument "$0" "${1:-60}") || exit 2

points=50
interval_ms=10
warmup=5 # seconds between READY and the start of a window
wanted_cycles=$((1000 / interval_ms))
wanted_requests=$((points * wanted_cycles))
phases="${BENCH_PHASES:-export-off export-on debug-off debug-on}"
for phase in $phases; do
    case $phase in
    export-off | export-on | debug-off | debug-on) ;;
    *) echo "BENCH_PHASES: no phase $phase" >&2; exit 2 ;;
    esac
done

say() { echo "bench-logging: $*" >&2; }

driver="$BENCH_WIN_BUILD/bench/bench_logging.exe"
bench_install_packages || exit 3
bench_build Brixtel bench_logging brixtel_e2e_hook || exit 3
wait_for_quiet "${BENCH_QUIET_LOAD:-1.5}" "${BENCH_QUIET_BOUND:-600}"
bench_start_run 1280x1024x24 || exit 3
log_folder="$WINEPREFIX/drive_c/bench-logs"
mkdir -p "$log_folder"

# Records in a log file. A .CSV row is a line outside the header blocks (with the default
# columns a header line starts with a comma or with "Date,", a row with its date); a .LOG
# record is an answer, whose first line echoes the request ("... read output ...").
log_records() {
    [ -n "$1" ] && [ -f "$1" ] || { echo 0; return; }
    case "$1" in
    *.CSV) grep -c -v -e '^,' -e '^Date,' "$1" ;;
    *) grep -c 'read output' "$1" ;;
    esac
}
log_lines() { [ -n "$1" ] && [ -f "$1" ] && wc -l <"$1" || echo 0; }

# $1: export or debug; $2: on or off. Sets the figures of the phase "$1-$2".
run_phase() {
    local view="$1" logging="$2" phase="$1-$2" out stop pid launcher server file="" log_args=()
    local t0 t1 p0 p1 s0 s1 x0 x1 r0 r1 l0 l1 n0 n1 ready load
    out="$RUN_DIR/$phase.out"
    stop="$RUN_DIR/$phase.stop"
    start_simulator "$phase" || return 1
    if [ "$logging" = on ]; then
        local extension=CSV
        [ "$view" = debug ] && extension=LOG
        file="$log_folder/$phase.$extension"
        log_args=(--log-file "C:\\bench-logs\\$phase")
    fi
    BRIXTEL_EXE=$(windows_path "$BENCH_PROGRAM") BRIXTEL_E2E_HOOK=$(windows_path "$BENCH_HOOK") \
        wine "$driver" --view "$view" --port "$PORT" --points "$points" --interval "$interval_ms" \
        --stop-file "$(windows_path "$stop")" --max-seconds 7200 "${log_args[@]}" >"$out" 2>&1 &
    launcher=$!
    wait_for_line "$out" 180 READY || { say "Brixtel did not start ($phase)"; tr -d '\r' <"$out" >&2; return 1; }
    ready=$(read_requests_so_far)
    pid=$(pid_of Brixtel.exe) || { say "no process of Brixtel.exe"; return 1; }
    server=$(pid_of wineserver) || { say "no wineserver of this prefix"; return 1; }
    sleep "$warmup"
    load=$(cut -d' ' -f1 /proc/loadavg)
    t0=$(now); p0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server"); x0=$(cpu_ticks "$XVFB_PID")
    r0=$(read_requests_so_far); l0=$(log_records "$file"); n0=$(log_lines "$file")
    sleep "$seconds"
    t1=$(now); p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server"); x1=$(cpu_ticks "$XVFB_PID")
    r1=$(read_requests_so_far); l1=$(log_records "$file"); n1=$(log_lines "$file")
    touch "$stop"
    if [ -z "$p1" ] || [ -z "$s1" ]; then
        say "a measured process ended during the window ($phase)"
        return 1
    fi
    wait_for_line "$out" 120 DONE || { say "the $phase run did not end well"; tr -d '\r' <"$out" >&2; return 1; }
    timeout 60 tail --pid="$launcher" -f /dev/null 2>/dev/null
    stop_simulator
    local d
    d=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f", b - a}')
    REQUESTS[$phase]=$((r1 - r0))
    WRITTEN[$phase]=$((l1 - l0))
    LINES[$phase]=$((n1 - n0))
    SINCE_READY[$phase]=$((r1 - ready))
    LOGGED[$phase]=$l1
    SPAN[$phase]=$d
    CPU[$phase]=$(cpu_share "$p0" "$p1" "$d")
    SERVER[$phase]=$(cpu_share "$s0" "$s1" "$d")
    XCPU[$phase]=$(cpu_share "$x0" "$x1" "$d")
    LOAD[$phase]=$load
}

declare -A REQUESTS WRITTEN LINES SINCE_READY LOGGED SPAN CPU SERVER XCPU LOAD
started=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for phase in $phases; do
    say "measuring the ${phase%-*} view with logging ${phase#*-} ($((warmup + seconds)) s)"
    run_phase "${phase%-*}" "${phase#*-}" || exit 1
done
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- Report -------------------------------------------------------------------------------

per_second() { awk -v n="$1" -v d="$2" -v k="${3:-1}" 'BEGIN {printf "%.1f", n / k / d}'; }
sum() { awk -v a="$1" -v b="$2" -v c="${3:-0}" 'BEGIN {printf "%.3f", a + b + c}'; }
difference() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%+.3f", a - b}'; }

echo
echo "Logging at the fastest rate: $points points every $interval_ms ms ($wanted_cycles cycles," \
    "$wanted_requests requests and answers a second wanted) against the simulator on 127.0.0.1;"
echo "each window $seconds s; CPU as shares of one core."
machine_line
echo "Load average before: $load_before; after: $load_after"
echo
format='%-18s %5s %9s %9s %7s %7s %7s %6s %6s %6s %6s\n'
printf "$format" "view, logging" load "cycles/s" "logged/s" "missed" "behind" "lines/s" "CPU" "wine-" "X" "sum"
printf "$format" "" "" "answers/s" "" "" "at end" "" "own" "server" "server" ""
for phase in $phases; do
        view=${phase%-*}; logging=${phase#*-}
        d=${SPAN[$phase]}
        # An Export View record is a cycle's row (a cycle is one read request per point); a
        # Debug View record is an answer (one per request).
        per=1
        [ "$view" = export ] && per=$points
        expected=$((REQUESTS[$phase] / per))
        logged="-"; missed="-"; behind="-"; lines="-"
        if [ "$logging" = on ]; then
            logged=$(per_second "${WRITTEN[$phase]}" "$d")
            missed=$(awk -v w="${WRITTEN[$phase]}" -v e="$expected" \
                'BEGIN { if (e > 0) printf "%.1f%%", 100 * (e - w) / e; else print "-" }')
            # Logging starts a moment before READY: a few records more than counted is none behind.
            behind=$((SINCE_READY[$phase] / per - LOGGED[$phase]))
            [ "$behind" -lt 0 ] && behind=0
            lines=$(per_second "${LINES[$phase]}" "$d")
        fi
        printf "$format" "${view^}, $logging" "${LOAD[$phase]}" "$(per_second "$expected" "$d")" \
            "$logged" "$missed" "$behind" "$lines" "${CPU[$phase]}" "${SERVER[$phase]}" \
            "${XCPU[$phase]}" "$(sum "${CPU[$phase]}" "${SERVER[$phase]}" "${XCPU[$phase]}")"
done
echo "missed: the window's cycles (answers) without a record in the window, as a share of them;"
echo "behind at end: cycles (answers) since logging started that had no record at the window's end."
echo
for view in export debug; do
    on="$view-on"; off="$view-off"
    [ -n "${SPAN[$on]:-}" ] && [ -n "${SPAN[$off]:-}" ] || continue
    echo "${view^} View, cost of logging (on - off): own $(difference "${CPU[$on]}" "${CPU[$off]}")," \
        "wineserver $(difference "${SERVER[$on]}" "${SERVER[$off]}"), X server" \
        "$(difference "${XCPU[$on]}" "${XCPU[$off]}"), sum" \
        "$(difference "$(sum "${CPU[$on]}" "${SERVER[$on]}" "${XCPU[$on]}")" \
            "$(sum "${CPU[$off]}" "${SERVER[$off]}" "${XCPU[$off]}")")"
done
echo "Run took $(($(date +%s) - started)) s after the build."
