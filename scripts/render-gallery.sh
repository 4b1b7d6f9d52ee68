#!/usr/bin/env bash
# Renders the gallery the README shows: one 800x600 frame of each scene or
# sequence at a telling moment, from the real data, into docs/screens/.
# Usage: scripts/render-gallery.sh [NAME ...]   (default: every entry)
# Needs a built tree (scripts/run.sh or scripts/test.sh builds it).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
show="$root/build/glowmotion"
[ -x "$show" ] || { echo "render-gallery: build first ($show is missing)" >&2; exit 1; }

# name          show time (s)   [recorded from (s)]
# With a "from" time the show is recorded at 30 frames a second from then and
# the last frame kept: a scene's first frame clears with the colour the one
# before it left, and some state steps once per frame (the credits' title
# fade and slides, the star rings, the dancers), so those moments need the
# frames before them.
entries="
turntable       4.5
credits-crew    27.0    19.2
credits-logo    32.0    31.8
star-tunnel     40.0    39.8
dance-wipe      45.5    45.3
dance-groove    58.0    57.8
greetings       70.4    70.2
shower          90.0    89.8
end             108.0   102.9
end-fade        120.0   102.9
"

wanted=" $* "
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$root/docs/screens"
while read -r name time from; do
  [ -n "$name" ] || continue
  [ $# -eq 0 ] || [[ "$wanted" == *" $name "* ]] || continue
  rm -rf "$tmp/frames"
  # A recording covers [start, end): ending a millisecond after `time` makes
  # the frame at `time` the last one written.
  end=$(awk -v t="$time" 'BEGIN { printf "%.3f", t + 0.001 }')
  if [ -n "$from" ]; then
    env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$tmp/frames" --fps 30 --start-at "$from" --end-at "$end" >/dev/null
  else
    env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$tmp/frames" --start-at "$time" --end-at "$end" >/dev/null
  fi
  last=$(ls "$tmp/frames"/*.png | sort | tail -1)
  cp "$last" "$root/docs/screens/$name.png"
  echo "docs/screens/$name.png  (show time $time s${from:+, recorded from $from s})"
done <<<"$entries"
