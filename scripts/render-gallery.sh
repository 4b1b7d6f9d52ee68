#!/usr/bin/env bash
# Renders the gallery the README shows: one 800x600 frame of each scene or
# sequence at a telling moment, from the real data, into docs/screens/.
# Usage: scripts/render-gallery.sh [NAME ...]   (default: every entry)
# Needs a built tree (scripts/run.sh or scripts/test.sh builds it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
show="$root/build/glowmotion"
[ -x "$show" ] || { echo "render-gallery: build first ($show is missing)" >&2; exit 1; }

# name          show time (s)
# A recording that starts at a show time first runs the show up to it unseen,
# so each frame is the one the whole show draws there (at 30 frames a second).
entries="
turntable       4.5
credits-crew    27.0
credits-logo    32.0
star-tunnel     40.0
dance-wipe      45.5
dance-groove    58.0
greetings       70.4
shower          90.0
end             108.0
end-fade        120.0
"

wanted=" $* "
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$root/docs/screens"
while read -r name time; do
  [ -n "$name" ] || continue
  [ $# -eq 0 ] || [[ "$wanted" == *" $name "* ]] || continue
  rm -rf "$tmp/frames"
  # A recording covers [start, end): ending a millisecond after `time` makes
  # the frame at `time` the last one written.
  end=$(awk -v t="$time" 'BEGIN { printf "%.3f", t + 0.001 }')
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$tmp/frames" --fps 30 --start-at "$time" --end-at "$end" \
    >/dev/null 2>&1
  last=$(ls "$tmp/frames"/*.png | sort | tail -1)
  cp "$last" "$root/docs/screens/$name.png"
  echo "docs/screens/$name.png  (show time $time s)"
done <<<"$entries"
