#!/usr/bin/env bash
# Times loading the reference survey into the desktop program's window: the
# preview grid, the column lists and the progress window, as the load button
# does once the file is chosen (habitual-load-bench calls the same code
# without the file dialog, on the offscreen platform).
#
#   bench/load_bench.sh [--runs N] [BUILD_DIR]
#
# BUILD_DIR defaults to build/release/ (the release preset).
# The last run then also runs the comma-separated data output into the
# results view and times it. The survey (1,000,000 data rows, about 75 MB) is
# made by habitual-gen-survey into $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench), the same file that bench/run_bench.sh uses.
# Goal for loading: under 2 s and under 400 MB peak memory.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
runs=3
build=
while [ $# -gt 0 ]; do
    case $1 in
    --runs) runs=$2; shift ;;
    -h|--help) sed -n '2,14p' "$0"; exit 0 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=load_bench.sh
source "$repo/bench/common.sh"
timer=$bench_timer
log=$(mktemp)
trap 'rm -f "$log" "$log.out"' EXIT

bench_build "$build" habitual-gen-survey habitual-load-bench
gen=$(bench_tool "$build" habitual-gen-survey)
bench=$(bench_tool "$build" habitual-load-bench)
survey=$(bench_survey "$gen" 500000)
echo "survey: $survey ($(stat -c %s "$survey") bytes)"
cat "$survey" >/dev/null # into the page cache: the runs measure the program, not the disk

export QT_QPA_PLATFORM=offscreen
# The last run also runs the comma-separated data output (500,000 lines) into
# the results view.
for i in $(seq "$runs"); do
    extra=
    [ "$i" -lt "$runs" ] || extra=--run
    "$timer" -v -o "$log" "$bench" "$survey" $extra >"$log.out" 2>/dev/null || {
        echo "load_bench.sh: habitual-load-bench failed" >&2
        exit 1
    }
    peak=$(awk -F': ' '/Maximum resident set size/ { print int($2 / 1024) }' "$log")
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
                        for (j = 1; j <= n; j++) s = s * 60 + t[j]; print s }' "$log")
    echo "run $i: $(tr '\n' ' ' <"$log.out")| process ${wall} s, peak ${peak} MB"
    rm -f "$log.out"
done
