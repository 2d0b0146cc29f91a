#!/usr/bin/env bash
# Builds everything and runs every test: the native unit tests (plain, under the address and
# undefined-behaviour sanitizers, and under the thread sanitizer), a short run of every fuzz
# target and the end-to-end suite of Brixtel.exe under Wine.
set -uo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"

bash scripts/setup.sh || exit 1
mkdir -p build/logs

passed=0
failed=0
status=0

# Adds the counts of a ctest run ("... tests failed out of N") to the totals.
count_ctest() {
    local line total failures
    line=$(grep -E 'tests failed out of [0-9]+' "$1" | tail -n 1)
    if [ -z "$line" ]; then
        failed=$((failed + 1))
        return
    fi
    total=$(sed -E 's/.*out of ([0-9]+).*/\1/' <<<"$line")
    failures=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
    passed=$((passed + total - failures))
    failed=$((failed + failures))
}

# Adds the counts of a GoogleTest run to the totals.
count_gtest() {
    local ok bad
    ok=$(grep -aE '^\[  PASSED  \] [0-9]+ test' "$1" | tail -n 1 | sed -E 's/[^0-9]*([0-9]+).*/\1/')
    bad=$(grep -aE '^\[  FAILED  \] [0-9]+ test' "$1" | tail -n 1 | sed -E 's/[^0-9]*([0-9]+).*/\1/')
    if [ -z "$ok$bad" ]; then
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + ${ok:-0}))
    failed=$((failed + ${bad:-0}))
}

unit_tests() {
    local preset="$1" log="build/logs/unit-$1.log"
    echo "== unit tests ($preset)"
    if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j2; then
        ctest --preset "$preset" -j2 2>&1 | tee "$log"
        [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
        count_ctest "$log"
    else
        echo "build failed ($preset)"
        status=1
        failed=$((failed + 1))
    fi
}

# The thread sanitizer watches the suites whose code runs worker threads: the transport and
# the poll cycle (core), and the Zandor simulator's loopback tests.
thread_sanitizer_tests() {
    local preset=native-tsan suite status_before=$status
    echo "== unit tests ($preset: the threaded suites)"
    if ! cmake --preset "$preset" >/dev/null ||
        ! cmake --build --preset "$preset" -j2 --target core_tests zandor_sim_tests; then
        echo "build failed ($preset)"
        status=1
        failed=$((failed + 1))
        return
    fi
    for suite in tests/unit/core/core_tests tests/unit/tools/zandor_sim_tests; do
        local log="build/logs/unit-$preset-$(basename "$suite").log"
        if TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1" \
            "build/$preset/$suite" >"$log" 2>&1; then
            tail -n 2 "$log"
        else
            status=1
            grep -E -A40 'WARNING: ThreadSanitizer|\[  FAILED' "$log" | head -n 200
        fi
        count_gtest "$log"
    done
    [ "$status" -eq "$status_before" ] || echo "thread sanitizer run failed"
}

# Each fuzz target for 20 s, two at a time (one per core); a target counts as one test.
fuzz_tests() {
    local log="build/logs/fuzz.log" ok bad
    echo "== fuzz targets (20 s each)"
    FUZZ_JOBS=2 bash scripts/fuzz.sh 20 2>&1 | tee "$log"
    [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
    ok=$(grep -c '^PASS ' "$log")
    bad=$(grep -c '^FAIL ' "$log")
    if [ $((ok + bad)) -eq 0 ]; then
        failed=$((failed + 1))
        return
    fi
    passed=$((passed + ok))
    failed=$((failed + bad))
}

end_to_end_tests() {
    local log="build/logs/e2e.log"
    echo "== end-to-end tests (Wine)"
    # The installer too, so that its test runs.
    if cmake --preset windows >/dev/null && cmake --build --preset windows -j2 &&
        cmake --build --preset windows -j2 --target installer; then
        bash scripts/run-e2e.sh "$top/build/windows" 2>&1 | tee "$log"
        [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
        count_gtest "$log"
    else
        echo "build failed (windows)"
        status=1
        failed=$((failed + 1))
    fi
}

unit_tests native
unit_tests native-sanitize
thread_sanitizer_tests
fuzz_tests
end_to_end_tests

echo
echo "${passed} passed, ${failed} failed"
[ "$failed" -eq 0 ] || status=1
exit "$status"
