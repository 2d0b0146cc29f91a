#!/usr/bin/env bash
# A misbehaving server: while Brixtel monitors 50 points every 100 ms in the Export View and logs
# every row, the Zandor simulator is restarted every 30 s, falls silent for 40 s every 5 minutes
# (the first time 95 s in), loses 5 % of its answers and sends 5 % of them 250 ms late
# (scripts/lib/misbehave.sh); the last 60 s it behaves. Then the log is read back against the
# simulator's records (scripts/lib/long_run_check.py). See docs/RELIABILITY.md.
#
#   scripts/misbehaving-server.sh [minutes]     # default 5
#
# Checked: after every restart and every silence Brixtel was served again within the reconnect
# period (three unanswered connstat periods and the fourth tick: 40 s); every "MISSING" in the
# log stands where the simulator lost, delayed or never got the request, or where the answer
# came after the next tick; every answer that went out is in the log or was overwritten by a
# later one; no value came from anywhere else; Brixtel still runs and closes.
# Exit status: 0 PASS, 1 FAIL, 2 bad command line, 3 the run could not be set up.
# MISBEHAVING_KEEP=1 keeps the run folder; the MISBEHAVE_* variables of scripts/lib/misbehave.sh
# change the schedule.
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

minutes="${1:-5}"
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 2 ] || [ "$minutes" -gt 600 ]; then
    echo "usage: $0 [minutes]   (2 to 600, default 5)" >&2
    exit 2
fi
seconds=$((minutes * 60))
points=50
interval_ms=100
calm_end=60
reconnect_bound=40

say() { echo "misbehaving-server: $*" >&2; }

source scripts/lib/long_run.sh
source scripts/lib/misbehave.sh
long_run_build || exit 3
long_run_start misbehaving "${MISBEHAVING_KEEP:-0}" || exit 3
log_folder="$WINEPREFIX/drive_c/misbehaving-logs"
mkdir -p "$log_folder"

misbehave_start || exit 3
long_run_monitor "$MISBEHAVE_PORT" --points "$points" --interval "$interval_ms" \
    --log-file 'C:\misbehaving-logs\run' --append-date 0 --sample-seconds 3600 \
    --max-seconds $((seconds + 3600)) || exit 3
started=$(date +%s)
say "Brixtel monitors (process $BRIXTEL_PID) against 127.0.0.1:$MISBEHAVE_PORT for $minutes min"
misbehave_schedule $((seconds - calm_end)) &
BACKGROUND_PIDS+=($!)
SIMULATOR_PID=""

while [ "$(date +%s)" -lt $((started + seconds)) ] && kill -0 "$BRIXTEL_PID" 2>/dev/null; do
    sleep 5
done
running=no
kill -0 "$BRIXTEL_PID" 2>/dev/null && running=yes
closed=no
[ "$running" = yes ] && long_run_stop_monitor && closed=yes

failures=()
echo
echo "Misbehaving server: $points points every $interval_ms ms logged in the Export View, $minutes min"
machine_line
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "Misbehaviour: restart every ${MISBEHAVE_RESTART_S} s (down ${MISBEHAVE_DOWN_S} s), silent" \
    "${MISBEHAVE_SILENCE_S} s every ${MISBEHAVE_SILENCE_EVERY_S} s from ${MISBEHAVE_SILENCE_FIRST_S} s," \
    "drop ${MISBEHAVE_DROP}, delay ${MISBEHAVE_DELAY_SHARE} of the answers by ${MISBEHAVE_DELAY_MS} ms;" \
    "calm for the last ${calm_end} s"
python3 scripts/lib/long_run_check.py --run-dir "$RUN_DIR" --log "$log_folder/*.CSV" \
    --points "$points" --bound "$reconnect_bound" >"$RUN_DIR/check.out"
check_status=$?
figure() { sed -n "s/^$1=//p" "$RUN_DIR/check.out"; }
echo "Reads: $(figure reads) received by $(figure incarnations) simulators: $(figure reads_answered)" \
    "answered, $(figure reads_delayed) delayed, $(figure reads_dropped) dropped," \
    "$(figure reads_silent) met silence; $(figure ticks) ticks"
echo "Rows: $(figure rows) written, $(figure complete) complete; ticks with answers but no row:" \
    "$(figure ticks_answered_without_row) of $(figure ticks_logged_span); answers sent in time" \
    "that are in no row (lost): $(figure answers_lost)"
echo "Cells: $(figure values) values, $(figure missing) MISSING: $(figure missing_dropped) dropped," \
    "$(figure missing_delayed) delayed, $(figure missing_silent) silent," \
    "$(figure missing_not_received_down) sent while the simulator was down," \
    "$(figure missing_not_received_up) never received while it was up," \
    "$(figure missing_taken_late) taken after the next tick (and $(figure missing_late_overwritten)" \
    "more overwritten there by the next answer), $(figure missing_lost) unexplained;" \
    "$(figure superseded) answers overwritten by a late one; $(figure foreign) values from elsewhere"
echo "Outages: $(figure outages); first value taken after a restart within $(figure back_after_restart_max_s) s" \
    "(mean $(figure back_after_restart_mean_s) s), after a silence within" \
    "$(figure back_after_silence_max_s) s (mean $(figure back_after_silence_mean_s) s), bound" \
    "$reconnect_bound s; connections made: $(figure connections) (reconnects: $(figure reconnects))"
sed -n 's/^FAULT /  fault: /p' "$RUN_DIR/check.out"
[ "$check_status" = 0 ] || failures+=("the log does not match the simulator's records")
long_run_verdict
