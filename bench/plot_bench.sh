#!/usr/bin/env bash
# Times the plots of the reference survey's 12 groups: laid out, written as
# SVG, and as PNG where the build has Cairo (bench/plot_bench.cpp); painted
# by the window, its PNG and PDF files (bench/plot_paint_bench.cpp).
#
#   bench/plot_bench.sh [BUILD_DIR]      (default build/release)
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$repo/build/release}
bench_name=plot_bench.sh
source "$repo/bench/common.sh"

targets=(habitual-plot-bench habitual-gen-survey)
[ -f "$build/CMakeCache.txt" ] && grep -q '^HABITUAL_BUILD_UI:BOOL=ON' "$build/CMakeCache.txt" &&
    targets+=(habitual-plot-paint-bench)
bench_build "$build" "${targets[@]}"
survey=$(bench_survey "$(bench_tool "$build" habitual-gen-survey)" 500000)
cat "$survey" >/dev/null
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$(bench_tool "$build" habitual-plot-bench)" "$survey" "$out"
if [[ " ${targets[*]} " == *" habitual-plot-paint-bench "* ]]; then
    QT_QPA_PLATFORM=offscreen "$(bench_tool "$build" habitual-plot-paint-bench)" "$survey" \
        2> >(grep -v XDG_RUNTIME_DIR >&2)
fi
