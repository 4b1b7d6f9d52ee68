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
entries="
turntable       8.0
credits-crew    23.0
credits-logo    32.0
star-tunnel     40.0
dance-wipe      45.5
dance-groove    58.0
greetings       72.0
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
  # One frame: the capture starts at `time` and stops at the first frame after it.
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$tmp/frames" --start-at "$time" --end-at "$time" >/dev/null
  cp "$tmp/frames/000000.png" "$root/docs/screens/$name.png"
  echo "docs/screens/$name.png  (show time $time s)"
done <<<"$entries"
