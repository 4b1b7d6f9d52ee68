#!/usr/bin/env bash
# Runs every benchmark of docs/performance.md and writes the figures, each
# with its baseline from the same run and the ratio, to build/bench/:
#   summary.md                        the table docs/performance.md quotes
#   texgen.json startup.json frames.json  Google Benchmark output
#   process.json                      whole-process timings and peak memory
#
#   scripts/bench.sh [--runs N] [--quick]
#     --runs N   whole-process runs of each kind (default 7): median and spread
#     --quick    leave out the two whole-show captures at 30 fps (peak memory;
#                about 15 minutes together on a 2-core machine)
# Configures and builds build/ with the benchmarks first (scripts/setup.sh --bench).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
out="$build/bench"
runs=7
quick=0
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --quick) quick=1; shift ;;
    *) echo "usage: scripts/bench.sh [--runs N] [--quick]" >&2; exit 2 ;;
    esac
done

"$root/scripts/setup.sh" --bench
cmake --build "$build" -j2 --target glowmotion glowmotion-baseline texgen_bench startup_bench frame_bench art_data music_data >/dev/null
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Whole process: launch -> first show frame (one frame captured with all five
# scenes loaded, then the process ends) against a process that only makes the
# offscreen context and presents one cleared frame. Alternated, so both see
# the same machine load.
echo "whole-process start-up, $runs runs each..." >&2
: > "$scratch/times"
for i in $(seq 1 "$runs"); do
    /usr/bin/time -f "baseline %e %M" -a -o "$scratch/times" \
        "$build/glowmotion-baseline" first-frame "$scratch/base" >/dev/null
    /usr/bin/time -f "show %e %M" -a -o "$scratch/times" \
        "$build/glowmotion" --capture "$scratch/show" --overwrite --fps 30 --end-at 0.01 2>/dev/null
done

# Whole show at 30 fps: peak resident memory against the same process with
# empty scenes.
if [ "$quick" = 0 ]; then
    echo "whole-show capture at 30 fps, empty scenes then the show..." >&2
    /usr/bin/time -f "emptyshow %e %M" -a -o "$scratch/times" \
        "$build/glowmotion-baseline" empty-show "$scratch/empty" 30 "$build/data" 2>/dev/null
    rm -rf "$scratch/empty"
    /usr/bin/time -f "wholeshow %e %M" -a -o "$scratch/times" \
        "$build/glowmotion" --capture "$scratch/whole" --fps 30 2>/dev/null
    rm -rf "$scratch/whole"
fi
cp "$scratch/times" "$out/process.txt"

echo "texgen_bench..." >&2
"$build/texgen_bench" --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/texgen.json" --benchmark_out_format=json >/dev/null
echo "startup_bench..." >&2
"$build/startup_bench" --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/startup.json" --benchmark_out_format=json >/dev/null
echo "frame_bench..." >&2
"$build/frame_bench" --benchmark_min_time=1 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/frames.json" --benchmark_out_format=json >/dev/null

python3 "$root/scripts/bench-summary.py" "$out" > "$out/summary.md"
cat "$out/summary.md"
