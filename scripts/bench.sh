#!/usr/bin/env bash
# Runs every benchmark of docs/performance.md and writes the figures, each
# with its baseline from the same run and the ratio, to build/bench/:
#   summary.md                        the tables docs/performance.md quotes
#   texgen.json texgen-baseline.json startup.json frames.json
#                                     Google Benchmark output
#   process.txt                       whole-process timings and peak memory
#
#   scripts/bench.sh [--runs N] [--quick] [--baseline REV]
#     --runs N        whole-process start-up runs of each kind (default 21):
#                     median and spread (scripts/launch-time.py)
#     --quick         leave out the whole-show runs (the 60 fps MP4 recording,
#                     rendering alone, the empty show: about 6 minutes
#                     together on an idle 2-core machine)
#     --baseline REV  the commit whose texture generator the stored program
#                     is compared with (default 7728287, the generator before
#                     its SSE2 loops); its texgen_bench is built from that
#                     commit's sources in build/bench-baseline/
# Configures and builds build/ with the benchmarks first (scripts/setup.sh --bench).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"
out="$build/bench"
runs=21
quick=0
baseline=7728287
while [ $# -gt 0 ]; do
    case "$1" in
    --runs) runs="$2"; shift 2 ;;
    --quick) quick=1; shift ;;
    --baseline) baseline="$2"; shift 2 ;;
    *) echo "usage: scripts/bench.sh [--runs N] [--quick] [--baseline REV]" >&2; exit 2 ;;
    esac
done

"$root/scripts/setup.sh" --bench
cmake --build "$build" -j2 --target glowmotion glowmotion-baseline texgen_bench startup_bench frame_bench \
    recording_bench art_data music_data >/dev/null
# The generator to compare with, built from its own commit's sources.
base_src="$build/bench-baseline/src-$baseline" base_build="$build/bench-baseline/build-$baseline"
if [ ! -x "$base_build/texgen_bench" ]; then
    echo "building texgen_bench of $baseline..." >&2
    rm -rf "$base_src" && mkdir -p "$base_src"
    git -C "$root" archive "$baseline" | tar -x -C "$base_src"
    cmake -S "$base_src" -B "$base_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=OFF \
        -DGLOWMOTION_BUILD_BENCHMARKS=ON >/dev/null
    cmake --build "$base_build" -j2 --target texgen_bench >/dev/null
fi
mkdir -p "$out"
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)" > "$out/load.txt"

# Whole process: launch -> first show frame (one frame captured with all five
# scenes loaded, then the process ends) against a process that only makes the
# offscreen context and presents one cleared frame. Alternated, so both see
# the same machine load.
echo "whole-process start-up, $runs runs each..." >&2
: > "$scratch/times"
"$root/scripts/launch-time.py" "$scratch/times" "$runs" \
    -- baseline "$build/glowmotion-baseline" first-frame "$scratch/base" \
    -- show "$build/glowmotion" --capture "$scratch/show" --overwrite --fps 30 --end-at 0.01

# The whole show recorded to a 60 fps 800x600 MP4 as `--capture whole.mp4`
# records it: wall and CPU time (ffmpeg's included), and the peak resident
# memory of the show's process and of ffmpeg, each on its own
# (scripts/peak-memory.py). Against rendering alone (recording_bench: the
# same frames read back and thrown away) and, for memory, the same recording
# with empty scenes.
if [ "$quick" = 0 ]; then
    echo "whole show: empty scenes, rendering alone, then the MP4 recording (60 fps)..." >&2
    "$root/scripts/peak-memory.py" "$scratch/peaks-empty" -- \
        "$build/glowmotion-baseline" empty-show "$scratch/empty" 60 "$build/data" 2>/dev/null
    rm -rf "$scratch/empty"
    "$build/recording_bench" --fps 60 > "$out/rendering.txt"
    "$root/scripts/peak-memory.py" "$scratch/peaks-record" -- /usr/bin/time -f "record %e %U %S" -o "$scratch/record" \
        "$build/glowmotion" --capture "$scratch/whole.mp4" --fps 60 2>/dev/null
    cat "$scratch/record" >> "$scratch/times"
    sed 's/^/peak-empty /' "$scratch/peaks-empty" >> "$scratch/times"
    sed 's/^/peak-record /' "$scratch/peaks-record" >> "$scratch/times"
    stat -c "videosize %s" "$scratch/whole.mp4" >> "$scratch/times"
    rm -f "$scratch/whole.mp4"
fi
cp "$scratch/times" "$out/process.txt"

# The stored texture program, today's generator and the baseline's,
# alternated.
echo "texgen_bench, against $baseline's..." >&2
for i in 1 2 3; do
    "$base_build/texgen_bench" --benchmark_filter='^storedProgram' --benchmark_min_time=0.5 \
        --benchmark_repetitions=3 --benchmark_out="$scratch/texgen-baseline-$i.json" --benchmark_out_format=json >/dev/null
    "$build/texgen_bench" --benchmark_filter='^storedProgram' --benchmark_min_time=0.5 \
        --benchmark_repetitions=3 --benchmark_out="$scratch/texgen-stored-$i.json" --benchmark_out_format=json >/dev/null
done
python3 - "$scratch" "$out/texgen-stored.json" <<'PY'
import json, sys
from pathlib import Path
runs = {"baseline": [], "today": []}
for path in sorted(Path(sys.argv[1]).glob("texgen-*-*.json")):
    kind = "baseline" if "baseline" in path.name else "today"
    for b in json.loads(path.read_text())["benchmarks"]:
        if b.get("run_type") == "iteration":
            runs[kind].append({k: b[k] for k in ("run_name", "real_time", "cpu_time", "time_unit")})
Path(sys.argv[2]).write_text(json.dumps(runs))
PY
echo "texgen_bench..." >&2
"$build/texgen_bench" --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/texgen.json" --benchmark_out_format=json >/dev/null
echo "startup_bench..." >&2
"$build/startup_bench" --benchmark_min_time=0.5 --benchmark_repetitions=3 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/startup.json" --benchmark_out_format=json >/dev/null
echo "frame_bench..." >&2
"$build/frame_bench" --benchmark_filter='^(Frame|OwnCode)/' --benchmark_min_time=1 --benchmark_repetitions=3 \
    --benchmark_report_aggregates_only=true --benchmark_out="$out/frames.json" --benchmark_out_format=json >/dev/null
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)" >> "$out/load.txt"

python3 "$root/scripts/bench-summary.py" "$out" > "$out/summary.md"
cat "$out/summary.md"
