#!/bin/bash
# Times habitual-cli next to bench/habitual.R, the same estimation written in
# idiomatic R with data.table, on the reference survey (1,000,000 rows, 12
# groups): median wall time, CPU time and peak memory (maximum resident set
# size) of each, habitual-cli with 2 threads and with 1, and the ratio of the
# R script's time to habitual-cli's.
#
# usage: bench/r_bench.sh [--runs N] [--no-check] [BUILD_DIR]
#   BUILD_DIR   build directory holding habitual-cli and habitual-gen-survey
#               (default: build/release/); they are used as built, not rebuilt
#   --runs N    timed runs of each program, taken in turn (default 5)
#   --no-check  skip the comparison of the R script's numbers with
#               habitual-cli's before the timing
# Installs R and data.table (Debian packages r-base-core, r-cran-data.table)
# when they are missing. The survey is kept in $HABITUAL_BENCH_DATA (default
# ~/.cache/habitual-bench) and reused while the generator has not changed.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
build=""
runs=5
check=1
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs=${2:?--runs needs a number}; shift ;;
    --no-check) check=0 ;;
    -h | --help) sed -n '2,16p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "r_bench.sh: unknown option $1" >&2; exit 2 ;;
    *) build=$1 ;;
    esac
    shift
done
build=${build:-$repo/build/release}
bench_name=r_bench.sh
source "$repo/bench/common.sh"

# R is optional for the project, so scripts/setup leaves it out.
if ! command -v Rscript >/dev/null || ! Rscript -e 'library(data.table)' >/dev/null 2>&1; then
    echo "r_bench.sh: R or data.table missing; installing r-base-core r-cran-data.table" >&2
    "$repo/scripts/install-missing" r-base-core r-cran-data.table
fi

gen=$(bench_tool "$build" habitual-gen-survey)
cli=$(bench_tool "$build" habitual-cli)
script=$repo/bench/habitual.R
survey=$(bench_survey "$gen" 500000)
echo "survey: $survey"
echo "  $(($(wc -l <"$survey") - 1)) data rows, $(stat -c %s "$survey") bytes"
cat "$survey" >/dev/null # into the page cache, so that every run reads from memory
Rscript -e 'suppressMessages(library(data.table))
    cat("R", format(getRversion()), "data.table", format(packageVersion("data.table")),
        "with", getDTthreads(), "threads\n")'

cli_args=("$survey" --nutrient 6 --id 1 --id 2 --id 3 --class 4 --class 5 --method best)

# --- the same numbers --------------------------------------------------------
# The chosen power and R-square (standard report, 6 decimals) and the count,
# mean, SD and percentiles of both distributions (summary, 6 significant
# digits) of every group must match the R script's within one unit of the
# last printed digit.
if [ "$check" -eq 1 ]; then
    tmp=$(mktemp -d)
    trap 'rm -rf "$tmp"' EXIT
    "$cli" "${cli_args[@]}" --output standard --encoding utf-8 -o "$tmp/standard" 2>/dev/null
    "$cli" "${cli_args[@]}" --output summary --encoding utf-8 -o "$tmp/summary" 2>/dev/null
    Rscript "$script" "$survey" >"$tmp/r.csv"
    LC_ALL=C awk -F, '
        function near(a, b, unit,    diff) { diff = a - b; return (diff < 0 ? -diff : diff) <= unit * 1.0001 }
        # One unit of the 6th significant digit of a %lg figure.
        function digit6(x) { if (x < 0) x = -x; return x == 0 ? 1e-300 : 10 ^ (int(log(x) / log(10) + 100) - 100 - 5) }
        FILENAME ~ /standard$|summary$/ && /^分類変数/ {
            key = ""; n = split($0, part, "=")
            for (i = 2; i <= n; i++) { sub(/\].*/, "", part[i]); key = key (i > 2 ? "," : "") part[i] }
            groups[key] = 1
        }
        FILENAME ~ /standard$/ && /R-square=/ {
            p = $0; sub(/.*＝/, "", p); sub(/[( ].*/, "", p); power[key] = p
            r = $0; sub(/.*R-square=/, "", r); sub(/\).*/, "", r); rsq[key] = r
        }
        FILENAME ~ /summary$/ && /^"１日"|^"習慣"/ {
            d = /^"１日"/ ? "daily" : "habitual"
            want[key, d, 1] = d == "daily" ? $3 : $2
            for (i = 4; i <= NF; i++) want[key, d, i - 2] = $i
            nwant = NF - 2
        }
        FILENAME ~ /r\.csv$/ && FNR > 1 {
            key = $1 "," $2; d = $5; seen[key, d] = 1
            if (!near($3, power[key], 1e-6) || !near($4, rsq[key], 1e-6)) {
                printf "  %s: power %s R-square %s, habitual-cli %s %s\n", key, $3, $4, power[key], rsq[key]
                bad++
            }
            for (i = 1; i <= nwant; i++) {
                w = want[key, d, i]; g = $(i + 5)
                if (w == "" || !near(g, w, i == 1 ? 0 : digit6(w))) {
                    printf "  %s %s, figure %d: R %s, habitual-cli %s\n", key, d, i, g, w
                    bad++
                }
                checked++
            }
        }
        END {
            for (k in groups) if (!((k, "daily") in seen)) { printf "  %s: no R output\n", k; bad++ }
            if (bad) { printf "the R script disagrees with habitual-cli (%d figures)\n", bad; exit 1 }
            printf "same numbers: %d figures of %d groups agree with habitual-cli\n", checked, length(groups)
        }' "$tmp/standard" "$tmp/summary" "$tmp/r.csv" ||
        { echo "r_bench.sh: the R script does not compute what habitual-cli does" >&2; exit 1; }
fi

# --- timing -------------------------------------------------------------------
# The three programs in turn, so that a slow spell of the machine hits all.
names=("habitual-cli --threads 2" "habitual-cli --threads 1" "Rscript habitual.R")
results=("" "" "")
echo "load: $(cut -d' ' -f1-3 /proc/loadavg); $runs runs of each"
for i in $(seq "$runs"); do
    results[0]+="$(bench_measure "$cli" "${cli_args[@]}" --output standard --threads 2 -o /dev/null)"$'\n'
    results[1]+="$(bench_measure "$cli" "${cli_args[@]}" --output standard --threads 1 -o /dev/null)"$'\n'
    results[2]+="$(bench_measure Rscript "$script" "$survey")"$'\n'
    echo "  run $i of $runs done" >&2
done
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"

column_median() { awk -v c="$1" 'NF { print $c }' | bench_median; }
walls=()
for k in 0 1 2; do
    wall=$(column_median 1 <<<"${results[$k]}")
    cpu=$(column_median 3 <<<"${results[$k]}")
    mem=$(column_median 2 <<<"${results[$k]}")
    walls+=("$wall")
    printf '  %-26s median: %6.2f s wall  %6.2f s cpu  %7.1f MiB peak RSS\n' \
        "${names[$k]}" "$wall" "$cpu" "$(awk -v m="$mem" 'BEGIN { print m / 1024 }')"
done
awk -v r="${walls[2]}" -v a="${walls[0]}" -v b="${walls[1]}" 'BEGIN {
    printf "  R / habitual-cli (wall): %.1f x against 2 threads, %.1f x against 1 thread\n", r / a, r / b }'
