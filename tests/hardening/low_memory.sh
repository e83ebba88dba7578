#!/usr/bin/env bash
# Running out of memory ends in the Japanese message and exit status 1, not a
# crash: habitual-cli on a generated survey of 1,000,000 rows (about 22 MB)
# under address-space limits that let the program start (about 40 MB) but
# are far below what the run needs (about 300 MB).
# usage: low_memory.sh GEN_SURVEY CLI WORK_DIR
set -euo pipefail
gen=$1 cli=$2 work=$3
mkdir -p "$work"
survey=$work/survey-1000000.csv
if [ ! -s "$survey" ] || [ "$gen" -nt "$survey" ]; then
    "$gen" --persons 500000 --days 2 --nutrients 1 --seed 7 -o "$survey"
fi

fail=0
for limit in 100000 200000; do
    if ! (ulimit -v "$limit"; exec "$cli" --version) >/dev/null 2>&1; then
        echo "FAILED: habitual-cli does not even start under ulimit -v $limit" >&2
        fail=1
        continue
    fi
    for output in standard data; do
        set +e
        (ulimit -v "$limit"; exec "$cli" "$survey" --id 1 --id 2 --id 3 --class 4 --class 5 \
            --nutrient 6 --output "$output" -o "$work/out.txt") 2>"$work/err.txt"
        status=$?
        set -e
        if [ "$status" -eq 1 ] && grep -q 'メモリが足りない' "$work/err.txt"; then
            echo "ok: ulimit -v $limit, --output $output: exit 1 with the memory message"
        else
            echo "FAILED: ulimit -v $limit, --output $output: exit $status" >&2
            cat "$work/err.txt" >&2
            fail=1
        fi
    done
done
rm -f "$work/out.txt" "$work/err.txt"
exit "$fail"
