# Shared by the benchmark scripts (sourced): the build folder, the tools in
# it, and the generated reference survey.
#
#   bench_build BUILD TARGET...   configures BUILD when needed (the release
#                                 preset for build/release) and builds TARGETs
#   bench_tool BUILD NAME         prints the path of the built program NAME
#   bench_survey GEN PERSONS      prints the path of the reference survey of
#                                 PERSONS persons (2 days each, 10 nutrients),
#                                 generating it once into $bench_data
# Callers set bench_name (for messages) before sourcing.

bench_repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
bench_data=${HABITUAL_BENCH_DATA:-${XDG_CACHE_HOME:-$HOME/.cache}/habitual-bench}
bench_timer=/usr/bin/time
[ -x "$bench_timer" ] ||
    { echo "$bench_name: $bench_timer missing (Debian package time)" >&2; exit 1; }

bench_build() {
    local build=$1
    shift
    if [ ! -f "$build/CMakeCache.txt" ]; then
        if [ "$build" = "$bench_repo/build/release" ]; then
            (cd "$bench_repo" && cmake --preset release >/dev/null)
        else
            cmake -S "$bench_repo" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
        fi
    fi
    local type
    type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")
    [ "$type" = Release ] || echo "warning: $build is a '$type' build, not Release" >&2
    local log
    log=$(mktemp)
    if ! cmake --build "$build" -j2 --target "$@" >"$log" 2>&1; then
        cat "$log" >&2
        rm -f "$log"
        echo "$bench_name: the build failed" >&2
        exit 1
    fi
    rm -f "$log"
}

bench_tool() {
    local path
    path=$(find "$1" -type f -name "$2" -perm -u+x -print -quit)
    [ -n "$path" ] || { echo "$bench_name: $2 not found under $1" >&2; exit 1; }
    echo "$path"
}

bench_survey() {
    local gen=$1 persons=$2
    local survey=$bench_data/survey-p${persons}-d2-n10-s1-shuffle.csv
    mkdir -p "$bench_data"
    if [ ! -f "$survey" ] || [ "$gen" -nt "$survey" ]; then
        echo "generating $survey" >&2
        "$bench_timer" -f "  generated in %e s" "$gen" --persons "$persons" --days 2 \
            --nutrients 10 --seed 1 --shuffle -o "$survey.part" >&2
        mv "$survey.part" "$survey"
    fi
    echo "$survey"
}

# Prints "wall-seconds kilobytes cpu-seconds" of one run of a command, from
# time -v; the command's output is dropped. CPU time (user + system) is less
# disturbed by other load than wall time.
bench_measure() {
    local log
    log=$(mktemp)
    if ! "$bench_timer" -v -o "$log" "$@" >/dev/null 2>"$log.err"; then
        echo "$bench_name: failed: $*" >&2
        cat "$log.err" >&2
        rm -f "$log" "$log.err"
        exit 1
    fi
    awk -F': ' '
        /Elapsed \(wall clock\)/ { n = split($2, t, ":"); s = 0
                                   for (i = 1; i <= n; i++) s = s * 60 + t[i] }
        /Maximum resident set size/ { m = $2 }
        /User time|System time/ { c += $2 }
        END { printf "%.2f %d %.2f\n", s, m, c }' "$log"
    rm -f "$log" "$log.err"
}

# The median of a column of numbers.
bench_median() {
    sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
