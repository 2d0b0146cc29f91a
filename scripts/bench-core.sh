#!/usr/bin/env bash
# The poll cycle's own work, natively: reading answers of every kind (the goal: 10 million a
# second on one core), composing requests, recycling the full View buffer, and a tag looked up
# by name and by address in a 100,000-record index (the lookups of scripts/bench-tags.sh). Builds
# the benchmarks, prints the machine, the load average and each benchmark's median. See
# docs/PERFORMANCE.md, "Speed record".
#
#   scripts/bench-core.sh [filter]     # a Google Benchmark filter of bench_core, default all
#
# Environment: BENCH_REPETITIONS (default 5) runs of each benchmark, of which the median is
# shown; BENCH_TAGS=0 leaves out the tag lookups (they first write 100,000-record files).
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
filter="${1:-.}"
repetitions="${BENCH_REPETITIONS:-5}"
say() { echo "bench-core: $*" >&2; }

source scripts/lib/packages.sh
install_missing_packages cmake ninja-build g++ libbenchmark-dev python3 procps

say "building"
{ cmake --preset native >/dev/null &&
    cmake --build --preset native -j2 --target bench_core bench_tags >/dev/null; } ||
    { say "the build failed"; exit 3; }

# Medians only, with the items a second that say how many answers one core reads.
medians() { grep -v -e '_mean' -e '_stddev' -e '_cv'; }

echo "Machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)," \
    "Linux $(uname -r), $(g++ --version | head -n1)"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo
build/native/tests/bench/bench_core --benchmark_filter="$filter" \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true 2>&1 |
    sed -n '/^---/,$p' | medians

if [ "${BENCH_TAGS:-1}" != 0 ]; then
    data=$(mktemp -d "$top/build/native/core-bench.XXXXXX")
    trap 'rm -rf "$data"' EXIT
    scripts/make-tag-databases.sh "$data" 100000 >/dev/null
    echo
    build/native/tests/bench/bench_tags --tag-data="$data" --benchmark_filter='^look_up' \
        --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true 2>&1 |
        sed -n '/^---/,$p' | medians
fi
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
