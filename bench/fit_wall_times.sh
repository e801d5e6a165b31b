#!/bin/bash
# Wall and processor time of `slugwell fit` (the default global search) on
# the 3-parameter cases of bench/fit_cases/, 60-61 observations each:
# the median of REPEATS runs per case, and the forward runs and verdict of
# the fit. Whole runs of the program, so the figures include reading,
# checks, the search and the report.
#
# usage: bench/fit_wall_times.sh [SLUGWELL] [REPEATS]   (default build/slugwell, 3)
set -u
bin=$(realpath "${1:-build/slugwell}")
repeats=${2:-3}
cases=$(dirname "$(realpath "$0")")/fit_cases
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
TIMEFORMAT='%R %U'

median() { sort -g | awk '{v[NR] = $1} END {print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2}'; }

echo "| case | parameters | forward runs | verdict | wall time (median) | processor time (median) |"
echo "|---|---|---|---|---|---|"
all=()
for fitcase in partial_exact:kr,ss,kz partial_noisy:kr,ss,kz example_well:kr,ss,kzkr watertable_kzkr:kr,ss,kzkr \
            watertable_sy:kr,ss,sy skin_hks:kr,ss,hks partial_example:kr,ss,kz unsat_kzkr:kr,ss,kzkr; do
    name=${fitcase%%:*}
    params=${fitcase#*:}
    : > times
    for ((k = 0; k < repeats; ++k)); do
        { time "$bin" fit "$cases/${name}_start.txt" "$cases/${name}_obs.csv" --params "$params" --report fit.txt \
              > /dev/null 2>&1; } 2>> times
    done
    runs=$(awk '/forward runs:/ {print $3}' fit.txt)
    verdict=$(grep -m1 -E '^FIT (FAILED|UNRELIABLE)|^  converged:' fit.txt | sed 's/^  //; s/:.*//')
    wall=$(cut -d' ' -f1 times | median)
    cpu=$(cut -d' ' -f2 times | median)
    all+=("$wall")
    echo "| $name | $params | $runs | $verdict | $wall s | $cpu s |"
done
echo
echo "median wall time over the cases: $(printf '%s\n' "${all[@]}" | median) s"
