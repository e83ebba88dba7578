#!/usr/bin/env bash
# Running out of memory ends in the Japanese message and exit status 1, never
# in a crash: habitual-cli on a generated survey of 1,000,000 rows (about
# 22 MB) under address-space limits from the lowest one at which the program
# starts at all up to 4 MB above it, far below what the run needs (its
# records alone take more than 24 MB).
# usage: low_memory.sh GEN_SURVEY CLI WORK_DIR
set -euo pipefail
gen=$1 cli=$2 work=$3
mkdir -p "$work"
survey=$work/survey-1000000.csv
if [ ! -s "$survey" ] || [ "$gen" -nt "$survey" ]; then
    "$gen" --persons 500000 --days 2 --nutrients 1 --seed 7 -o "$survey"
fi

starts() { (ulimit -v "$1"; exec "$cli" --version) >/dev/null 2>&1; }

# The lowest limit (KB) at which the program starts: 1 MB steps, then 32 KB.
floor=16384
while ! starts "$floor"; do
    floor=$((floor + 1024))
    [ "$floor" -le 1048576 ] || { echo "FAILED: habitual-cli does not start" >&2; exit 1; }
done
low=$((floor - 1024))
while [ $((floor - low)) -gt 32 ]; do
    mid=$(((low + floor) / 2))
    if starts "$mid"; then floor=$mid; else low=$mid; fi
done
echo "habitual-cli starts from ulimit -v $floor"

fail=0 runs=0
for limit in $(seq "$floor" 128 $((floor + 4096))); do
    for output in standard data; do
        set +e
        (ulimit -v "$limit"; exec "$cli" "$survey" --id 1 --id 2 --id 3 --class 4 --class 5 \
            --nutrient 6 --output "$output" -o "$work/out.txt") 2>"$work/err.txt"
        status=$?
        set -e
        runs=$((runs + 1))
        if [ "$status" -ne 1 ] || ! grep -q 'メモリが足りない' "$work/err.txt"; then
            echo "FAILED: ulimit -v $limit, --output $output: exit $status" >&2
            head -c 400 "$work/err.txt" >&2
            fail=1
        fi
    done
done
rm -f "$work/out.txt" "$work/err.txt"
[ "$fail" -eq 0 ] && echo "ok: $runs runs, each ended with exit 1 and the memory message"
exit "$fail"
