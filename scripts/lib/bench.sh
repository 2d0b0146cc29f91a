# Shell functions the load benchmarks share (scripts/bench-*.sh): packages and builds, the run
# folder with its virtual display and Wine prefix, the Zandor simulator, and the figures read
# from /proc. Source it from the tree's top folder after defining `say` (the script's voice);
# it sets nothing until a function is called.

source scripts/lib/display.sh
source scripts/lib/packages.sh

# The seconds of each window given on the command line ($2) of the script $1, 10 to 3600.
bench_seconds_argument() {
    if ! [[ "$2" =~ ^[0-9]+$ ]] || [ "$2" -lt 10 ] || [ "$2" -gt 3600 ]; then
        echo "usage: $1 [seconds]   (10 to 3600, default 60)" >&2
        return 1
    fi
    echo "$2"
}

# Installs the Debian packages a run needs that are missing (apt-get, so as root).
bench_install_packages() {
    install_missing_packages cmake ninja-build g++ g++-mingw-w64-x86-64-posix \
        binutils-mingw-w64-x86-64 wine wine64 xvfb xauth procps "$@" ||
        { say "cannot install what the run needs (run as root)"; return 1; }
}

# Builds the given targets of the windows preset and the simulator of the native one.
bench_build() {
    say "building"
    { cmake --preset windows >/dev/null &&
        cmake --build --preset windows -j2 --target "$@" >/dev/null &&
        cmake --preset native >/dev/null &&
        cmake --build --preset native -j2 --target zandor-sim >/dev/null; } ||
        { say "the build failed"; return 1; }
}

BENCH_WIN_BUILD="$PWD/build/windows"
# BENCH_PROGRAM may name another build of Brixtel.exe to measure (one from before a change).
BENCH_PROGRAM="${BENCH_PROGRAM:-$BENCH_WIN_BUILD/stage/Programs/Brixtel.exe}"
BENCH_HOOK="$BENCH_WIN_BUILD/e2e/brixtel_e2e_hook.dll"
BENCH_SIMULATOR="$PWD/build/native/tools/zandor-sim/zandor-sim"

# Makes the run folder (RUN_DIR), starts a virtual display of the screen $1 and prepares a
# fresh Wine prefix inside it; everything goes at exit (BENCH_KEEP=1 keeps the folder).
bench_start_run() {
    RUN_DIR=$(mktemp -d "$BENCH_WIN_BUILD/bench-run.XXXXXX")
    SIMULATOR_PID=""
    trap bench_end_run EXIT
    trap 'exit 130' INT TERM
    start_virtual_display "$1" || return 1
    # Made inside the display; the wineserver it waited for has ended, so the next one starts
    # in the display too.
    prepare_wine_prefix "$RUN_DIR/prefix"
    CLOCK_TICKS=$(getconf CLK_TCK)
}

bench_end_run() {
    [ -n "$SIMULATOR_PID" ] && kill "$SIMULATOR_PID" 2>/dev/null
    if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
        wineserver -k >/dev/null 2>&1
        timeout 30 wineserver -w >/dev/null 2>&1
    fi
    stop_virtual_display
    if [ "${BENCH_KEEP:-0}" = 1 ]; then
        say "kept $RUN_DIR"
    else
        rm -rf "$RUN_DIR"
    fi
}

windows_path() { echo "Z:${1//\//\\}"; }

now() { date +%s.%N; }

# The Linux process of a Windows program of this run's prefix (other runs on the machine may
# run programs of the same name).
pid_of() {
    local pid
    for pid in $(pgrep -f "$1"); do
        [ "$pid" = "$$" ] && continue
        if { tr '\0' '\n' <"/proc/$pid/environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            echo "$pid"
            return 0
        fi
    done
    return 1
}

cpu_ticks() { # utime + stime, fields 14 and 15 of /proc/<pid>/stat
    { sed 's/^.*) //' "/proc/$1/stat"; } 2>/dev/null | awk '{print $12 + $13}'
}

rss_kb() { { awk '/^VmRSS:/ {print $2}' "/proc/$1/status"; } 2>/dev/null; }

# CPU seconds between two tick counts over $3 seconds of wall time, as a share of one core.
cpu_share() { awk -v a="$1" -v b="$2" -v d="$3" -v hz="$CLOCK_TICKS" 'BEGIN {printf "%.3f", (b - a) / hz / d}'; }

# Waits, at most $2 seconds, for a line starting with $3 in file $1; fails at once on ERROR.
wait_for_line() {
    local file="$1" bound="$2" wanted="$3" _
    for _ in $(seq 1 $((bound * 5))); do
        { tr -d '\r' <"$file"; } 2>/dev/null | grep -q "^$wanted" && return 0
        { tr -d '\r' <"$file"; } 2>/dev/null | grep -q "^ERROR" && return 1
        sleep 0.2
    done
    return 1
}

# Starts the simulator for the phase $1 on a free loopback port (PORT), every block of module
# 1,2,5 answering a moving value, each request recorded as a line of RECORD.
start_simulator() {
    local phase="$1" _
    printf '# every block of module 1,2,5 answers a moving value\n1 2 5 * real sine(50,25,60)\n' \
        >"$RUN_DIR/plant.txt"
    RECORD="$RUN_DIR/$phase.record"
    "$BENCH_SIMULATOR" --port 0 --plant "$RUN_DIR/plant.txt" --record "$RECORD" \
        --ready-file "$RUN_DIR/$phase.ready" --max-seconds 7200 >"$RUN_DIR/$phase.sim.log" 2>&1 &
    SIMULATOR_PID=$!
    for _ in $(seq 1 100); do
        [ -s "$RUN_DIR/$phase.ready" ] && break
        sleep 0.1
    done
    PORT=$(awk '/^port/ {print $2; exit}' "$RUN_DIR/$phase.ready" 2>/dev/null)
    [ -n "$PORT" ] || { say "the simulator did not start"; cat "$RUN_DIR/$phase.sim.log" >&2; return 1; }
}

stop_simulator() {
    [ -n "$SIMULATOR_PID" ] && kill "$SIMULATOR_PID" 2>/dev/null
    [ -n "$SIMULATOR_PID" ] && timeout 10 tail --pid="$SIMULATOR_PID" -f /dev/null 2>/dev/null
    SIMULATOR_PID=""
}

# The simulator's record: one line per request (read requests, and a connstat every 10 s).
requests_so_far() { wc -l <"$RECORD"; }
read_requests_so_far() { grep -c 'read output' "$RECORD"; }

machine_line() {
    echo "Machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)," \
        "$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory," \
        "Linux $(uname -r), $(wine --version 2>/dev/null | head -n1)"
}

# Waits, at most $2 seconds, for the 1-minute load average to fall below $1; says what it saw.
wait_for_quiet() {
    local limit="$1" bound="$2" deadline load
    deadline=$(($(date +%s) + bound))
    while :; do
        load=$(cut -d' ' -f1 /proc/loadavg)
        awk -v l="$load" -v m="$limit" 'BEGIN {exit !(l < m)}' && return 0
        if [ "$(date +%s)" -ge "$deadline" ]; then
            say "the load average is still $load after $bound s; measuring all the same"
            return 1
        fi
        sleep 10
    done
}
