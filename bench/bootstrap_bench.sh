#!/bin/bash
# Times habitual-cli with bootstrap confidence intervals: wall time, CPU time
# and peak memory (maximum resident set size) over several runs, next to the
# same run without intervals.
#
# usage: bench/bootstrap_bench.sh [--runs N] [--replicates B] [--threads T] [BUILD_DIR]
#   BUILD_DIR      build directory (default: build/release/, the release preset)
#   --runs N       timed runs of each case (default 3)
#   --replicates B bootstrap replicates (default 1000)
#   --threads T    threads of habitual-cli (default 2)
# Cases: a survey of 2,000 persons with one or two days each, 2 groups (sex);
# the reference survey of 500,000 persons with two days each (1,000,000 rows),
# 12 groups (sex x age class); and the same persons with one to three days.
# Generated files are kept in $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench) and reused while the generator has not changed.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=""
runs=3
replicates=1000
threads=2
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --replicates) replicates=${2:?--replicates needs a number}; shift ;;
    --threads) threads=${2:?--threads needs a number}; shift ;;
    -h | --help) sed -n '2,15p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "bootstrap_bench.sh: unknown option $1" >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=bootstrap_bench.sh
source "$repo/bench/common.sh"
timer=$bench_timer

bench_build "$build" habitual-gen-survey habitual-cli
gen=$(bench_tool "$build" habitual-gen-survey)
cli=$(bench_tool "$build" habitual-cli)

# A survey of PERSONS persons with DAYS days each (a number or LO-HI), made
# once into $bench_data; into the page cache.
survey() {
    local path=$bench_data/survey-p$1-d$2-n10-s1-shuffle.csv
    mkdir -p "$bench_data"
    if [ ! -f "$path" ] || [ "$gen" -nt "$path" ]; then
        "$gen" --persons "$1" --days "$2" --nutrients 10 --seed 1 --shuffle -o "$path.part" >&2
        mv "$path.part" "$path"
    fi
    cat "$path" >/dev/null
    echo "$path"
}

measure() { bench_measure "$@"; }
median() { bench_median; }

bench_case() { # title survey class-args...
    local title=$1 path=$2
    shift 2
    local args=("$path" --nutrient 6 --id 1 --id 2 --id 3 "$@" --output standard -o /dev/null)
    echo "== $title: $(($(wc -l <"$path") - 1)) rows"
    for b in 0 "$replicates"; do
        local results=()
        for _ in $(seq "$runs"); do
            results+=("$(measure "$cli" "${args[@]}" --bootstrap "$b" --threads "$threads")")
        done
        local wall cpu mem
        wall=$(printf '%s\n' "${results[@]}" | awk '{ print $1 }' | median)
        cpu=$(printf '%s\n' "${results[@]}" | awk '{ print $3 }' | median)
        mem=$(printf '%s\n' "${results[@]}" | awk '{ print $2 }' | median)
        printf '  B = %-5s  median of %d: %6.2f s wall  %6.2f s cpu  %7.1f MiB peak RSS\n' \
            "$b" "$runs" "$wall" "$cpu" "$(awk -v m="$mem" 'BEGIN { print m / 1024 }')"
    done
}

echo "habitual-cli --bootstrap $replicates --threads $threads; load: $(cut -d' ' -f1-3 /proc/loadavg)"
bench_case "2,000 persons, 1-2 days, 2 groups" "$(survey 2000 1-2)" --class 4
bench_case "500,000 persons, 2 days, 12 groups" "$(survey 500000 2)" --class 4 --class 5
bench_case "500,000 persons, 1-3 days, 12 groups" "$(survey 500000 1-3)" --class 4 --class 5
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
