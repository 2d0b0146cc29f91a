#!/usr/bin/env bash
# How soon a receive on a connected UDP socket returns a datagram that arrives while it waits,
# under this Wine: before and after the socket met an ICMP port-unreachable error, with the
# receive waiting 50 ms, 5 ms or without end, and with the remedies one might try. Each case is
# tests/e2e/receive_probe/receive_probe.exe sending 500 requests, 20 ms apart, to an echo server
# on loopback; for the error cases the server starts 0.5 s after the program's first request, so
# the first requests come back as port-unreachable reports. See docs/RELIABILITY.md.
#
#   scripts/wine-receive-wake.sh
set -u

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top" || exit 3
say() { echo "wine-receive-wake: $*" >&2; }

{ cmake --preset windows >/dev/null && cmake --build --preset windows -j2 --target receive_probe >/dev/null; } ||
    { say "the build failed"; exit 3; }
probe="$top/build/windows/e2e/receive_probe.exe"

source scripts/lib/display.sh
run_dir=$(mktemp -d "$top/build/windows/receive-wake.XXXXXX")
echo_pid=""
cleanup() {
    [ -n "$echo_pid" ] && kill "$echo_pid" 2>/dev/null
    wineserver -k >/dev/null 2>&1
    timeout 30 wineserver -w >/dev/null 2>&1
    rm -rf "$run_dir"
}
trap cleanup EXIT
prepare_wine_prefix "$run_dir/prefix" >/dev/null 2>&1

cat >"$run_dir/echo.py" <<'PY'
import socket, sys
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
s.bind(("127.0.0.1", int(sys.argv[1])))
s.settimeout(float(sys.argv[2]))
try:
    while True:
        data, sender = s.recvfrom(2048)
        s.sendto(data, sender)
except socket.timeout:
    pass
PY

port=$(python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')

# $1: "clean" or "error"; the rest: the probe's options.
run_case() {
    local start="$1" line
    shift
    [ "$start" = clean ] && { python3 "$run_dir/echo.py" "$port" 30 & echo_pid=$!; sleep 0.5; }
    timeout 60 wine "$probe" --port "$port" "$@" >"$run_dir/out" 2>&1 &
    local probe_pid=$!
    if [ "$start" = error ]; then
        # The first requests must meet a closed port.
        local _
        for _ in $(seq 1 600); do
            grep -q STARTED "$run_dir/out" 2>/dev/null && break
            sleep 0.1
        done
        sleep 0.5
        python3 "$run_dir/echo.py" "$port" 30 &
        echo_pid=$!
    fi
    wait "$probe_pid"
    kill "$echo_pid" 2>/dev/null
    wait "$echo_pid" 2>/dev/null
    echo_pid=""
    line=$(tr -d '\r' <"$run_dir/out" | grep '^RESULT' | tail -n 1)
    printf '%-6s %-45s %s\n' "$start" "$*" "${line:-no result: $(tr -d '\r' <"$run_dir/out" | tail -n 1)}"
}

echo "Machine: $(nproc) CPUs, Linux $(uname -r), $(wine --version 2>/dev/null)"
echo "socket options                                        result (latency of the last 400 echoes)"
run_case clean --wait-ms 50
run_case clean --wait-ms 0
run_case error --wait-ms 50
run_case error --wait-ms 50 --select
run_case error --wait-ms 50 --after-error so-error
run_case error --wait-ms 50 --after-error connect-again
run_case error --wait-ms 5
run_case error --wait-ms 0
