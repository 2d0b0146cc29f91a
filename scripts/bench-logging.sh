#!/usr/bin/env bash
# Logging at the fastest rate: 50 points every 10 ms against the Zandor simulator on
# 127.0.0.1, Brixtel measured with logging off and with logging on (started through the Log
# Data dialog, to a file in the Wine prefix), in the Export View and in the Debug View. Prints
# one table: rows (Export View) or lines (Debug View) written per second against the poll
# cycles or answers of the same window, those lost, and the CPU of Brixtel, the wineserver and
# the X server as shares of one core; logging's cost is the difference between the two runs of
# a view. A second table gives each run's share of the requests wanted, the complete rows of
# the .CSV log, Brixtel's memory at the start and end of the window and the load average. The
# phase "floor" runs the floor program of scripts/bench-views.sh (the least a Win32 program
# must do for this traffic under Wine) for comparison. See docs/PERFORMANCE.md.
#
#   scripts/bench-logging.sh [seconds]     # seconds of each window, default 60
#   BENCH_PHASES="floor export-on" scripts/bench-logging.sh 600   # the ten-minute record
#
# Environment: BENCH_KEEP=1 keeps the run folder (prefix, logs, records, program output);
# BENCH_QUIET_LOAD (default 1.5) and BENCH_QUIET_BOUND (seconds, default 600): the run waits
# at most that long for the load average to fall below that before it starts; BENCH_PHASES
# (default "export-off export-on debug-off debug-on") runs only some of the four, or the
# floor (BENCH_FLOOR_SECONDS: its window, default the same);
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
    export-off | export-on | debug-off | debug-on | floor) ;;
    *) echo "BENCH_PHASES: no phase $phase" >&2; exit 2 ;;
    esac
done

say() { echo "bench-logging: $*" >&2; }

driver="$BENCH_WIN_BUILD/bench/bench_logging.exe"
floor="$BENCH_WIN_BUILD/bench/bench_floor.exe"
sample_every=10 # seconds between samples of memory and load in a window
bench_install_packages || exit 3
bench_build Brixtel bench_logging bench_floor brixtel_e2e_hook || exit 3
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

# Rows among lines $2+1 to $3 of the .CSV log $1 in which every point's value is there: with
# the default columns a row is "date,request time," and then a value and a comma per point,
# empty when the point never answered, MISSING when it did not answer within its cycle.
# Prints "complete rows".
complete_rows() {
    [ -n "$1" ] && [ -f "$1" ] || { echo "0 0"; return; }
    sed -n "$(($2 + 1)),$3p" "$1" | awk -F, -v points="$points" '
        /^,/ || /^Date,/ { next }
        { rows++; ok = 1
          for (i = 3; i < 3 + points; i++) if ($i == "" || $i == "MISSING") { ok = 0; break }
          complete += ok }
        END { printf "%d %d\n", complete, rows }'
}

# Waits out a window of $1 seconds, sampling the memory of process $2 and the load average
# every $sample_every seconds; sets W_RSS_MAX and W_LOAD_MAX.
sample_window() {
    local deadline rss load
    deadline=$(($(date +%s) + $1))
    W_RSS_MAX=$(rss_kb "$2"); W_LOAD_MAX=$(cut -d' ' -f1 /proc/loadavg)
    while [ "$(date +%s)" -lt "$deadline" ]; do
        sleep "$(awk -v d="$deadline" -v n="$(date +%s)" -v e="$sample_every" \
            'BEGIN {w = d - n; if (w > e) w = e; if (w < 1) w = 1; print w}')"
        rss=$(rss_kb "$2")
        [ -n "$rss" ] && [ "$rss" -gt "${W_RSS_MAX:-0}" ] && W_RSS_MAX="$rss"
        load=$(cut -d' ' -f1 /proc/loadavg)
        awk -v l="$load" -v m="$W_LOAD_MAX" 'BEGIN {exit !(l > m)}' && W_LOAD_MAX="$load"
    done
}

# The floor program: the same traffic, nothing drawn or logged. Sets the figures of "floor".
run_floor() {
    local out="$RUN_DIR/floor.out" pid launcher server t0 t1 p0 p1 s0 s1 x0 x1 r0 r1 load rss0 rss1 d
    start_simulator floor || return 1
    local window="${BENCH_FLOOR_SECONDS:-$seconds}"
    wine "$floor" "$PORT" $((warmup + window + 15)) "$points" "$interval_ms" >"$out" 2>&1 &
    launcher=$!
    wait_for_line "$out" 120 READY || { say "the floor program did not start"; cat "$out" >&2; return 1; }
    pid=$(pid_of bench_floor.exe) || { say "no process of the floor program"; return 1; }
    server=$(pid_of wineserver) || { say "no wineserver of this prefix"; return 1; }
    sleep "$warmup"
    load=$(cut -d' ' -f1 /proc/loadavg)
    t0=$(now); p0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server"); x0=$(cpu_ticks "$XVFB_PID")
    r0=$(read_requests_so_far); rss0=$(rss_kb "$pid")
    sample_window "$window" "$pid"
    t1=$(now); p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server"); x1=$(cpu_ticks "$XVFB_PID")
    r1=$(read_requests_so_far); rss1=$(rss_kb "$pid")
    [ -n "$p1" ] && [ -n "$s1" ] || { say "a measured process ended during the window (floor)"; return 1; }
    timeout 60 tail --pid="$launcher" -f /dev/null 2>/dev/null ||
        say "the floor program did not end by itself"
    stop_simulator
    d=$(awk -v a="$t0" -v b="$t1" 'BEGIN {printf "%.3f", b - a}')
    REQUESTS[floor]=$((r1 - r0)); SPAN[floor]=$d
    CPU[floor]=$(cpu_share "$p0" "$p1" "$d"); SERVER[floor]=$(cpu_share "$s0" "$s1" "$d")
    XCPU[floor]=$(cpu_share "$x0" "$x1" "$d")
    LOAD[floor]=$load; LOAD_MAX[floor]=$W_LOAD_MAX; LOAD_END[floor]=$(cut -d' ' -f1 /proc/loadavg)
    RSS0[floor]=$rss0; RSS1[floor]=$rss1; RSS_MAX[floor]=$W_RSS_MAX
}

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
    RSS0[$phase]=$(rss_kb "$pid")
    sample_window "$seconds" "$pid"
    t1=$(now); p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server"); x1=$(cpu_ticks "$XVFB_PID")
    r1=$(read_requests_so_far); l1=$(log_records "$file"); n1=$(log_lines "$file")
    RSS1[$phase]=$(rss_kb "$pid")
    RSS_MAX[$phase]=$W_RSS_MAX; LOAD_MAX[$phase]=$W_LOAD_MAX
    LOAD_END[$phase]=$(cut -d' ' -f1 /proc/loadavg)
    [ "$view" = export ] && [ "$logging" = on ] && COMPLETE[$phase]=$(complete_rows "$file" "$n0" "$n1")
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

declare -A REQUESTS WRITTEN LINES SINCE_READY LOGGED SPAN CPU SERVER XCPU LOAD LOAD_MAX LOAD_END
declare -A RSS0 RSS1 RSS_MAX COMPLETE
started=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
for phase in $phases; do
    if [ "$phase" = floor ]; then
        say "measuring the floor program ($((warmup + ${BENCH_FLOOR_SECONDS:-$seconds})) s)"
        run_floor || exit 1
        continue
    fi
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
        [ "$phase" = floor ] && continue
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
mib() { [ -n "$1" ] && awk -v k="$1" 'BEGIN {printf "%.1f", k / 1024}' || echo "-"; }
format='%-18s %9s %7s %9s %13s %7s %7s %7s %7s %9s %9s %9s\n'
printf "$format" "run" "requests/s" "of $wanted_requests" "CPU own" "complete rows" "" \
    "RSS MiB" "" "" "load" "" ""
printf "$format" "" "" "" "" "" "share" "start" "end" "highest" "start" "highest" "end"
for phase in $phases; do
    name="${phase^}"
    [ "$phase" != floor ] && name="${phase%-*}, ${phase#*-}" && name="${name^}"
    complete="-"; share="-"
    if [ -n "${COMPLETE[$phase]:-}" ]; then
        read -r c n <<<"${COMPLETE[$phase]}"
        complete="$c/$n"
        share=$(awk -v c="$c" -v n="$n" 'BEGIN { if (n > 0) printf "%.1f%%", 100 * c / n; else print "-" }')
    fi
    rate=$(per_second "${REQUESTS[$phase]}" "${SPAN[$phase]}")
    printf "$format" "$name" "$rate" \
        "$(awk -v r="$rate" -v w="$wanted_requests" 'BEGIN {printf "%.1f%%", 100 * r / w}')" \
        "${CPU[$phase]}" "$complete" "$share" "$(mib "${RSS0[$phase]}")" "$(mib "${RSS1[$phase]}")" \
        "$(mib "${RSS_MAX[$phase]}")" "${LOAD[$phase]}" "${LOAD_MAX[$phase]}" "${LOAD_END[$phase]}"
done
if [ -n "${SPAN[floor]:-}" ]; then
    for phase in $phases; do
        [ "$phase" = floor ] && continue
        echo "${phase}: CPU own per request over the floor's:" \
            "$(awk -v a="${CPU[$phase]}" -v ra="${REQUESTS[$phase]}" -v da="${SPAN[$phase]}" \
                -v b="${CPU[floor]}" -v rb="${REQUESTS[floor]}" -v db="${SPAN[floor]}" \
                'BEGIN { if (ra > 0 && b > 0) printf "%.2f", (a / (ra / da)) / (b / (rb / db)); else print "-" }')"
    done
fi
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
