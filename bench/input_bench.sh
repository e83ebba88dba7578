#!/bin/bash
# Times habitual-cli on the reference survey (1,000,000 data rows) in its three
# forms: Shift-JIS CSV, UTF-8 CSV and an Excel workbook of the same table,
# and prints each form's time and peak memory and its ratio to the CSV.
# Goals: UTF-8 at most 25 % slower than Shift-JIS; the workbook within 3x
# the CSV time and within 500 MB.
#
# usage: bench/input_bench.sh [--runs N] [BUILD_DIR]
# The forms are made once beside the survey in $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench) from the file bench/run_bench.sh makes.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
runs=3
build=
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift ;;
    -h|--help) sed -n '2,11p' "$0"; exit 0 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=input_bench.sh
source "$repo/bench/common.sh"
timer=$bench_timer

bench_build "$build" habitual-gen-survey habitual-cli
gen=$(bench_tool "$build" habitual-gen-survey)
cli=$(bench_tool "$build" habitual-cli)
survey=$(bench_survey "$gen" 500000)
utf8=${survey%.csv}-utf8.csv
book=${survey%.csv}.xlsx
if [ ! -f "$utf8" ] || [ "$survey" -nt "$utf8" ]; then
    python3 -c 'import sys; open(sys.argv[2], "wb").write(open(sys.argv[1], "rb").read().decode("cp932").encode("utf-8"))' "$survey" "$utf8"
fi
if [ ! -f "$book" ] || [ "$survey" -nt "$book" ]; then
    echo "making $book (about half a minute)"
    python3 "$repo/tests/reference/workbook.py" "$survey" "$book.part"
    mv "$book.part" "$book"
fi
cat "$survey" "$utf8" "$book" >/dev/null # into the page cache

log=$(mktemp)
trap 'rm -f "$log"' EXIT
# Median wall time (s) and peak memory (KB) over the runs, with user CPU time.
measure() {
    for _ in $(seq "$runs"); do
        "$timer" -f '%e %M %U' -o "$log" "$cli" "$1" --nutrient 6 --id 1 --id 2 --id 3 \
            --class 4 --class 5 --method best --output standard -o /dev/null 2>/dev/null
        cat "$log"
    done | sort -n | awk '{ w[NR] = $1; m[NR] = $2; u[NR] = $3 }
        END { i = int((NR + 1) / 2); printf "%s %s %s\n", w[i], m[i], u[i] }'
}
read -r cw cm cu < <(measure "$survey")
read -r uw um uu < <(measure "$utf8")
read -r bw bm bu < <(measure "$book")
printf 'Shift-JIS CSV: %6.2f s (user %5.2f s) %7.1f MB\n' "$cw" "$cu" "$(echo "$cm / 1024" | bc -l)"
printf 'UTF-8 CSV:     %6.2f s (user %5.2f s) %7.1f MB  %+.0f %% (goal: at most +25 %%)\n' \
    "$uw" "$uu" "$(echo "$um / 1024" | bc -l)" "$(echo "($uw / $cw - 1) * 100" | bc -l)"
printf 'workbook:      %6.2f s (user %5.2f s) %7.1f MB  %.1fx (goal: at most 3x, 500 MB)\n' \
    "$bw" "$bu" "$(echo "$bm / 1024" | bc -l)" "$(echo "$bw / $cw" | bc -l)"
