#!/bin/bash
# Times a run of the ten nutrients of the reference survey (1,000,000 rows,
# 12 groups) in one run (--nutrient all-numeric), on one thread and on two,
# against the ten single runs one after the other; wall time, CPU time and
# peak memory (maximum resident set size), the median of several runs.
#
# usage: bench/columns_bench.sh [--runs N] [BUILD_DIR]
#   BUILD_DIR  build directory (default: build/release/, the release preset)
#   --runs N   timed runs of each case (default 3)
# Generated files are kept in $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench) and reused while the generator has not changed.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=""
runs=3
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    -h | --help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "columns_bench.sh: unknown option $1" >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=columns_bench.sh
source "$repo/bench/common.sh"

bench_build "$build" habitual-gen-survey habitual-cli
gen=$(bench_tool "$build" habitual-gen-survey)
cli=$(bench_tool "$build" habitual-cli)
survey=$(bench_survey "$gen" 500000)
cat "$survey" >/dev/null # into the page cache
ids=(--id 1 --id 2 --id 3 --class 4 --class 5)

# The ten single runs, one after the other, as one command.
singles=$(mktemp)
trap 'rm -f "$singles"' EXIT
{
    echo '#!/bin/sh'
    for c in 6 7 8 9 10 11 12 13 14 15; do
        echo "\"$cli\" \"$survey\" ${ids[*]} --nutrient $c -o /dev/null 2>/dev/null || exit 1"
    done
} >"$singles"
chmod +x "$singles"

report() { # title command...
    local title=$1
    shift
    local results=()
    for _ in $(seq "$runs"); do results+=("$(bench_measure "$@")"); done
    local wall cpu mem
    wall=$(printf '%s\n' "${results[@]}" | awk '{ print $1 }' | bench_median)
    cpu=$(printf '%s\n' "${results[@]}" | awk '{ print $3 }' | bench_median)
    mem=$(printf '%s\n' "${results[@]}" | awk '{ print $2 }' | bench_median)
    printf '  %-32s median of %d: %6.2f s wall  %6.2f s cpu  %7.1f MiB peak RSS\n' \
        "$title" "$runs" "$wall" "$cpu" "$(awk -v m="$mem" 'BEGIN { print m / 1024 }')"
}

echo "ten nutrients of $survey; load: $(cut -d' ' -f1-3 /proc/loadavg)"
report "one run, 2 threads" "$cli" "$survey" "${ids[@]}" --nutrient all-numeric --threads 2 -o /dev/null
report "one run, 1 thread" "$cli" "$survey" "${ids[@]}" --nutrient all-numeric --threads 1 -o /dev/null
report "ten single runs" "$singles"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
