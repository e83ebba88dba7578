#!/bin/sh
# Writes the three example results files from sample-survey.csv with the
# batch tool, all with the same settings:
#   person columns 1 to 3 (district, household, household member),
#   classification columns 4 and 5 (sex, age class),
#   analysis column 6 (energy, kcal), best power transformation,
#   cut-offs "1500- 2500" (share below 1500 kcal, share at or above 2500 kcal).
#
# usage: examples/make_results.sh BUILD_DIR
set -eu

build=${1:?usage: make_results.sh BUILD_DIR}
here=$(cd "$(dirname "$0")" && pwd)
cli=$(find "$build" -type f -name habitual-cli -perm -u+x -print -quit)
[ -n "$cli" ] || { echo "make_results.sh: habitual-cli not found under $build" >&2; exit 1; }

run() { # output form, results file
    "$cli" "$here/sample-survey.csv" --id 1 --id 2 --id 3 --class 4 --class 5 --nutrient 6 \
        --method best --cutoffs "1500- 2500" --output "$1" -o "$here/$2"
    echo "wrote $here/$2"
}
run standard sample-standard.txt
run summary sample-summary.csv
run data sample-data.csv
