#!/usr/bin/env bash
# End-to-end checks of the real binary. Usage: end_to_end.sh CASE GLOWMOTION CLOSE_WINDOW
# Cases that need a display start their own Xvfb; none waits on a fixed sleep
# for correctness, only on events (window mapped, process ended) with a
# generous time limit.
set -u
case_name=$1 show=$2 closer=${3:-}
work=$(mktemp -d)
xvfb_pid=""
show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err" | head -20; exit 1; }

start_xvfb() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 "$work/display")"
}

# Waits (at most $2 seconds) for the show to end; sets $status.
wait_show() {
  local limit=$1
  for _ in $(seq $((limit * 10))); do
    kill -0 "$show_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$show_pid" 2>/dev/null; then fail "the show did not end within ${limit}s"; fi
  wait "$show_pid"; status=$?
  show_pid=""
}

# The audio path runs for real against SDL's silent device.
export SDL_AUDIODRIVER=dummy

case "$case_name" in
no-display)
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --start-at 124 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "status $status, expected 1"
  grep -q "qlxGLIntro Error: when init'ing display area" "$work/err" || fail "no error message on stderr"
  ;;
bad-usage)
  "$show" --no-such-option 2>"$work/err" >"$work/out"; status=$?
  [ "$status" -eq 2 ] || fail "status $status, expected 2"
  grep -q "^usage:" "$work/err" || fail "no usage on stderr"
  "$show" --capture "$work/f" --fps 0 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] || fail "--fps 0: status $status, expected 2"
  "$show" --help >"$work/out"; status=$?
  [ "$status" -eq 0 ] && grep -q -- "--capture" "$work/out" || fail "--help"
  ;;
capture)
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$work/f" --fps 10 --start-at 120 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] || fail "status $status"
  # t = 120.0 ... 125.0 and the first frame above 125.0.
  count=$(ls "$work/f" | wc -l)
  [ "$count" -eq 52 ] || fail "$count frames, expected 52"
  [ -f "$work/f/000000.png" ] && [ -f "$work/f/000051.png" ] || fail "frame names"
  file "$work/f/000000.png" 2>/dev/null | grep -q "800 x 600" || python3 - "$work/f/000000.png" <<'PY' || fail "frame size"
import struct, sys
data = open(sys.argv[1], 'rb').read(24)
assert data[:8] == b'\x89PNG\r\n\x1a\n'
assert struct.unpack('>II', data[16:24]) == (800, 600)
PY
  env -u DISPLAY "$show" --capture "/proc/no/such/dir" --fps 10 --start-at 124.9 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "unwritable capture folder: status $status, expected 1"
  ;;
ends-by-itself)
  start_xvfb
  for mode in --windowed ""; do
    "$show" $mode --start-at 124.5 2>"$work/err" & show_pid=$!
    wait_show 60
    [ "$status" -eq 0 ] || fail "mode '$mode': status $status, expected 0"
  done
  ;;
escape)
  start_xvfb
  "$show" --windowed 2>"$work/err" & show_pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Glowmotion$' | head -1)
  [ -n "$win" ] || fail "no window"
  # Held until the show ends: the loop looks at the key table only on a pass
  # that took no message, so a tap whose press and release both queue while
  # the show is busy (loading, or slowed by the sanitizers) goes unseen.
  xdotool windowfocus --sync "$win" keydown Escape || fail "xdotool"
  wait_show 30
  xdotool keyup Escape 2>/dev/null
  [ "$status" -eq 0 ] || fail "status $status, expected 0"
  ;;
close)
  start_xvfb
  "$show" --windowed 2>"$work/err" & show_pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Glowmotion$' | head -1)
  [ -n "$win" ] || fail "no window"
  "$closer" "$win" || fail "close request not sent"
  wait_show 30
  [ "$status" -eq 0 ] || fail "status $status, expected 0"
  ;;
plays-music)
  # SDL's disk driver writes what the show plays into a file, in real time.
  start_xvfb
  module=$(dirname "$show")/data/km_groov.it
  [ -f "$module" ] || fail "no module at $module"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
    "$show" --windowed --start-at 50 --end-at 52 2>"$work/err" & show_pid=$!
  wait_show 60
  [ "$status" -eq 0 ] || fail "status $status"
  python3 - "$work/audio.raw" <<'PY' || fail "no music in the audio output"
import array, math, sys
samples = array.array('f', open(sys.argv[1], 'rb').read())  # 44000 Hz stereo float
assert len(samples) > 44000, "less than half a second of audio: %d" % len(samples)
rms = math.sqrt(sum(x * x for x in samples) / len(samples))
peak = max(abs(x) for x in samples)
print("audio: %.2f s, rms %.3f, peak %.3f" % (len(samples) / 88000.0, rms, peak))
assert 0.02 < rms and peak <= 1.0
PY
  # The same show with the module missing plays silence and still ends well.
  mkdir "$work/no-music" && cp "$(dirname "$module")"/*.tga "$(dirname "$module")"/font.fnt "$work/no-music/"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/silence.raw" \
    "$show" --windowed --data "$work/no-music" --start-at 50 --end-at 51 2>"$work/err" & show_pid=$!
  wait_show 60
  [ "$status" -eq 0 ] || fail "without module: status $status"
  python3 - "$work/silence.raw" <<'PY' || fail "sound without a module"
import array, sys
samples = array.array('f', open(sys.argv[1], 'rb').read())
assert samples and max(abs(x) for x in samples) == 0.0
PY
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
