#!/usr/bin/env bash
# Views under load: 50 points every 10 ms against the Zandor simulator on 127.0.0.1, measured
# for the floor program (the least a Win32 program must do for that traffic under Wine), then
# for Brixtel in the Debug View and in the Export View. Prints one table of request rates,
# CPU shares (the program's own Linux process, the wineserver and the X server, as shares of
# one core), Brixtel's ratios to the floor, the Export View's complete rows and Brixtel's
# memory once its View buffer is full. See docs/PERFORMANCE.md.
#
#   scripts/bench-views.sh [seconds]     # seconds of each CPU window, default 60
#
# Brixtel is measured once its View buffer is full (10000 records: 10000 Export View cycles,
# about two minutes at 10 ms; 5000 requests and their answers in the Debug View), so that its
# memory is seen staying flat. A buffer that is not full after BENCH_FILL_BOUND seconds
# (default 600) is measured as it is, and the report says so.
#
# Environment: BENCH_KEEP=1 keeps the run folder (prefix, records, program output);
# BENCH_FILL_BOUND (seconds, see above); BENCH_FILL_RECORDS (default 10000) measures once that
# many records are in the buffer, for trying the script quickly.
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

source scripts/lib/bench.sh
seconds=$(bench_seconds_argument "$0" "${1:-60}") || exit 2

points=50
interval_ms=10
warmup=5                # seconds between READY and the start of a CPU window
sample_every=5          # seconds between memory samples
buffer_records=10000    # the View buffer's size
fill_records="${BENCH_FILL_RECORDS:-$buffer_records}"
fill_bound="${BENCH_FILL_BOUND:-600}"
reading_bound=1500      # seconds the driver may take to read the Export View's rows
wanted_rate=$((points * 1000 / interval_ms))

driver="$BENCH_WIN_BUILD/bench/bench_views.exe"
floor="$BENCH_WIN_BUILD/bench/bench_floor.exe"

say() { echo "bench-views: $*" >&2; }

bench_install_packages || exit 3
bench_build Brixtel bench_views bench_floor brixtel_e2e_hook || exit 3
# Wide enough for the Export View's 52 columns once the rows are read.
bench_start_run 9200x1200x24 || exit 3
run_dir="$RUN_DIR"

# Measures one running program: after the warm-up, waits until $2 requests have been made
# since READY (the View buffer is full then; 0: no wait) up to $fill_bound seconds, then takes
# CPU, requests and memory over a window of $seconds. Sets the M_* figures.
measure() {
    local pid="$1" fill_requests="$2" server ready_lines t0 t1 p0 p1 s0 s1 x0 x1 r0 r1 rss
    local deadline
    server=$(pid_of wineserver) || { say "no wineserver of this prefix"; return 1; }
    ready_lines=$(requests_so_far)
    sleep "$warmup"
    M_FULL=yes
    if [ "$fill_requests" -gt 0 ]; then
        deadline=$(($(date +%s) + fill_bound))
        while [ $(($(requests_so_far) - ready_lines)) -lt "$fill_requests" ]; do
            kill -0 "$pid" 2>/dev/null || { say "the program ended"; return 1; }
            if [ "$(date +%s)" -ge "$deadline" ]; then
                M_FULL=no
                say "the View buffer is not full after $fill_bound s; measuring it as it is"
                break
            fi
            sleep 2
        done
    fi
    M_FILL_REQUESTS=$(($(requests_so_far) - ready_lines))
    M_RSS_FULL=$(rss_kb "$pid")
    M_RSS_MAX="$M_RSS_FULL"
    t0=$(now); p0=$(cpu_ticks "$pid"); s0=$(cpu_ticks "$server"); x0=$(cpu_ticks "$XVFB_PID")
    r0=$(requests_so_far)
    deadline=$(awk -v t="$t0" -v s="$seconds" 'BEGIN {printf "%d", t + s}')
    while [ "$(date +%s)" -lt "$deadline" ]; do
        sleep "$(awk -v d="$deadline" -v n="$(now)" -v e="$sample_every" \
            'BEGIN {w = d - n; if (w > e) w = e; if (w < 0.1) w = 0.1; print w}')"
        rss=$(rss_kb "$pid")
        [ -n "$rss" ] && [ "$rss" -gt "$M_RSS_MAX" ] && M_RSS_MAX="$rss"
    done
    t1=$(now); p1=$(cpu_ticks "$pid"); s1=$(cpu_ticks "$server"); x1=$(cpu_ticks "$XVFB_PID")
    r1=$(requests_so_far)
    M_RSS_END=$(rss_kb "$pid")
    if [ -z "$p1" ] || [ -z "$s1" ]; then
        say "a measured process ended during the window"
        return 1
    fi
    read -r M_RATE M_CPU M_SERVER M_X < <(awk -v t0="$t0" -v t1="$t1" -v p0="$p0" -v p1="$p1" \
        -v s0="$s0" -v s1="$s1" -v x0="$x0" -v x1="$x1" -v r0="$r0" -v r1="$r1" -v hz="$CLOCK_TICKS" \
        'BEGIN {d = t1 - t0; printf "%.1f %.3f %.3f %.3f\n", (r1 - r0) / d, (p1 - p0) / hz / d,
                (s1 - s0) / hz / d, (x1 - x0) / hz / d}')
}

# ---- The three programs -------------------------------------------------------------------

run_floor() {
    local out="$run_dir/floor.out" pid launcher
    start_simulator floor || return 1
    wine "$floor" "$PORT" $((warmup + seconds + 15)) "$points" "$interval_ms" >"$out" 2>&1 &
    launcher=$!
    wait_for_line "$out" 120 READY || { say "the floor program did not start"; cat "$out" >&2; return 1; }
    pid=$(pid_of bench_floor.exe) || { say "no process of the floor program"; return 1; }
    measure "$pid" 0 || return 1
    timeout 60 tail --pid="$launcher" -f /dev/null 2>/dev/null ||
        say "the floor program did not end by itself"
    stop_simulator
}

# $1: debug or export.
run_brixtel() {
    local view="$1" out="$run_dir/$1.out" stop="$run_dir/$1.stop" pid launcher fill
    start_simulator "$view" || return 1
    BRIXTEL_EXE=$(windows_path "$BENCH_PROGRAM") BRIXTEL_E2E_HOOK=$(windows_path "$BENCH_HOOK") \
        wine "$driver" --view "$view" --port "$PORT" --points "$points" --interval "$interval_ms" \
        --stop-file "$(windows_path "$stop")" --max-seconds 7200 >"$out" 2>&1 &
    launcher=$!
    wait_for_line "$out" 180 READY || { say "Brixtel did not start monitoring"; tr -d '\r' <"$out" >&2; return 1; }
    pid=$(pid_of Brixtel.exe) || { say "no process of Brixtel.exe"; return 1; }
    # A record is an Export View cycle (one request per point), or a Debug View line (each
    # request and each answer), with a hundred more for good measure.
    if [ "$view" = export ]; then
        fill=$(((fill_records + 100) * points))
    else
        fill=$(((fill_records + 100) / 2))
    fi
    measure "$pid" "$fill" || { touch "$stop"; return 1; }
    touch "$stop"
    wait_for_line "$out" "$reading_bound" DONE || { say "the $view run did not end well"; tr -d '\r' <"$out" >&2; return 1; }
    timeout 60 tail --pid="$launcher" -f /dev/null 2>/dev/null
    stop_simulator
}

declare -A RATE CPU SERVER XCPU RSS_FULL RSS_MAX RSS_END FULL FILLED
keep_figures() {
    RATE[$1]=$M_RATE; CPU[$1]=$M_CPU; SERVER[$1]=$M_SERVER; XCPU[$1]=$M_X
    RSS_FULL[$1]=$M_RSS_FULL; RSS_MAX[$1]=$M_RSS_MAX; RSS_END[$1]=$M_RSS_END
    FULL[$1]=$M_FULL; FILLED[$1]=$M_FILL_REQUESTS
}

started=$(date +%s)
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
say "measuring the floor program ($((warmup + seconds)) s)"
run_floor || exit 1
keep_figures floor
say "measuring Brixtel in the Debug View (its buffer fills first, then $seconds s)"
run_brixtel debug || exit 1
keep_figures debug
say "measuring Brixtel in the Export View (its buffer fills first, then $seconds s, then its rows are read)"
run_brixtel export || exit 1
keep_figures export
rows=$(tr -d '\r' <"$run_dir/export.out" | awk '/^ROWS/ {
    for (i = 2; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] }
    printf "%d of %d rows read (%.1f%%)", f["complete"], f["read"], 100 * f["share"]
    if (f["untimed"] > 0) printf ", %d rows without times", f["untimed"] }')
warning=$(tr -d '\r' <"$run_dir/export.out" | sed -n 's/^WARNING //p')
load_after=$(cut -d' ' -f1-3 /proc/loadavg)

# ---- Report -------------------------------------------------------------------------------

mib() { awk -v k="$1" 'BEGIN { if (k == "") print "-"; else printf "%.1f", k / 1024 }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
# CPU per request of a program over the floor's.
ratio_per_request() {
    awk -v a="$1" -v ra="$2" -v b="$3" -v rb="$4" \
        'BEGIN { if (b > 0 && ra > 0 && rb > 0) printf "%.2f", (a / ra) / (b / rb); else print "-" }'
}
sum() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a + b }'; }
floor_both=$(sum "${CPU[floor]}" "${SERVER[floor]}")

echo
echo "Views under load: $points points every $interval_ms ms ($wanted_rate requests/s wanted) against"
echo "the simulator on 127.0.0.1; CPU over $seconds s per program as shares of one core."
machine_line
echo "Load average before: $load_before; after: $load_after"
echo
format='%-20s %7s %7s %7s %7s %7s %7s %7s %7s %7s %7s\n'
printf "$format" program "req/s" "of" "CPU" "wine-" "both" "X" "ratio" "ratio" "RSS MiB" "RSS MiB"
printf "$format" "" "" "$wanted_rate" "own" "server" "" "server" "own" "both" "full" "end"
for phase in floor debug export; do
    case $phase in
    floor) name="floor program" ;;
    debug) name="Brixtel Debug View" ;;
    export) name="Brixtel Export View" ;;
    esac
    full="-"; end="-"
    if [ "$phase" != floor ]; then
        full=$(mib "${RSS_FULL[$phase]}"); end=$(mib "${RSS_END[$phase]}")
        [ "${FULL[$phase]}" = yes ] || full="($full)"
    fi
    both=$(sum "${CPU[$phase]}" "${SERVER[$phase]}")
    printf "$format" "$name" "${RATE[$phase]}" \
        "$(awk -v r="${RATE[$phase]}" -v w="$wanted_rate" 'BEGIN {printf "%.1f%%", 100 * r / w}')" \
        "${CPU[$phase]}" "${SERVER[$phase]}" "$both" "${XCPU[$phase]}" \
        "$(ratio "${CPU[$phase]}" "${CPU[floor]}")" "$(ratio "$both" "$floor_both")" "$full" "$end"
done
echo
for phase in debug export; do
    both=$(sum "${CPU[$phase]}" "${SERVER[$phase]}")
    echo "${phase^} View per request, Brixtel / floor: own process" \
        "$(ratio_per_request "${CPU[$phase]}" "${RATE[$phase]}" "${CPU[floor]}" "${RATE[floor]}"), with" \
        "the wineserver $(ratio_per_request "$both" "${RATE[$phase]}" "$floor_both" "${RATE[floor]}")" \
        "(goal: 1.3 at most, at the floor's rate)"
done
echo "Export View complete rows: ${rows:-not read}${warning:+ (warning: $warning)}"
for phase in debug export; do
    if [ "${FULL[$phase]}" = yes ]; then
        state="full"
    else
        state="NOT full after $fill_bound s (${FILLED[$phase]} requests made; RSS in brackets)"
    fi
    echo "${phase^} View memory: buffer $state; $(mib "${RSS_FULL[$phase]}") MiB at the start" \
        "of the window, highest $(mib "${RSS_MAX[$phase]}") MiB, $(mib "${RSS_END[$phase]}") MiB at" \
        "its end (growth $(awk -v a="${RSS_FULL[$phase]}" -v b="${RSS_MAX[$phase]}" \
            'BEGIN {printf "%d", b - a}') KiB)"
done
echo "Run took $(($(date +%s) - started)) s after the build."
