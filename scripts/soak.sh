#!/usr/bin/env bash
# The long run: Brixtel monitors 50 points every 100 ms in the Export View and logs every row to
# date-named files, a DDE client holds a hot link on and off, and the Zandor simulator
# misbehaves all along (scripts/lib/misbehave.sh: restarted every 30 s, silent for 40 s every
# 5 minutes, 5 % of its answers lost and 5 % sent 250 ms late); the last 90 s it behaves.
# Brixtel's memory (VmRSS), the file descriptors of its process and its Windows handle count are
# sampled every minute. At the end the log is read back against the simulator's records
# (scripts/lib/long_run_check.py). See docs/RELIABILITY.md.
#
#   scripts/soak.sh [minutes]     # default 60
#
# Control runs, to tell apart what memory depends on: SOAK_INTERVAL_MS (default 100) polls at
# another interval, SOAK_DDE=0 leaves the DDE client out; the MISBEHAVE_* settings of
# scripts/lib/misbehave.sh change or turn off the misbehaviour.
#
# Exit status: 0 when every check held, 1 when one failed, 2 for a bad command line, 3 when the
# run could not be set up. SOAK_KEEP=1 keeps the run folder (prefix, records, log, samples).
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

minutes="${1:-60}"
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 3 ] || [ "$minutes" -gt 1440 ] ||
    ! [[ "${SOAK_INTERVAL_MS:-100}" =~ ^[0-9]+$ ]] || [ "${SOAK_INTERVAL_MS:-100}" -lt 10 ] ||
    ! [[ "${SOAK_DDE:-1}" =~ ^[01]$ ]]; then
    echo "usage: [SOAK_INTERVAL_MS=10..] [SOAK_DDE=0|1] $0 [minutes]   (3 to 1440, default 60)" >&2
    exit 2
fi
seconds=$((minutes * 60))
points=50
interval_ms="${SOAK_INTERVAL_MS:-100}"
with_dde="${SOAK_DDE:-1}"
sample_every=60
calm_end=90          # seconds at the end without misbehaviour
view_records=10000   # the View buffer's size: memory is judged once it is full
# Growth allowed once the buffer is full: Wine keeps 64 bytes of every hot-link value the
# program sends (docs/RELIABILITY.md, "What this Wine allows"), plus this much.
rss_slack_kb=2048
handle_slack=5

say() { echo "soak: $*" >&2; }

source scripts/lib/long_run.sh
source scripts/lib/misbehave.sh
long_run_build dde_client_tool || exit 3
long_run_start soak "${SOAK_KEEP:-0}" || exit 3
log_folder="$WINEPREFIX/drive_c/soak-logs"
mkdir -p "$log_folder"

misbehave_start || exit 3
say "simulator on 127.0.0.1:$MISBEHAVE_PORT"
long_run_monitor "$MISBEHAVE_PORT" --points "$points" --interval "$interval_ms" \
    --log-file 'C:\soak-logs\soak' --append-date 1 --sample-seconds "$sample_every" \
    --max-seconds $((seconds + 3600)) || exit 3
started=$(date +%s)
say "Brixtel monitors (process $BRIXTEL_PID); $minutes min from now"
long_run_sampler "$sample_every" "$log_folder/*.CSV"

# The simulator's own process ends with each restart, so the schedule runs in its own process
# (which owns the simulator from now on).
misbehave_schedule $((seconds - calm_end)) &
BACKGROUND_PIDS+=($!)
SIMULATOR_PID=""

# A hot link on a DDE-only point (Block 51), held about half the time in spells of 0 to 20 s:
# about 5 values a second, well under the 65,536 hot-link values this Wine lets a process send.
dde_pid=""
if [ "$with_dde" = 1 ]; then
    wine "$LONG_RUN_DDE_TOOL" --service Brixtel --topic Output --points 1 --links 1 --first-block 51 \
        --seconds $((seconds - 30)) --mean-ms 10000 --seed 1 --connect-seconds 60 \
        >"$RUN_DIR/dde.out" 2>&1 &
    dde_pid=$!
fi

while [ "$(date +%s)" -lt $((started + seconds)) ]; do
    if ! kill -0 "$BRIXTEL_PID" 2>/dev/null; then
        say "Brixtel ended during the run"
        break
    fi
    sleep 5
done
ended=$(date +%s)
running=no
kill -0 "$BRIXTEL_PID" 2>/dev/null && running=yes
long_run_sample "$log_folder/*.CSV" >>"$RUN_DIR/samples"
[ -n "$dde_pid" ] && timeout 120 tail --pid="$dde_pid" -f /dev/null 2>/dev/null
closed=no
[ "$running" = yes ] && long_run_stop_monitor && closed=yes

# ---- Report -----------------------------------------------------------------------------------

failures=()
echo
echo "Soak: $points points every $interval_ms ms, Export View logged to date-named files, a DDE" \
    "hot link on and off, the simulator misbehaving; $minutes min"
machine_line
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Misbehaviour: restart every ${MISBEHAVE_RESTART_S} s (down ${MISBEHAVE_DOWN_S} s), silent" \
    "${MISBEHAVE_SILENCE_S} s every ${MISBEHAVE_SILENCE_EVERY_S} s, drop ${MISBEHAVE_DROP}," \
    "delay ${MISBEHAVE_DELAY_SHARE} of the answers by ${MISBEHAVE_DELAY_MS} ms; calm for the last ${calm_end} s"

check_out="$RUN_DIR/check.out"
python3 scripts/lib/long_run_check.py --run-dir "$RUN_DIR" --log "$log_folder/*.CSV" \
    --points "$points" >"$check_out"
check_status=$?
figure() { sed -n "s/^$1=//p" "$check_out"; }
expected=$(((ended - started) * 1000 / interval_ms))
echo "Rows: $expected ticks in $((ended - started)) s; $(figure rows) rows written" \
    "($(ls "$log_folder" | tr '\n' ' ')), $(figure complete) of them complete;" \
    "$(figure ticks) ticks reached the simulator"
echo "Reads: $(figure reads) received by $(figure incarnations) simulators: $(figure reads_answered)" \
    "answered, $(figure reads_delayed) delayed, $(figure reads_dropped) dropped," \
    "$(figure reads_silent) met silence"
echo "Cells: $(figure values) values ($(figure values_late) of them from an earlier tick)," \
    "$(figure missing) MISSING: $(figure missing_dropped) dropped, $(figure missing_delayed) delayed," \
    "$(figure missing_silent) silent, $(figure missing_not_received_down) sent while the simulator" \
    "was down, $(figure missing_not_received_up) never received while it was up," \
    "$(figure missing_taken_late) answered in time but taken after the next tick (and" \
    "$(figure missing_late_overwritten) more overwritten there by the next answer)," \
    "$(figure missing_after_last_row) in the last row (logging stopped before they came)," \
    "$(figure missing_lost) unexplained; $(figure foreign) values from no answer for their block"
echo "Answers sent in time that are in no row (lost): $(figure answers_lost), besides" \
    "$(figure answers_after_last_row) that came after the last row; ticks that had" \
    "answers but no row: $(figure ticks_answered_without_row) of $(figure ticks_logged_span)"
echo "Outages: $(figure outages); first value taken after a restart within $(figure back_after_restart_max_s) s" \
    "(mean $(figure back_after_restart_mean_s) s), after a silence within" \
    "$(figure back_after_silence_max_s) s (mean $(figure back_after_silence_mean_s) s);" \
    "connections made: $(figure connections) (reconnects: $(figure reconnects))"
echo "Ticks as the simulator saw them (median / p90 / p99 ms): period $(figure tick_period_ms_median) /" \
    "$(figure tick_period_ms_p90) / $(figure tick_period_ms_p99), first to last read" \
    "$(figure tick_sending_ms_median) / $(figure tick_sending_ms_p90) / $(figure tick_sending_ms_p99)," \
    "last read to the next tick $(figure tick_slack_ms_median) / $(figure tick_slack_ms_p90) /" \
    "$(figure tick_slack_ms_p99); answers taken late by their read's place in the tick" \
    "(1-10/.../41-50): $(figure late_by_place), their read $(figure late_read_to_next_tick_ms_median) ms" \
    "before the next tick (median; p10 $(figure late_read_to_next_tick_ms_p10) ms)"
sed -n 's/^FAULT /  fault: /p' "$check_out"
[ "$check_status" = 0 ] || failures+=("the log does not match the simulator's records")

dde_values=0
if [ "$with_dde" = 1 ]; then
    dde_summary=$(tr -d '\r' <"$RUN_DIR/dde.out" | grep '^SUMMARY' | tail -n 1)
    echo "DDE client: ${dde_summary:-no summary}"
    dde_values=$(sed -n 's/.* values=\([0-9]*\).*/\1/p' <<<"$dde_summary")
    [ -n "$dde_summary" ] || failures+=("the DDE client ended without a summary")
    for key in start_failures stop_failures undecodable; do
        value=$(sed -n "s/.* $key=\([0-9]*\).*/\1/p" <<<"$dde_summary")
        [ "${value:-0}" = 0 ] || failures+=("DDE client: $key=$value")
    done
else
    echo "DDE client: none (SOAK_DDE=0)"
fi

# Memory and handles: the series, and the growth from the first sample after the View buffer
# filled (the log then holds as many rows as the buffer: every row the View took is logged) to
# the end; memory and handles are not judged in a run whose buffer was not full 10 minutes
# before the end (the figures are then shown from the run's middle).
full_at=$(awk -v n=$((view_records + 3)) '$5 >= n {print $1; exit}' "$RUN_DIR/samples")
judged=yes
[ -n "$full_at" ] && [ $((full_at + 600)) -le "$ended" ] || { judged=no; full_at=$((started + (ended - started) / 2)); }
echo "Samples (minute: VmRSS MiB / open file descriptors / threads of the Linux process / log lines):"
awk -v s="$started" '{printf "%s%d: %.1f/%s/%s/%s", (NR % 4 == 1 ? (NR > 1 ? "\n  " : "  ") : ", "), ($1 - s) / 60, $2 / 1024, $3, $4, $5}
    END {print ""}' "$RUN_DIR/samples"
read -r first_rss first_fd <<<"$(awk -v f="$full_at" '$1 >= f {print $2, $3; exit}' "$RUN_DIR/samples")"
read -r last_rss last_fd <<<"$(tail -n 1 "$RUN_DIR/samples" | awk '{print $2, $3}')"
read -r start_rss start_fd <<<"$(head -n 1 "$RUN_DIR/samples" | awk '{print $2, $3}')"
handles_start=$(handle_samples | head -n 1 | awk '{print $1}')
handles_full=$(handle_samples | sed -n "$((($full_at - started) / sample_every + 1))p" | awk '{print $1}')
handles_last=$(handle_samples | tail -n 1 | awk '{print $1}')
allowed_kb=$((rss_slack_kb + ${dde_values:-0} * 64 / 1024))
echo "VmRSS: $((start_rss / 1024)) MiB at the start, $((first_rss / 1024)) MiB when the View buffer" \
    "was full (minute $(((full_at - started) / 60))), $((last_rss / 1024)) MiB at the end: growth" \
    "$((last_rss - first_rss)) KiB since full (allowed $allowed_kb KiB: $rss_slack_kb + 64 bytes per hot-link value)"
echo "Linux fds: $start_fd at the start, $first_fd when full, $last_fd at the end;" \
    "Windows kernel handles (the system's handle list): ${handles_start:-?} at the start," \
    "${handles_full:-?} when full, ${handles_last:-?} at the end"
echo "Handles by minute: $(handle_samples | awk '{printf "%s%s", (NR > 1 ? " " : ""), $1}')"
if [ "$judged" = no ]; then
    echo "Memory and handles not judged: the View buffer was not full 10 minutes before the end" \
        "(the figures above are from the run's middle)"
else
    [ $((last_rss - first_rss)) -le "$allowed_kb" ] || failures+=("memory grew by $((last_rss - first_rss)) KiB after the View buffer was full")
fi
[ $((last_fd - first_fd)) -le "$handle_slack" ] || failures+=("file descriptors grew from $first_fd to $last_fd")
if [ -n "$handles_full" ] && [ -n "$handles_last" ]; then
    [ "$judged" = no ] || [ $((handles_last - handles_full)) -le "$handle_slack" ] ||
        failures+=("Windows handles grew from $handles_full to $handles_last")
else
    failures+=("the program's handle count was not reported")
fi
long_run_verdict
