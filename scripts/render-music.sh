#!/usr/bin/env bash
# Renders the show's music to a WAV file for listening: builds the module
# (target music_data) if needed, then lets openmpt123 play it into a file at
# the show's 44000 Hz with libopenmpt's default settings.
# Usage: scripts/render-music.sh [output.wav]     (default: <build>/km_groov.wav)
# The build folder is build/ unless GLOWMOTION_BUILD_DIR names another.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="${GLOWMOTION_BUILD_DIR:-$root/build}"
out="${1:-$build/km_groov.wav}"

if ! command -v openmpt123 >/dev/null; then
  echo "render-music: openmpt123 is not installed (apt-get install openmpt123)" >&2
  exit 1
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -G Ninja -DGLOWMOTION_BUILD_TESTS=OFF -DGLOWMOTION_BUILD_BENCHMARKS=OFF
fi
cmake --build "$build" --target music_data
openmpt123 --batch --quiet --force --samplerate 44000 --output "$out" "$build/data/km_groov.it" </dev/null
echo "render-music: wrote $out"
if command -v sox >/dev/null; then
  sox "$out" -n stats 2>&1 | grep -E '^(Pk lev|RMS lev|Length)' || true
fi
