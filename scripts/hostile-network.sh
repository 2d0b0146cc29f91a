#!/usr/bin/env bash
# A hostile and broken network: while Brixtel monitors 50 points every 100 ms (Export View,
# logged), tools/hostile-sender sends to Brixtel's bound UDP port from other loopback ports:
# random bytes, empty datagrams, 65,507-byte datagrams, answers with forged Request identifiers,
# answers naming a bystander process's window, and exact copies of Brixtel's requests answered
# with a forged value (-77777.25), up to 10,000 datagrams a second. The run has two halves of the
# given length: quiet first, then hostile, so that the memory the View buffer takes anyway can be
# told from memory the traffic would take. See docs/RELIABILITY.md.
#
#   scripts/hostile-network.sh [seconds]     # default 60 (each half)
#
# Checked: Brixtel still runs and keeps taking its server's answers; the bystander window got no
# message; no value in the log came from anywhere but the simulator (the log is read back
# against the simulator's record, scripts/lib/long_run_check.py) and the forged value is in no
# cell; Brixtel's VmRSS grew no more in the hostile half than in the quiet one (2 MiB slack).
# Exit status: 0 PASS, 1 FAIL, 2 bad command line, 3 the run could not be set up.
# Environment: HOSTILE_RATE (datagrams a second, default 10000), HOSTILE_KEEP=1 keeps the run
# folder.
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

seconds="${1:-60}"
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 5 ] || [ "$seconds" -gt 3600 ]; then
    echo "usage: $0 [seconds]   (5 to 3600, default 60)" >&2
    exit 2
fi
rate="${HOSTILE_RATE:-10000}"
points=50
interval_ms=100
forged_value=-77777.25
rss_slack_kb=2048

say() { echo "hostile-network: $*" >&2; }

LONG_RUN_NATIVE_TARGETS=hostile-sender
source scripts/lib/long_run.sh
source scripts/lib/misbehave.sh
sender="$top/build/native/tools/hostile-sender/hostile-sender"
long_run_build || exit 3
long_run_start hostile "${HOSTILE_KEEP:-0}" || exit 3
log_folder="$WINEPREFIX/drive_c/hostile-logs"
mkdir -p "$log_folder"

# A simulator that behaves: its values are serial numbers, so each logged value names its answer.
MISBEHAVE_DROP=0 MISBEHAVE_DELAY_SHARE=0 misbehave_start || exit 3
wine "$LONG_RUN_TOOL" --victim --stop-file "$(windows_path "$RUN_DIR/stop")" \
    --max-seconds $((4 * seconds + 600)) >"$RUN_DIR/victim.out" 2>&1 &
BACKGROUND_PIDS+=($!)
wait_for_line "$RUN_DIR/victim.out" 120 VICTIM || { say "the bystander did not start"; exit 3; }
victim=$(tr -d '\r' <"$RUN_DIR/victim.out" | sed -n 's/^VICTIM window=\([0-9A-F]*\).*/\1/p')

long_run_monitor "$MISBEHAVE_PORT" --points "$points" --interval "$interval_ms" \
    --log-file 'C:\hostile-logs\hostile' --append-date 0 --sample-seconds 3600 \
    --max-seconds $((4 * seconds + 600)) || exit 3
record="$RUN_DIR/record.0001"
brixtel_port=$(grep ' read output ' "$record" | tail -n 1 | cut -f3 | sed 's/.*://')
[ -n "$brixtel_port" ] || { say "Brixtel sent no read request"; exit 3; }
say "Brixtel (process $BRIXTEL_PID, window $BRIXTEL_WINDOW) reads from 127.0.0.1:$brixtel_port;" \
    "bystander window $victim; $seconds s quiet, then $seconds s hostile"
log="$log_folder/*.CSV"

long_run_sample "$log" >"$RUN_DIR/samples"
sleep "$seconds"
long_run_sample "$log" >>"$RUN_DIR/samples"
reads_before=$(grep -c ' read output ' "$record")
"$sender" --target-port "$brixtel_port" --record "$record" --seconds "$seconds" --rate "$rate" \
    --bystander "$victim" --value "$forged_value" --avoid-port "$MISBEHAVE_PORT" \
    >"$RUN_DIR/sender.out" 2>&1
long_run_sample "$log" >>"$RUN_DIR/samples"
reads_after=$(grep -c ' read output ' "$record")
running=no
kill -0 "$BRIXTEL_PID" 2>/dev/null && running=yes
closed=no
[ "$running" = yes ] && long_run_stop_monitor && closed=yes
wait_for_line "$RUN_DIR/victim.out" 60 VICTIM_MESSAGES

# ---- Report -----------------------------------------------------------------------------------

failures=()
echo
echo "Hostile network: $points points every $interval_ms ms logged in the Export View;" \
    "$seconds s quiet, then $seconds s of hostile datagrams at up to $rate a second"
machine_line
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
sent=$(grep '^SENT' "$RUN_DIR/sender.out")
echo "Sent to 127.0.0.1:$brixtel_port from 8 other ports: ${sent#SENT }"
[ -n "$sent" ] || failures+=("the sender did not finish")
victim_line=$(tr -d '\r' <"$RUN_DIR/victim.out" | grep '^VICTIM_MESSAGES')
echo "Bystander window $victim received: ${victim_line#VICTIM_MESSAGES }"
[ "$(sed -n 's/.*user=\([0-9]*\).*/\1/p' <<<"$victim_line")" = 0 ] ||
    failures+=("the bystander window received WM_USER messages (${victim_line:-no count})")

python3 scripts/lib/long_run_check.py --run-dir "$RUN_DIR" --log "$log" --points "$points" \
    >"$RUN_DIR/check.out"
check_status=$?
figure() { sed -n "s/^$1=//p" "$RUN_DIR/check.out"; }
forged_cells=$(cat $log | tr ',' '\n' | grep -c -x -e "$forged_value" -e "${forged_value}0*")
echo "Log: $(figure rows) rows, $(figure values) values, all from the simulator's answers but" \
    "$(figure foreign); cells holding the forged value: $forged_cells"
echo "Reads answered while hostile: $((reads_after - reads_before))"
sed -n 's/^FAULT /  fault: /p' "$RUN_DIR/check.out"
[ "$(figure foreign)" = 0 ] || failures+=("$(figure foreign) logged values came from no answer of the simulator")
[ "$forged_cells" = 0 ] || failures+=("$forged_cells cells hold the forged value")
[ $((reads_after - reads_before)) -gt 0 ] || failures+=("Brixtel read nothing while the network was hostile")

read -r rss0 fd0 <<<"$(sed -n 1p "$RUN_DIR/samples" | awk '{print $2, $3}')"
read -r rss1 fd1 <<<"$(sed -n 2p "$RUN_DIR/samples" | awk '{print $2, $3}')"
read -r rss2 fd2 <<<"$(sed -n 3p "$RUN_DIR/samples" | awk '{print $2, $3}')"
echo "Brixtel VmRSS: $((rss0 / 1024)) MiB at the start, $((rss1 / 1024)) MiB when the hostile" \
    "traffic began, $((rss2 / 1024)) MiB at its end: $((rss1 - rss0)) KiB quiet, $((rss2 - rss1))" \
    "KiB hostile (the View buffer fills in both); file descriptors $fd0, $fd1, $fd2"
[ $((rss2 - rss1)) -le $((rss1 - rss0 + rss_slack_kb)) ] ||
    failures+=("memory grew by $((rss2 - rss1)) KiB while hostile against $((rss1 - rss0)) KiB while quiet")
long_run_verdict
