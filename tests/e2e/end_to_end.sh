#!/usr/bin/env bash
# End-to-end checks of the real binary. Usage: end_to_end.sh CASE GLOWMOTION CLOSE_WINDOW [CHECK_PAUSED_AUDIO]
# Cases that need a display start their own Xvfb; none waits on a fixed sleep
# for correctness, only on events (window mapped, process ended) with a
# generous time limit.
set -u
case_name=$1 show=$2 closer=${3:-} audio_checker=${4:-}
work=$(mktemp -d)
build_data=$(dirname "$show")/data
xvfb_pid=""
show_pid=""
cleanup() {
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err" | head -20; exit 1; }

# -noreset: when its last client (an xdotool call) leaves, a server resets, and
# a show connecting during the reset is turned away.
start_xvfb() {
  exec 3>"$work/display"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
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
  # With no XDG_RUNTIME_DIR the libraries SDL tries print noise of their
  # own; none of it reaches standard error.
  env -u DISPLAY -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR "$show" --start-at 124 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "status $status, expected 1"
  grep -q "qlxGLIntro Error: when init'ing display area" "$work/err" || fail "no error message on stderr"
  ! grep -v "^glowmotion: \|^qlxGLIntro Error: " "$work/err" || fail "library noise on stderr"
  ! grep -q "cannot open" "$work/err" || fail "a display named though none was"
  # The last line says what to do instead.
  [ "$(tail -1 "$work/err")" = "glowmotion: with no display, record the show with --capture DIR, or run it on a virtual display (xvfb-run build/glowmotion)" ] ||
    fail "no hint after the error: $(tail -1 "$work/err")"
  [ "$(grep -n "when init'ing display area" "$work/err" | cut -d: -f1)" -eq $(($(wc -l <"$work/err") - 1)) ] ||
    fail "the hint does not follow the error line"
  # A display named that is not there: the message names it.
  n=1999; while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY=:$n "$show" --start-at 124 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] && grep -q "^glowmotion: .*; cannot open DISPLAY=:$n$" "$work/err" &&
    ! grep -v "^glowmotion: \|^qlxGLIntro Error: " "$work/err" || fail "DISPLAY=:$n: status $status: $(cat "$work/err")"
  ;;
bad-usage)
  # Each refusal: status 2, nothing on standard output, one line naming the
  # mistake (and what is allowed) then the hint, on standard error.
  refused() {  # refused EXPECTED-FIRST-LINE ARGS...
    local expected=$1; shift
    "$show" "$@" >"$work/out" 2>"$work/err"; status=$?
    [ "$status" -eq 2 ] || fail "$*: status $status, expected 2"
    [ ! -s "$work/out" ] || fail "$*: wrote to standard output"
    [ "$(head -1 "$work/err")" = "$expected" ] || fail "$*: first line '$(head -1 "$work/err")', expected '$expected'"
    [ "$(sed -n 2p "$work/err")" = "Run with --help for more information." ] || fail "$*: no hint"
  }
  refused "glowmotion: The following argument was not expected: --no-such-option" --no-such-option
  refused "glowmotion: --start-at: Value 125 not in range 0 to 125 (125 excluded) seconds" --start-at 125
  # (Every refusal's words: OptionsTest, RecordingTest.)
  [ ! -e "$work/f" ] || fail "a refused command line made the capture folder"
  "$show" --help >"$work/out" 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] && grep -q -- "--capture" "$work/out" && [ ! -s "$work/err" ] || fail "--help"
  "$show" --version >"$work/out" 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] && grep -qx "glowmotion [0-9.]*" "$work/out" || fail "--version: $(cat "$work/out")"
  ;;
capture)
  env -u DISPLAY -u WAYLAND_DISPLAY "$show" --capture "$work/f" --fps 10 --start-at 120 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] || fail "status $status"
  # Show time [120, 125): t = 120.0 ... 124.9 (their music: recording.sh).
  count=$(ls "$work/f" | grep -c '^[0-9]\{6\}\.png$')
  [ "$count" -eq 50 ] || fail "$count frames, expected 50"
  [ -f "$work/f/000000.png" ] && [ -f "$work/f/000049.png" ] || fail "frame names"
  [ "$(ls "$work/f" | wc -l)" -eq 51 ] && [ -f "$work/f/audio.wav" ] || fail "folder: $(ls "$work/f" | tr '\n' ' ')"
  grep -qx "glowmotion: wrote 50 frames and audio.wav (5.000 s) to $work/f" "$work/err" || fail "no count of the frames written"
  # A second recording into the same folder is refused and touches nothing ...
  "$show" --capture "$work/f" --fps 2 --start-at 124 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] || fail "folder with frames: status $status, expected 2"
  grep -qx "glowmotion: capture folder $work/f: already holds 50 frames (NNNNNN.png); --overwrite replaces them" \
    "$work/err" || fail "folder with frames: $(cat "$work/err")"
  [ "$(ls "$work/f" | wc -l)" -eq 51 ] || fail "a refused recording changed the folder"
  # ... unless --overwrite: then the folder holds exactly the new frames (124.0, 124.5) and their music.
  "$show" --capture "$work/f" --fps 2 --start-at 124 --overwrite 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] || fail "--overwrite: status $status"
  [ "$(ls "$work/f" | tr '\n' ' ')" = "000000.png 000001.png audio.wav " ] || fail "--overwrite: $(ls "$work/f" | tr '\n' ' ')"
  grep -qx "glowmotion: wrote 2 frames and audio.wav (1.000 s) to $work/f" "$work/err" || fail "--overwrite: $(cat "$work/err")"

  # Some missing: the show goes on, and one line names them.
  mkdir "$work/some" && cp "$build_data"/* "$work/some" && rm "$work/some/frog.tga" "$work/some/font.fnt"
  "$show" --data "$work/some" --capture "$work/part" --fps 10 --start-at 124.9 >"$work/out" 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] && [ "$(grep -c -v "^glowmotion: frame \|^glowmotion: wrote " "$work/err")" -eq 1 ] &&
    grep -qx "glowmotion: 2 of the show's $(ls "$build_data" | wc -l) media files are missing from $work/some: font.fnt, frog.tga" "$work/err" ||
    fail "some media: $(cat "$work/err")"
  grep -qx "TGA: No se ha podido abrir $work/some/frog.tga" "$work/out" || fail "some media: the reader's lines"

  env -u DISPLAY "$show" --capture "/proc/no/such/dir" --fps 10 --start-at 124.9 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "unwritable capture folder: status $status, expected 1"
  grep -qx "glowmotion: cannot use capture folder /proc/no/such/dir: No such file or directory" "$work/err" ||
    fail "unwritable capture folder: $(cat "$work/err")"
  # Files may not grow past 4 KiB: no frame fits. The reason is the system's,
  # the half-written frame is gone, the count says none was written, and
  # audio.wav holds the music of no frame.
  (trap '' XFSZ; ulimit -f 4; exec "$show" --capture "$work/small" --fps 10 --start-at 120 --end-at 120.5) 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "file size limit: status $status, expected 1"
  grep -qx "glowmotion: cannot write frame $work/small/000000.png: File too large" "$work/err" ||
    fail "file size limit: $(cat "$work/err")"
  grep -qx "glowmotion: capture stopped after 0 frames in $work/small; audio.wav holds no music" "$work/err" ||
    fail "no count after a failure"
  [ "$(ls "$work/small")" = "audio.wav" ] || fail "a partial frame was left: $(ls "$work/small")"
  python3 -c "import wave, sys; assert wave.open(sys.argv[1]).getnframes() == 0" "$work/small/audio.wav" ||
    fail "audio.wav after no frame"
  # Past 200 KiB the disk is full: small frames fit, but the music of the
  # third (0.5 s, 96000 bytes) does not. That frame goes, and audio.wav holds
  # exactly the music of the two kept, its header saying so.
  (trap '' XFSZ; ulimit -f 200; exec "$show" --capture "$work/full" --size 160x120 --fps 2 --start-at 120 --end-at 123) \
    2>"$work/err"; status=$?
  [ "$status" -eq 1 ] && grep -qx "glowmotion: cannot write the music $work/full/audio.wav: File too large" "$work/err" &&
    grep -qx "glowmotion: capture stopped after 2 frames in $work/full; audio.wav holds their music (1.000 s)" "$work/err" ||
    fail "full disk: status $status: $(cat "$work/err")"
  [ "$(ls "$work/full" | tr '\n' ' ')" = "000000.png 000001.png audio.wav " ] || fail "full disk: $(ls "$work/full" | tr '\n' ' ')"
  [ "$(stat -c %s "$work/full/audio.wav")" -eq $((44 + 48000 * 4)) ] &&
    python3 -c "import wave, sys; assert wave.open(sys.argv[1]).getnframes() == 48000" "$work/full/audio.wav" ||
    fail "full disk: audio.wav is not the music of the frames kept"
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
  # One quick tap: under load its press and release wait in the queue
  # together behind a slow frame, and the driver must still see the press.
  xdotool windowfocus --sync "$win" key Escape || fail "xdotool"
  wait_show 30
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
  # The same show with the module missing plays silence and still ends well;
  # standard error names the file and why, standard output stays empty.
  mkdir "$work/no-music" && cp "$(dirname "$module")"/*.tga "$(dirname "$module")"/font.fnt "$work/no-music/"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/silence.raw" \
    "$show" --windowed --data "$work/no-music" --start-at 50 --end-at 51 >"$work/out" 2>"$work/err" & show_pid=$!
  wait_show 60
  [ "$status" -eq 0 ] || fail "without module: status $status"
  python3 - "$work/silence.raw" <<'PY' || fail "sound without a module"
import array, sys
samples = array.array('f', open(sys.argv[1], 'rb').read())
assert samples and max(abs(x) for x in samples) == 0.0
PY
  # (SDL's disk driver announces itself with two CRITICAL lines of its own.)
  count=$(ls "$build_data" | wc -l)
  [ "$(grep -v '^CRITICAL: ' "$work/err")" = "glowmotion: 1 of the show's $count media files is missing from $work/no-music: km_groov.it
glowmotion: no music: $work/no-music/km_groov.it: No such file or directory; the show plays in silence" ] ||
    fail "without module: $(cat "$work/err")"
  [ ! -s "$work/out" ] || fail "without module: standard output: $(cat "$work/out")"
  # A folder where the module should be: the same, no crash.
  mkdir "$work/no-music/km_groov.it"
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/silence.raw" \
    "$show" --windowed --data "$work/no-music" --start-at 50 --end-at 50.5 >"$work/out" 2>"$work/err" & show_pid=$!
  wait_show 60
  [ "$status" -eq 0 ] || fail "module folder: status $status"
  [ "$(grep -v '^CRITICAL: ' "$work/err")" = "glowmotion: 1 of the show's $count media files is missing from $work/no-music: km_groov.it
glowmotion: no music: $work/no-music/km_groov.it: is a folder, not a file; the show plays in silence" ] ||
    fail "module folder: $(cat "$work/err")"
  # No media at all (the wrong folder): said before any window shows, status 2.
  mkdir "$work/empty"
  timeout 60 "$show" --windowed --data "$work/empty" >"$work/out" 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && [ "$(grep -v '^CRITICAL: ' "$work/err")" = "glowmotion: none of the show's $count media files (pictures, font, music) is in $work/empty; give the folder that holds them with --data DIR" ] ||
    fail "no media: status $status: $(cat "$work/err")"
  ;;
no-sound)
  # ALSA asked for a device that exists nowhere: one line, none of ALSA's own.
  start_xvfb
  SDL_AUDIODRIVER=alsa AUDIODEV=glowmotion-no-such-device \
    "$show" --windowed --start-at 124.5 >"$work/out" 2>"$work/err" & show_pid=$!
  wait_show 60
  [ "$status" -eq 0 ] || fail "status $status"
  [ "$(wc -l <"$work/err")" -eq 1 ] && grep -q "^glowmotion: no sound device (.*); the show plays in silence$" "$work/err" ||
    fail "not one line about the silence"
  [ ! -s "$work/out" ] || fail "standard output: $(cat "$work/out")"
  ;;
controls)
  # The watching keys on the real window, the music written by SDL's disk
  # driver; every step waits for the title that shows it took effect.
  start_xvfb
  module=$(dirname "$show")/data/km_groov.it
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" \
    "$show" --windowed --controls 2>"$work/err" & show_pid=$!
  win=$(timeout 60 xdotool search --sync --onlyvisible --name '^Glowmotion' | head -1)
  [ -n "$win" ] || fail "no window"
  await_title() {  # await_title REGEX: at most 60 s
    for _ in $(seq 600); do
      title=$(xdotool getwindowname "$win" 2>/dev/null)
      [[ $title =~ $1 ]] && return 0
      sleep 0.1
    done
    fail "title '$title', waited for /$1/"
  }
  key() { xdotool key --window "$win" "$1" || fail "xdotool key $1"; }
  await_title '^Glowmotion \| [0-9]+\.[0-9]{2} s \| turntable$'
  key space
  await_title '^Glowmotion \| [0-9]+\.[0-9]{2} s \| turntable \| paused$'
  paused=$title
  key Next
  await_title '^Glowmotion \| 19\.10 s \| credits \| paused$'
  key period
  await_title '^Glowmotion \| 19\.12 s \| credits \| paused$'
  key comma
  await_title '^Glowmotion \| 19\.10 s \| credits \| paused$'
  key space
  # Some music after the pause for the check below (0.4 s at least).
  await_title '^Glowmotion \| (19\.[5-9]|2[0-9]\.)[0-9]+ s \| credits$'
  key F12
  # The rate shows "..." until its first measurement, which a slow machine
  # may make before the title is read: either says F12 took effect.
  await_title '^! Glowmotion  \.:\[fps( \.\.\.|  [0-9]+ )\]:\. \| [0-9]+\.[0-9]{2} s \| [a-z][a-z :]*$'
  key Escape
  wait_show 30
  [ "$status" -eq 0 ] || fail "status $status"
  echo "paused at: $paused"
  # The pause was silent, and after it the music went on from 19.1 s to the sample.
  "$audio_checker" "$module" "$work/audio.raw" 19.1 || fail "the music did not follow"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
