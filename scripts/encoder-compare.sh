#!/usr/bin/env bash
# Compares H.264 encoder settings on the show's own frames: speed (CPU
# seconds and wall time of ffmpeg alone), file size, and quality as SSIM and
# PSNR (Y, U, V and all) of the decoded video against the frames it was given.
#
#   scripts/encoder-compare.sh [WORK_DIR] [PRESET:TUNE:CRF ...]
#
# The frames: seven 6-second excerpts at 60 fps, 800x600 (the turntable, the
# credits, the star tunnel, the dance floor's three sequences, the end),
# captured as PNG files with build/glowmotion and joined into one raw RGBA
# stream. Each setting encodes that stream with the recording's own filter
# chain (BT.709 matrix, limited range, 4:2:0); the reference for SSIM and
# PSNR is the same stream through the same filter, so the figures measure the
# encoder's loss alone. TUNE may be empty. Prints a Markdown table; keeps the
# videos in WORK_DIR (default build/encoder-compare).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${1:-$root/build/encoder-compare}
shift || true
settings=("$@")
((${#settings[@]})) || settings=(veryfast::18 faster::18 superfast::18 ultrafast::18 veryfast:animation:18
                                  superfast:animation:18 superfast::16 superfast::20)
mkdir -p "$work"
frames=$work/frames.rgba reference=$work/reference.yuv
if [[ ! -s $reference ]]; then
  i=0
  for start in 8 25 37 50 70 90 110; do
    i=$((i + 1))
    "$root/build/glowmotion" --capture "$work/png$i" --overwrite --fps 60 --start-at "$start" \
      --end-at $((start + 6)) >/dev/null
  done
  for n in $(seq 1 $i); do
    ffmpeg -v error -framerate 60 -i "$work/png$n/%06d.png" -f rawvideo -pix_fmt rgba -
    rm -rf "$work/png$n"
  done >"$frames"
  ffmpeg -v error -f rawvideo -pix_fmt rgba -video_size 800x600 -framerate 60 -i "$frames" \
    -vf scale=out_color_matrix=bt709:out_range=tv,format=yuv420p -f rawvideo "$reference"
fi
count=$(($(stat -c %s "$frames") / (800 * 600 * 4)))
echo "| preset | tune | crf | CPU s | wall s | frames/s | MiB | SSIM (all) | PSNR Y dB | PSNR all dB | worst-frame PSNR dB |"
echo "|---|---|---|---|---|---|---|---|---|---|---|"
for setting in "${settings[@]}"; do
  IFS=: read -r preset tune crf <<<"$setting"
  video=$work/$preset-${tune:-none}-$crf.mp4
  tuning=()
  [[ -z $tune ]] || tuning=(-tune "$tune")
  /usr/bin/time -f "%e %U %S" -o "$work/time" ffmpeg -v error -y -f rawvideo -pix_fmt rgba -video_size 800x600 \
    -framerate 60 -i "$frames" -vf scale=out_color_matrix=bt709:out_range=tv,format=yuv420p \
    -c:v libx264 -preset "$preset" "${tuning[@]}" -crf "$crf" -colorspace bt709 -color_primaries bt709 \
    -color_trc bt709 -color_range tv "$video"
  read -r wall user system <"$work/time"
  ffmpeg -v error -i "$video" -f rawvideo -pix_fmt yuv420p -video_size 800x600 -framerate 60 -i "$reference" \
    -lavfi "[0:v]split[a][b];[1:v]split[c][d];[a][c]ssim=stats_file=$work/ssim.log;[b][d]psnr=stats_file=$work/psnr.log" \
    -f null -
  python3 - "$work" "$preset" "${tune:--}" "$crf" "$wall" "$user" "$system" "$count" "$video" <<'EOF'
import math, os, sys
work, preset, tune, crf, wall, user, system, count, video = sys.argv[1:]
def fields(path):
    for line in open(path):
        yield dict(item.split(":", 1) for item in line.split() if ":" in item)
ssim = [float(f["All"]) for f in fields(f"{work}/ssim.log")]
psnr = list(fields(f"{work}/psnr.log"))
def mean_psnr(key):
    # PSNR of the mean squared error over all frames
    mse = sum(float(f[key]) for f in psnr) / len(psnr)
    return 10 * math.log10(255 * 255 / mse) if mse > 0 else float("inf")
worst = min(float(f["psnr_avg"]) for f in psnr)
cpu = float(user) + float(system)
print(f"| {preset} | {tune} | {crf} | {cpu:.1f} | {float(wall):.1f} | {int(count) / float(wall):.0f} | "
      f"{os.path.getsize(video) / 2**20:.1f} | {sum(ssim) / len(ssim):.5f} | {mean_psnr('mse_y'):.2f} | "
      f"{mean_psnr('mse_avg'):.2f} | {worst:.2f} |")
EOF
done
