#!/usr/bin/env bash
# The real binary records the opening scenes headless from the shipped data.
# Usage: opening_capture.sh GLOWMOTION
set -u
show=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; sed 's/^/  /' "$work/out" "$work/err" 2>/dev/null | head -20; exit 1; }

export SDL_AUDIODRIVER=dummy
env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$work/f" --fps 2 --end-at 43.8 >"$work/out" 2>"$work/err"
status=$?
[ "$status" -eq 0 ] || fail "status $status"
# Frames at 0, 0.5, ... 43.5 s.
count=$(find "$work/f" -name '*.png' | wc -l)
[ "$count" -eq 88 ] || fail "$count frames, expected 88"
# Every picture was read: the reader prints nothing.
[ ! -s "$work/out" ] || fail "messages on standard output"
# Each scene draws pictures, not a flat clear colour: a flat 800x600 PNG is
# a few kilobytes. Turntable 9 s, credits 23 s and 32 s, star tunnel 40 s.
for frame in 000018 000046 000064 000080; do
  size=$(stat -c %s "$work/f/$frame.png")
  [ "$size" -gt 100000 ] || fail "frame $frame is only $size bytes"
done
[ "$(md5sum "$work/f/000018.png" "$work/f/000064.png" "$work/f/000080.png" | cut -d' ' -f1 | sort -u | wc -l)" -eq 3 ] \
  || fail "scenes draw the same picture"
echo "ok: $count frames"
