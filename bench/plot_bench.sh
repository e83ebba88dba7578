#!/usr/bin/env bash
# Times the plots of the reference survey's 12 groups: laid out, written as
# SVG, and as PNG where the build has Cairo (bench/plot_bench.cpp); painted
# by the window, its PNG and PDF files (bench/plot_paint_bench.cpp).
#
#   bench/plot_bench.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/release}
data=${HABITUAL_BENCH_DATA:-$HOME/.cache/habitual-bench}
survey=$data/survey-p500000-d2-n10-s1-shuffle.csv
targets=(habitual-plot-bench habitual-gen-survey)
grep -q '^HABITUAL_BUILD_UI:BOOL=ON' "$build/CMakeCache.txt" && targets+=(habitual-plot-paint-bench)
nice -n 10 cmake --build "$build" -j2 --target "${targets[@]}" >/dev/null
if [ ! -s "$survey" ]; then
    mkdir -p "$data"
    "$build/bench/habitual-gen-survey" --persons 500000 --days 2 --nutrients 10 --seed 1 --shuffle \
        -o "$survey"
fi
cat "$survey" >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$build/bench/habitual-plot-bench" "$survey" "$out"
if [ -x "$build/bench/habitual-plot-paint-bench" ]; then
    QT_QPA_PLATFORM=offscreen "$build/bench/habitual-plot-paint-bench" "$survey" 2> >(grep -v XDG_RUNTIME_DIR >&2)
fi
