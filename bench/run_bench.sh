#!/bin/bash
# Times habitual-cli on a large generated survey file: wall time and peak
# memory (maximum resident set size) over several runs, next to the time
# `wc -l` needs to read the same file (the floor for anything that reads it).
#
# usage: bench/run_bench.sh [--large] [--runs N] [--method M] [BUILD_DIR]
#   BUILD_DIR  build directory (default: build/release/, the release preset,
#              configured when it has not been yet); the two targets are
#              brought up to date in any case
#   --large    10,000,000 rows (5,000,000 persons) instead of 1,000,000
#   --runs N   timed runs of habitual-cli (default 3)
#   --method M transformation passed to habitual-cli (default best)
# Generated files are kept in $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench) and reused while the generator has not changed.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=""
persons=500000
runs=3
method=best
while [ $# -gt 0 ]; do
    case "$1" in
    --large) persons=5000000 ;;
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --method) method=${2:?--method needs a value}; shift ;;
    -h | --help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "run_bench.sh: unknown option $1" >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=run_bench.sh
source "$repo/bench/common.sh"
timer=$bench_timer

bench_build "$build" habitual-gen-survey habitual-cli
gen=$(bench_tool "$build" habitual-gen-survey)
cli=$(bench_tool "$build" habitual-cli)
survey=$(bench_survey "$gen" "$persons")
rows=$(($(wc -l <"$survey") - 1))
echo "survey: $survey"
echo "  $rows data rows, $(stat -c %s "$survey") bytes"
cat "$survey" >/dev/null # into the page cache, so that every run reads from memory

# --- measurements ------------------------------------------------------------
measure() { bench_measure "$@"; }

# Prints best and median of a column of numbers.
best_median() {
    sort -n | awk '{ v[NR] = $1 } END {
        m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
        printf "%s %s\n", v[1], m }'
}

# The floor in milliseconds, which /usr/bin/time does not resolve.
TIMEFORMAT=%3R
floor=$(for _ in 1 2 3; do { time wc -l "$survey" >/dev/null; } 2>&1; done | best_median)
echo "floor (wc -l): best ${floor% *} s, median ${floor#* } s"

echo "habitual-cli --method $method --output standard, $runs runs:"
results=()
for i in $(seq "$runs"); do
    r=$(measure "$cli" "$survey" --nutrient 6 --id 1 --id 2 --id 3 --class 4 --class 5 \
        --method "$method" --output standard -o /dev/null)
    results+=("$r")
    awk -v i="$i" '{ printf "  run %d: %6.2f s wall  %6.2f s cpu  %8.1f MiB peak RSS\n", i, $1, $3, $2 / 1024 }' <<<"$r"
done
read -r wbest wmed < <(printf '%s\n' "${results[@]}" | awk '{ print $1 }' | best_median)
read -r mbest mmed < <(printf '%s\n' "${results[@]}" | awk '{ print $2 }' | best_median)
read -r cbest cmed < <(printf '%s\n' "${results[@]}" | awk '{ print $3 }' | best_median)
printf 'wall time: best %.2f s, median %.2f s\n' "$wbest" "$wmed"
printf 'cpu time:  best %.2f s, median %.2f s\n' "$cbest" "$cmed"
awk -v b="$mbest" -v m="$mmed" 'BEGIN { printf "peak RSS:  best %.1f MiB, median %.1f MiB\n", b / 1024, m / 1024 }'
if [ "$persons" -eq 5000000 ]; then
    [ "${mmed%.*}" -le 4194304 ] && echo "memory goal (4 GiB): met" || echo "memory goal (4 GiB): MISSED"
fi

# Where the time goes: one more run that reports its stages (the group steps
# summed over the threads that did them).
"$cli" "$survey" --nutrient 6 --id 1 --id 2 --id 3 --class 4 --class 5 \
    --method "$method" --output standard -o /dev/null --stage-times 2>&1 |
    sed -n '/所要時間/,$p'
