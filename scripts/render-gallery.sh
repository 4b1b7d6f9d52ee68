#!/usr/bin/env bash
# Renders the gallery the README shows: one 800x600 frame of each scene or
# sequence at a telling moment, from the real data, into docs/screens/.
# Usage: scripts/render-gallery.sh [NAME ...]   (default: every entry)
# Needs a built tree (scripts/run.sh or scripts/test.sh builds it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
show="$root/build/glowmotion"
[ -x "$show" ] || { echo "render-gallery: build first ($show is missing)" >&2; exit 1; }

# name          show time (s)  [lead-in (s)]
# With a lead-in the capture starts that much earlier at 10 fps and the last
# frame is kept: a scene whose first frame is cleared with the colour the
# scene before it left (the dance floor) shows its own colours from its
# second frame on.
entries="
turntable       8.0
credits-crew    23.0
credits-logo    32.0
star-tunnel     40.0
dance-wipe      45.5   0.2
dance-groove    58.0   0.2
greetings       70.4   0.2
shower          90.0   0.2
end             108.0
end-fade        120.0
"

wanted=" $* "
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$root/docs/screens"
while read -r name time lead; do
  [ -n "$name" ] || continue
  [ $# -eq 0 ] || [[ "$wanted" == *" $name "* ]] || continue
  rm -rf "$tmp/frames"
  # The capture starts at `time` (less the lead-in) and stops at the first
  # frame after `time`; the last frame written is the one at `time`.
  from=$(awk -v t="$time" -v l="${lead:-0}" 'BEGIN { printf "%.3f", t - l }')
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$tmp/frames" --fps 10 --start-at "$from" --end-at "$time" >/dev/null
  last=$(ls "$tmp/frames" | sort | tail -n 1)
  cp "$tmp/frames/$last" "$root/docs/screens/$name.png"
  echo "docs/screens/$name.png  (show time $time s)"
done <<<"$entries"
