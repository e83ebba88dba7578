#!/bin/bash
# Rebuilds engine/PlotCriticalValues.inc, the table of 5 % critical values of
# the normal-plot R-square that the reliability notices use, by simulation
# (see plot_critical_values.cpp). Takes about 15 minutes on two cores; the
# same build gives the same table byte for byte.
#
# usage: tests/statistics/make_plot_critical_values.sh [BUILD_DIR]
set -euo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$repo/build/release}
cmake --build "$build" --target habitual-plot-critical-values >/dev/null
"$build/tests/statistics/habitual-plot-critical-values" >"$repo/engine/PlotCriticalValues.inc.part"
mv "$repo/engine/PlotCriticalValues.inc.part" "$repo/engine/PlotCriticalValues.inc"
echo "wrote $repo/engine/PlotCriticalValues.inc"
