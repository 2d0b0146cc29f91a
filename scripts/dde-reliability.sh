#!/usr/bin/env bash
# DDE links under churn: Brixtel polls the Zandor simulator on 127.0.0.1 every 250 ms with
# Monitoring off, so only DDE clients make it read; two client programs each hold 10 hot links
# on 10 points (Module 1,2,5 Block 1..10 and Block 11..20) and stop and start them at random for
# the given time. Checked at the end: every link start and stop was acknowledged, values arrived,
# Brixtel still runs, and once the clients have stopped their links no read request is sent any
# more (the simulator's record of reads stops growing within a few seconds). Brixtel's VmRSS is
# sampled every 10 s through the run and its growth reported. See docs/RELIABILITY.md.
#
#   scripts/dde-reliability.sh [minutes]     # default 10
#
# Exit status: 0 when every check held, 1 when one failed (or the clients could not connect),
# 2 for a bad command line, 3 when the run could not be set up.
# Environment: DDE_RELIABILITY_KEEP=1 keeps the run folder (prefix, record, outputs);
# DDE_RELIABILITY_SHARED=1 puts both clients on the same 10 points. Under this Wine that loses
# item names in flight (two conversations linking one item make its atom vanish between
# processes), so link starts and stops go astray there whatever the server does.
# DDE_RELIABILITY_INTERVAL_MS sets Brixtel's update interval (default 250 ms).
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3

minutes="${1:-10}"
if ! [[ "$minutes" =~ ^[0-9]+$ ]] || [ "$minutes" -lt 1 ] || [ "$minutes" -gt 600 ]; then
    echo "usage: $0 [minutes]   (1 to 600, default 10)" >&2
    exit 2
fi
seconds=$((minutes * 60))

points=10
links=10
clients=2
# 250 ms keeps a 10-minute run under the 65,536 hot-link values this Wine lets one process send
# (see docs/RELIABILITY.md); DDE_RELIABILITY_INTERVAL_MS changes it.
interval_ms="${DDE_RELIABILITY_INTERVAL_MS:-250}"
sample_every=10      # seconds between VmRSS samples
quiet_needed=5       # seconds without a new read request that count as "stopped"
quiet_bound=30       # seconds the reads may take to stop after the clients ended
start_bound=120      # seconds for Brixtel to come up and ask the simulator for its status
connect_seconds=30   # how long each client keeps trying to connect
# A client runs for the given time, then stops its links (each stop waits at most 10 s).
client_bound=$((seconds + connect_seconds + links * 10 + 120))

win_build="$top/build/windows"
native_build="$top/build/native"
program_dir="$win_build/stage/Programs"
tool="$win_build/e2e/dde_client_tool.exe"
simulator="$native_build/tools/zandor-sim/zandor-sim"

say() { echo "dde-reliability: $*" >&2; }

for command in cmake ninja x86_64-w64-mingw32-g++-posix wine wineserver Xvfb; do
    command -v "$command" >/dev/null 2>&1 || { say "missing $command (see scripts/setup.sh)"; exit 3; }
done

say "building"
{ cmake --preset windows >/dev/null &&
    cmake --build --preset windows -j2 --target Brixtel dde_client_tool >/dev/null &&
    cmake --preset native >/dev/null &&
    cmake --build --preset native -j2 --target zandor-sim >/dev/null; } ||
    { say "the build failed"; exit 3; }

# ---- Run folder, display, Wine and the simulator -------------------------------------------

source scripts/lib/display.sh
run_dir=$(mktemp -d "$win_build/dde-reliability-run.XXXXXX")
SIMULATOR_PID=""
SAMPLER_PID=""
cleanup() {
    [ -n "$SAMPLER_PID" ] && kill "$SAMPLER_PID" 2>/dev/null
    [ -n "$SIMULATOR_PID" ] && kill "$SIMULATOR_PID" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    stop_virtual_display
    if [ "${DDE_RELIABILITY_KEEP:-0}" = 1 ]; then
        say "kept $run_dir"
    else
        rm -rf "$run_dir"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

start_virtual_display || exit 3
# Made inside the display, so the wineserver started next keeps a working display.
prepare_wine_prefix "$run_dir/prefix"

# pid_of and rss_kb.
source scripts/lib/bench.sh

record="$run_dir/requests.record"
reads_so_far() {
    local count
    count=$(grep -c ' read output ' "$record" 2>/dev/null)
    echo "${count:-0}"
}

printf '# every block of module 1,2,5 answers a moving value\n1 2 5 * real sine(50,25,60)\n' \
    >"$run_dir/plant.txt"
"$simulator" --port 0 --plant "$run_dir/plant.txt" --record "$record" \
    --ready-file "$run_dir/sim.ready" --max-seconds $((seconds + 3600)) \
    >"$run_dir/sim.log" 2>&1 &
SIMULATOR_PID=$!
for _ in $(seq 1 100); do
    [ -s "$run_dir/sim.ready" ] && break
    sleep 0.1
done
port=$(awk '/^port/ {print $2; exit}' "$run_dir/sim.ready" 2>/dev/null)
[ -n "$port" ] || { say "the simulator did not start"; cat "$run_dir/sim.log" >&2; exit 3; }

# ---- Brixtel: one loop to the simulator, Frequency 100, Monitoring off (the default) ----------

settings='HKCU\Software\Quorrel\Halvo Brixtel'
{ wine reg add "$settings\\LoopEntries" /v LoopEntry1 /t REG_SZ /d "1.2 $port 127.0.0.1" /f &&
    wine reg add "$settings\\LoopEntries" /v NumberOfLoopEntries /t REG_DWORD /d 1 /f &&
    wine reg add "$settings" /v Frequency /t REG_DWORD /d "$interval_ms" /f; } \
    >"$run_dir/reg.log" 2>&1 || { say "cannot seed the registry"; cat "$run_dir/reg.log" >&2; exit 3; }

(cd "$program_dir" && exec wine Brixtel.exe) >"$run_dir/brixtel.out" 2>&1 &
brixtel_pid=""
for _ in $(seq 1 $((start_bound * 2))); do
    [ -z "$brixtel_pid" ] && brixtel_pid=$(pid_of Brixtel.exe)
    [ -n "$brixtel_pid" ] && grep -q ' connstat ' "$record" 2>/dev/null && break
    sleep 0.5
done
if [ -z "$brixtel_pid" ] || ! grep -q ' connstat ' "$record" 2>/dev/null; then
    say "Brixtel did not start and ask the simulator for its status within $start_bound s"
    exit 3
fi
say "Brixtel runs (process $brixtel_pid); its loop is served on 127.0.0.1:$port"

rss_file="$run_dir/rss.txt"
(
    while kill -0 "$brixtel_pid" 2>/dev/null; do
        echo "$(date +%s) $(rss_kb "$brixtel_pid")" >>"$rss_file"
        sleep "$sample_every"
    done
) &
SAMPLER_PID=$!

# ---- The clients ----------------------------------------------------------------------------

shared="${DDE_RELIABILITY_SHARED:-0}"
first_block() { if [ "$shared" = 1 ]; then echo 1; else echo $((($1 - 1) * points + 1)); fi; }
blocks() { echo "Block $(first_block "$1")..$(($(first_block "$1") + points - 1))"; }
say "$clients clients with $links links each on 10 points for $minutes min"
reads_before=$(reads_so_far)
churn_started=$(date +%s)
for client in $(seq 1 "$clients"); do
    wine "$tool" --service Brixtel --topic Output --points "$points" --links "$links" \
        --first-block "$(first_block "$client")" --seconds "$seconds" --seed "$client" \
        --connect-seconds "$connect_seconds" \
        >"$run_dir/client$client.out" 2>&1 &
done

client_lines() { tr -d '\r' <"$run_dir/client$1.out" 2>/dev/null; }
deadline=$(($(date +%s) + client_bound))
while :; do
    finished=0
    for client in $(seq 1 "$clients"); do
        client_lines "$client" | grep -q '^\(SUMMARY\|ERROR\)' && finished=$((finished + 1))
    done
    [ "$finished" = "$clients" ] && break
    if [ "$(date +%s)" -ge "$deadline" ]; then
        say "the clients did not finish within $client_bound s"
        for client in $(seq 1 "$clients"); do client_lines "$client" | tail -n 5 >&2; done
        exit 1
    fi
    sleep 2
done
clients_ended=$(date +%s)

for client in $(seq 1 "$clients"); do
    if client_lines "$client" | grep -q '^ERROR could not connect'; then
        say "could not connect to Brixtel|Output: Brixtel does not accept DDE conversations"
        client_lines "$client" | grep '^ERROR' >&2
        exit 1
    fi
done

# ---- Reads must stop once the links are gone -------------------------------------------------

reads_at_end=$(reads_so_far)
last_count=$reads_at_end
quiet=0
waited=0
while [ "$quiet" -lt "$quiet_needed" ] && [ "$waited" -lt "$quiet_bound" ]; do
    sleep 1
    waited=$((waited + 1))
    count=$(reads_so_far)
    if [ "$count" = "$last_count" ]; then
        quiet=$((quiet + 1))
    else
        quiet=0
        last_count=$count
    fi
done
reads_after=$((last_count - reads_at_end))
kill "$SAMPLER_PID" 2>/dev/null
SAMPLER_PID=""
echo "$(date +%s) $(rss_kb "$brixtel_pid")" >>"$rss_file"

# ---- Report ---------------------------------------------------------------------------------

failures=()
field() { sed -n "s/.* $2=\([^ ]*\).*/\1/p" <<<"$1"; }
total_values=0
echo
echo "DDE links under churn: $clients clients x $links links on 10 points of Module 1,2,5" \
    "(points shared: $([ "$shared" = 1 ] && echo yes || echo no)), $minutes min, Frequency" \
    "$interval_ms ms, Monitoring off, simulator on 127.0.0.1:$port"
echo "Machine: $(nproc) CPUs, $(wine --version 2>/dev/null | head -n1), load average" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
for client in $(seq 1 "$clients"); do
    summary=$(client_lines "$client" | grep '^SUMMARY' | tail -n 1)
    echo "client $client ($(blocks "$client")): ${summary:-no summary}"
    client_lines "$client" | grep -E '^(FAILED|UNDECODABLE)' | head -n 3 | sed 's/^/    /'
    if [ -z "$summary" ]; then
        failures+=("client $client ended without a summary")
        continue
    fi
    for key in start_failures stop_failures undecodable links_at_end; do
        [ "$(field "$summary" "$key")" = 0 ] || failures+=("client $client: $key=$(field "$summary" "$key")")
    done
    [ "$(field "$summary" ended_by_server)" = no ] || failures+=("client $client: Brixtel ended the conversation")
    values=$(field "$summary" values)
    [ "${values:-0}" -gt 0 ] || failures+=("client $client received no values")
    total_values=$((total_values + ${values:-0}))
done
reads_during=$((reads_at_end - reads_before))
churn_seconds=$((clients_ended - churn_started))
echo "read requests while the clients ran: $reads_during in $churn_seconds s" \
    "($(awk -v r="$reads_during" -v s="$churn_seconds" 'BEGIN {printf "%.1f", (s > 0 ? r / s : 0)}')/s);" \
    "values received: $total_values"
[ "$reads_during" -gt 0 ] || failures+=("no read request while the links were held")
if [ "$quiet" -ge "$quiet_needed" ]; then
    echo "after the clients ended: $reads_after more read requests, then none for $quiet_needed s"
else
    echo "after the clients ended: read requests still sent $quiet_bound s later ($reads_after so far)"
    failures+=("read requests still sent $quiet_bound s after the clients stopped their links")
fi
if kill -0 "$brixtel_pid" 2>/dev/null; then
    echo "Brixtel still runs"
else
    failures+=("Brixtel ended during the run")
fi
# The sample nearest before the middle of the churn splits the run in two halves.
awk -v half=$((churn_started + churn_seconds / 2)) '
    $2 != "" { if (first == "") { first = $2; at_half = $2 }
               if ($2 > high) high = $2
               if ($1 <= half) at_half = $2
               last = $2; n++ }
    END { if (n == 0) { print "Brixtel VmRSS: no samples"; exit }
          printf "Brixtel VmRSS (%d samples, every 10 s): %.1f MiB at the start, %.1f MiB highest, " \
                 "%.1f MiB at the end; growth %d KiB over the run, %d KiB over its second half\n",
                 n, first / 1024, high / 1024, last / 1024, last - first, last - at_half }' "$rss_file"

if [ ${#failures[@]} -eq 0 ]; then
    echo "RESULT: PASS"
    exit 0
fi
echo "RESULT: FAIL"
printf '  - %s\n' "${failures[@]}"
exit 1
