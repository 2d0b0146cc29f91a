# A Zandor simulator that misbehaves on a schedule, for the long runs (scripts/soak.sh,
# scripts/misbehaving-server.sh). Source it from the tree's top folder after scripts/lib/bench.sh
# and after defining `say`; it sets nothing until a function is called.
#
# Every incarnation serves the same loopback port (so Brixtel's loop entry stays right), loses
# MISBEHAVE_DROP of its answers, sends MISBEHAVE_DELAY_SHARE of them MISBEHAVE_DELAY_MS late,
# and records every request in its own file ($RUN_DIR/record.NNNN). Its plant answers every
# block of module 1,2,5 with a serial number: incarnation N answers N*1000000 + the count of
# reads it answered before (the clock moves one second per read answered), so each value in a
# log names the request it answered. scripts/lib/long_run_check.py reads it all back.
#
# The schedule (misbehave_schedule, run in the background): the simulator is ended and started
# again every MISBEHAVE_RESTART_S seconds, down for MISBEHAVE_DOWN_S each time; every
# MISBEHAVE_SILENCE_EVERY_S seconds, from MISBEHAVE_SILENCE_FIRST_S on, it answers nothing for
# MISBEHAVE_SILENCE_S seconds (an incarnation started meanwhile starts silent). Each event is a
# line of $RUN_DIR/events: "<epoch seconds> start <N> <port>", "stop <N>", "silent", "resume".

MISBEHAVE_DROP="${MISBEHAVE_DROP:-0.05}"
MISBEHAVE_DELAY_SHARE="${MISBEHAVE_DELAY_SHARE:-0.05}"
MISBEHAVE_DELAY_MS="${MISBEHAVE_DELAY_MS:-250}"
MISBEHAVE_RESTART_S="${MISBEHAVE_RESTART_S:-30}"
MISBEHAVE_DOWN_S="${MISBEHAVE_DOWN_S:-1}"
MISBEHAVE_SILENCE_S="${MISBEHAVE_SILENCE_S:-40}"
MISBEHAVE_SILENCE_EVERY_S="${MISBEHAVE_SILENCE_EVERY_S:-300}"
MISBEHAVE_SILENCE_FIRST_S="${MISBEHAVE_SILENCE_FIRST_S:-95}"

MISBEHAVE_INCARNATION=0
MISBEHAVE_PORT=0
MISBEHAVE_CONTROL=""
MISBEHAVE_SILENT=0
SIMULATOR_PID=""

event() { echo "$(date +%s.%N) $*" >>"$RUN_DIR/events"; }

# Starts the next incarnation on MISBEHAVE_PORT (the first on a free port, which later ones keep).
misbehave_start() {
    local n=$((MISBEHAVE_INCARNATION + 1)) name ready silent=() _
    name=$(printf '%04d' "$n")
    ready="$RUN_DIR/ready.$name"
    printf '# every block of module 1,2,5 answers its serial number\n1 2 5 * real ramp(%d,1,%d)\n' \
        $((n * 1000000)) $((n * 1000000 + 999999)) >"$RUN_DIR/plant.$name"
    [ "$MISBEHAVE_SILENT" = 1 ] && silent=(--silent all)
    # A port another program took while the simulator was down cannot be had again: a few tries.
    for _ in 1 2 3 4 5; do
        "$BENCH_SIMULATOR" --port "$MISBEHAVE_PORT" --plant "$RUN_DIR/plant.$name" \
            --record "$RUN_DIR/record.$name" --ready-file "$ready" --control-port 0 \
            --time-step 1 --seed "$n" --drop "$MISBEHAVE_DROP" --delay "$MISBEHAVE_DELAY_MS" \
            --delay-share "$MISBEHAVE_DELAY_SHARE" --max-seconds 14400 "${silent[@]}" \
            >>"$RUN_DIR/sim.log" 2>&1 &
        SIMULATOR_PID=$!
        local tries
        for tries in $(seq 1 100); do
            [ -s "$ready" ] && break
            kill -0 "$SIMULATOR_PID" 2>/dev/null || break
            sleep 0.05
        done
        [ -s "$ready" ] && break
        sleep 0.2
    done
    [ -s "$ready" ] || { say "the simulator did not start"; tail -n 5 "$RUN_DIR/sim.log" >&2; return 1; }
    MISBEHAVE_PORT=$(awk '/^port/ {print $2; exit}' "$ready")
    MISBEHAVE_CONTROL=$(awk '/^control/ {print $2; exit}' "$ready")
    MISBEHAVE_INCARNATION=$n
    event "start $n $MISBEHAVE_PORT"
}

misbehave_stop() {
    [ -n "$SIMULATOR_PID" ] || return 0
    kill "$SIMULATOR_PID" 2>/dev/null
    timeout 10 tail --pid="$SIMULATOR_PID" -f /dev/null 2>/dev/null
    event "stop $MISBEHAVE_INCARNATION"
    SIMULATOR_PID=""
}

misbehave_control() { printf '%s' "$1" >"/dev/udp/127.0.0.1/$MISBEHAVE_CONTROL" 2>/dev/null; }

# Runs the schedule for $1 seconds from now, then leaves the simulator running and well.
misbehave_schedule() {
    local seconds="$1" begun next_restart next_silence silence_end=0 now
    begun=$(date +%s)
    next_restart=$((begun + MISBEHAVE_RESTART_S))
    next_silence=$((begun + MISBEHAVE_SILENCE_FIRST_S))
    trap 'misbehave_stop; exit 0' TERM
    while now=$(date +%s); [ "$now" -lt $((begun + seconds)) ]; do
        if [ "$MISBEHAVE_SILENT" = 0 ] && [ "$now" -ge "$next_silence" ]; then
            MISBEHAVE_SILENT=1
            silence_end=$((now + MISBEHAVE_SILENCE_S))
            next_silence=$((next_silence + MISBEHAVE_SILENCE_EVERY_S))
            misbehave_control silent
            event silent
        elif [ "$MISBEHAVE_SILENT" = 1 ] && [ "$now" -ge "$silence_end" ]; then
            MISBEHAVE_SILENT=0
            misbehave_control resume
            event resume
        fi
        if [ "$now" -ge "$next_restart" ]; then
            next_restart=$((next_restart + MISBEHAVE_RESTART_S))
            misbehave_stop
            sleep "$MISBEHAVE_DOWN_S"
            misbehave_start || return 1
        fi
        sleep 0.2
    done
    if [ "$MISBEHAVE_SILENT" = 1 ]; then
        misbehave_control resume
        event resume
    fi
    event "calm"
    # Serve on, well, until the script ends this process.
    while :; do sleep 1; done
}
