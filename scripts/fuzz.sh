#!/usr/bin/env bash
# Builds the libFuzzer targets (the fuzz preset, clang) and runs each on a copy of its seed
# corpus, so that the committed corpus stays small.
#
#   scripts/fuzz.sh [seconds-per-target] [target...]     # default 60 s, every target
#
#   FUZZ_RUNS=N   run N inputs per target (the long runs: 10000000); with seconds given as
#                 well, a target stops at whichever comes first
#   FUZZ_JOBS=2   run two targets at a time (one per core)
#
# Prints per target the inputs run, the coverage (cov: edges, ft: features) and the result.
# A crash, a hang (10 s per input), running out of memory or a broken invariant fails the run;
# the input that did it is kept under build/fuzz-artifacts/<target>-*. Exit status: 0 when no
# target failed, 1 when one did, 3 when the targets could not be built.
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

seconds="${1:-}"
[ $# -gt 0 ] && shift
runs="${FUZZ_RUNS:-}"
jobs="${FUZZ_JOBS:-1}"

source scripts/lib/packages.sh
install_missing_packages cmake ninja-build clang libclang-rt-dev llvm

build_start=$(date +%s)
if ! cmake --preset fuzz >/dev/null || ! cmake --build --preset fuzz -j2; then
    echo "build failed (fuzz)"
    exit 3
fi
echo "fuzz targets built in $(($(date +%s) - build_start)) s"

bin=build/fuzz/tests/fuzz
corpora=tests/fuzz/corpus
if [ $# -gt 0 ]; then
    targets=("$@")
else
    targets=()
    for program in "$bin"/fuzz_*; do
        targets+=("$(basename "$program" | sed 's/^fuzz_//')")
    done
fi

artifacts="$top/build/fuzz-artifacts"
work="$top/build/fuzz-work"
mkdir -p "$artifacts" "$work"

# Runs one target; its log is $work/<target>.log.
run_target() {
    local target="$1" corpus="$work/$1.corpus" log="$work/$1.log"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    [ -d "$corpora/$target" ] && cp "$corpora/$target"/* "$corpus"/ 2>/dev/null
    local options=(-timeout=10 -rss_limit_mb=2048 -print_final_stats=1
        "-artifact_prefix=$artifacts/$target-")
    [ -n "$runs" ] && options+=("-runs=$runs")
    if [ -n "$seconds" ]; then
        options+=("-max_total_time=$seconds")
    elif [ -z "$runs" ]; then
        options+=("-max_total_time=60")
    fi
    [ -f "$corpora/$target.dict" ] && options+=("-dict=$corpora/$target.dict")
    "$bin/fuzz_$target" "${options[@]}" "$corpus" >"$log" 2>&1
    echo $? >"$work/$target.status"
}

# One line per target: inputs, coverage, result.
report_target() {
    local target="$1" log="$work/$1.log" status executions last cov ft seconds_taken
    status=$(cat "$work/$target.status" 2>/dev/null || echo 1)
    executions=$(grep -a 'stat::number_of_executed_units' "$log" | tail -n 1 | awk '{print $2}')
    seconds_taken=$(grep -a 'Done [0-9]* runs in' "$log" | tail -n 1 | sed -E 's/.* in ([0-9]+) second.*/\1/')
    last=$(grep -aE '^#[0-9]+' "$log" | grep -a 'cov:' | tail -n 1)
    cov=$(sed -nE 's/.*cov: ([0-9]+).*/\1/p' <<<"$last")
    ft=$(sed -nE 's/.*ft: ([0-9]+).*/\1/p' <<<"$last")
    if [ "$status" -eq 0 ]; then
        printf 'PASS %-18s inputs %-10s cov %-6s ft %-7s %s s\n' "$target" "${executions:-?}" \
            "${cov:-?}" "${ft:-?}" "${seconds_taken:-?}"
    else
        printf 'FAIL %-18s inputs %-10s cov %-6s ft %-7s exit %s\n' "$target" "${executions:-?}" \
            "${cov:-?}" "${ft:-?}" "$status"
        grep -aE 'ERROR: libFuzzer|ERROR: AddressSanitizer|runtime error|invariant broken|SUMMARY|Test unit written' "$log" | head -n 8
        failures=$((failures + 1))
    fi
}

failures=0
pending=()
for target in "${targets[@]}"; do
    if [ ! -x "$bin/fuzz_$target" ]; then
        echo "FAIL $target: no such fuzz target"
        failures=$((failures + 1))
        continue
    fi
    run_target "$target" &
    pending+=("$target")
    if [ ${#pending[@]} -ge "$jobs" ]; then
        wait
        for done_target in "${pending[@]}"; do report_target "$done_target"; done
        pending=()
    fi
done
wait
for done_target in "${pending[@]}"; do report_target "$done_target"; done

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')"
[ "$failures" -eq 0 ]
