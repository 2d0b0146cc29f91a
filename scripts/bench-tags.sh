#!/usr/bin/env bash
# Tag databases of 100,000 records: how long Brixtel takes to read one into the Tag database
# index (dBASE and CSV, as start-up adds a stored file), to look one tag up in it by name and
# by address, and the memory the index and the reading take; then the same reading of bad
# input (a 100 MiB CSV, a CSV with lines of 1 MiB). Builds the native benchmark, writes the
# files with independent writers (scripts/make-tag-databases.sh) and prints the figures. See
# docs/PERFORMANCE.md, "Tag databases of 100,000 records".
#
#   scripts/bench-tags.sh [records]     # default 100000
#
# Environment: BENCH_KEEP=1 keeps the data folder; BENCH_REPETITIONS (default 5) runs of each
# timed benchmark, of which the median is shown.
set -euo pipefail

top="$(cd "$(dirname "$0")/.." && pwd)"
cd "$top"
records="${1:-100000}"
say() { echo "bench-tags: $*" >&2; }

source scripts/lib/packages.sh
install_missing_packages cmake ninja-build g++ libbenchmark-dev procps

say "building"
{ cmake --preset native >/dev/null && cmake --build --preset native -j2 --target bench_tags >/dev/null; } ||
    { say "the build failed"; exit 3; }

data=$(mktemp -d "$top/build/native/tag-bench.XXXXXX")
if [ "${BENCH_KEEP:-0}" = 1 ]; then
    trap 'say "kept $data"' EXIT
else
    trap 'rm -rf "$data"' EXIT
fi
say "writing $records records as dBASE and CSV"
scripts/make-tag-databases.sh "$data" "$records"
say "writing the bad input"
python3 scripts/lib/tag_databases.py bad "$data"

echo
echo "Tag databases of $records records (tags.dbf, tags.csv, tags-part-*.dbf) and bad input."
echo "Machine: $(nproc) CPUs, $(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)," \
    "$(awk '/^MemTotal/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo) memory," \
    "Linux $(uname -r), $(g++ --version | head -n1)"
echo "Load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
ls -l "$data" | awk 'NR > 1 {printf "  %-18s %12d bytes\n", $9, $5}'
echo
bench=build/native/tests/bench/bench_tags
"$bench" --tag-data="$data" --benchmark_filter='^(add_at_startup|look_up)' \
    --benchmark_repetitions="${BENCH_REPETITIONS:-5}" --benchmark_report_aggregates_only=true \
    --benchmark_counters_tabular=true 2>&1 | grep -v -e '_mean' -e '_stddev' -e '_cv'
echo
"$bench" --tag-data="$data" --benchmark_filter='^bad_input' --benchmark_counters_tabular=true 2>&1 |
    sed -n '/^---/,$p'
echo "Load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
