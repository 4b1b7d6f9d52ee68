#!/usr/bin/env bash
# Records the show to a video file: renders every frame offscreen (no display
# needed), renders the music to WAV, and muxes both with ffmpeg.
# Usage: scripts/record-video.sh [OUT.mp4] [--fps N] [--start-at S] [--end-at E]
# Installs ffmpeg and openmpt123 with apt-get when they are missing.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out="glowmotion.mp4"
if [ $# -gt 0 ] && [ "${1#--}" = "$1" ]; then out=$1; shift; fi
fps=60 start=0 end=""
while [ $# -gt 0 ]; do
  case "$1" in
    --fps) fps=$2; shift 2 ;;
    --start-at) start=$2; shift 2 ;;
    --end-at) end=$2; shift 2 ;;
    *) echo "usage: scripts/record-video.sh [OUT.mp4] [--fps N] [--start-at S] [--end-at E]" >&2; exit 2 ;;
  esac
done

"$root/scripts/setup.sh"
missing=()
command -v ffmpeg >/dev/null || missing+=(ffmpeg)
command -v openmpt123 >/dev/null || missing+=(openmpt123)
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
capture=(--capture "$work/frames" --fps "$fps" --start-at "$start")
[ -n "$end" ] && capture+=(--end-at "$end")
"$root/build/glowmotion" "${capture[@]}"
openmpt123 --batch --quiet --force --samplerate 44000 --output "$work/music.wav" \
  "$root/build/data/km_groov.it" </dev/null
frames=$(find "$work/frames" -name '*.png' | wc -l)
seconds=$(awk -v n="$frames" -v f="$fps" 'BEGIN { printf "%.3f", n / f }')
ffmpeg -loglevel error -y -framerate "$fps" -i "$work/frames/%06d.png" \
  -ss "$start" -t "$seconds" -i "$work/music.wav" \
  -c:v libx264 -pix_fmt yuv420p -crf 18 -c:a aac -b:a 192k -shortest "$out"
echo "record-video: wrote $out ($frames frames at $fps fps)"
