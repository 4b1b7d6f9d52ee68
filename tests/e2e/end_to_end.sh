#!/usr/bin/env bash
# The programs as they ship, run for real: the show on a display and
# recording, its tools, its installed layout. Usage: end_to_end.sh CASE BUILD VERSION
# Each case works in a folder of its own. Nothing waits on a fixed sleep for
# a result: every wait is for a condition (a title, a process ending, a held
# ffmpeg) with a generous limit.
set -u
case_name=$1 build=$(cd "$2" && pwd) version=$3
show=$build/glowmotion data=$build/data
work=$(mktemp -d "${TMPDIR:-/tmp}/glowmotion-e2e-$case_name-XXXXXX")
pids=()
cleanup() {
  # A held ffmpeg would keep the show waiting for ever.
  for pid in "${pids[@]}"; do pkill -KILL --parent "$pid"; kill -KILL "$pid"; done 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; sed 's/^/  stderr: /' err 2>/dev/null | head -20; exit 1; }
cd "$work" || exit 1
export SDL_AUDIODRIVER=dummy
export -n WAYLAND_DISPLAY

# run ARGS...: the show with standard output in out, standard error in err; sets $status.
run() { "$show" "$@" >out 2>err; status=$?; }
# frames DIR: how many NNNNNN.png it holds.
frames() { ls "$1" | grep -c '^[0-9]\{6\}\.png$'; }
# wait_end PID SECONDS: waits for the process to end; sets $status.
wait_end() {
  for _ in $(seq $(($2 * 10))); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && fail "process $1 did not end within $2 s"
  wait "$1"; status=$?
  local kept=() pid
  for pid in "${pids[@]}"; do [ "$pid" = "$1" ] || kept+=("$pid"); done
  pids=("${kept[@]}")
}
# rgb FILE OUT [FILTER]: a PNG, or the first frame of a video, as raw RGB in OUT.
rgb() { ffmpeg -v error -y -i "$1" -vf "${3:-null}" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$2" || fail "cannot decode $1"; }
# probe FILE STREAM ENTRIES: "key=value" lines of one stream.
probe() { ffprobe -v error -count_frames -select_streams "$2" -show_entries "stream=$3" -of default=nw=1 "$1"; }
# wav_check FILE FRAMES: 48000 Hz 16-bit stereo, FRAMES sample frames long, not silence.
wav_check() {
  python3 - "$@" <<'PY' || fail "$1 is not $2 frames of music"
import array, sys, wave
with wave.open(sys.argv[1]) as w:
    assert (w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes()) == (48000, 2, 2, int(sys.argv[2]))
    assert int(sys.argv[2]) == 0 or max(array.array('h', w.readframes(w.getnframes()))) > 1000, "silent"
PY
}
# held_ffmpeg: an ffmpeg first on PATH that stops itself before it starts the
# real one, so the show fills its pipes and waits. held_child PID prints the
# pid of that ffmpeg once it is stopped with a frame begun in its video pipe.
held_ffmpeg() {
  mkdir -p bin && printf '#!/bin/sh\nkill -STOP $$\nexec %s "$@"\n' "$(command -v ffmpeg)" >bin/ffmpeg && chmod +x bin/ffmpeg
}
held_child() {
  local child
  for _ in $(seq 600); do
    child=$(ps -o pid= --ppid "$1" | head -1 | tr -d ' ')
    if [ -n "$child" ] && [ "$(ps -o stat= -p "$child" | cut -c1)" = T ] && python3 -c 'import fcntl, os, struct, sys, termios
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
sys.exit(struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0" * 4))[0] == 0)' "/proc/$child/fd/3" 2>/dev/null; then
      echo "$child"; return 0
    fi
    sleep 0.1
  done
  return 1
}
# A private X server on a free display (-noreset: a client that connects
# while the last one leaves is not turned away by a reset).
start_xvfb() {
  exec 3>display
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >xvfb.log 2>&1 &
  pids+=($!) && disown
  for _ in $(seq 300); do [ -s display ] && break; sleep 0.1; done
  [ -s display ] || fail "Xvfb did not start"
  export DISPLAY=":$(head -1 display)"
}
# await_title NAME REGEX: waits (60 s at most) for a window whose title
# holds NAME to show a title matching REGEX; sets $window and $title.
await_title() {
  for _ in $(seq 600); do
    window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1)
    title=$([ -n "$window" ] && xdotool getwindowname "$window" 2>/dev/null)
    [[ $title =~ $2 ]] && return 0
    sleep 0.1
  done
  fail "title '$title', waited for /$2/"
}

case "$case_name" in
commands)
  # The show and every tool: --help on standard output, --version as
  # "NAME VERSION", a mistake is status 2 with two lines on standard error.
  for name in glowmotion glowmotion-tga compose_music glowmotion-art glowmotion-texgen; do
    for args in --help --version --no-such-option; do
      "$build/$name" $args >out 2>err; status=$?
      case $args in
      --help) [ "$status" -eq 0 ] && grep -q "^Usage: $name " out && [ ! -s err ] ;;
      --version) [ "$status" -eq 0 ] && [ "$(cat out)" = "$name $version" ] && [ ! -s err ] ;;
      *) [ "$status" -eq 2 ] && [ ! -s out ] && [ "$(wc -l <err)" -eq 2 ] && grep -q "^$name: ." err &&
        [ "$(sed -n 2p err)" = "Run with --help for more information." ] ;;
      esac || fail "$name $args: status $status, $(head -3 out)"
      [ "$(ls)" = "$(printf 'err\nout')" ] || fail "$name $args made files: $(ls)"
    done
  done
  # The set-up's package step (apt-get, dpkg-query and sudo stand-ins on
  # PATH): one line naming the packages and the log; after a failure the end
  # of the log on standard error and a failing status; silence when nothing is missing.
  mkdir bin
  printf '#!/bin/sh\n[ -z "$INSTALLED" ] || printf "install ok installed"\n' >bin/dpkg-query
  printf '#!/bin/sh\n[ "$1" = -v ] || exec "$@"\n' >bin/sudo
  printf '#!/bin/sh\nseq 300\n[ -z "$FAIL" ] || [ "$1" != install ] || { echo "E: no libnosuch"; exit 100; }\n' >bin/apt-get
  chmod +x bin/* && printf '# comment\nlibone\nlibtwo\n' >list.txt
  installer=$(dirname "$(readlink -f "${BASH_SOURCE[0]}")")/../../scripts/install-packages.sh
  packages() { PATH="$work/bin:$PATH" GLOWMOTION_SETUP_LOG="$work/setup.log" "$installer" demo list.txt >out 2>err; }
  packages && [ "$(cat out)" = "demo: installing 2 packages with apt-get: libone libtwo (log: $work/setup.log)" ] &&
    [ ! -s err ] && [ "$(wc -l <setup.log)" -eq 600 ] || fail "install-packages: $(cat out)"
  FAIL=1 packages && fail "install-packages: a failed apt-get gave status 0"
  [ "$(wc -l <out)" -eq 1 ] && grep -q "failed; the end of $work/setup.log:$" err && [ "$(tail -1 err)" = "E: no libnosuch" ] ||
    fail "install-packages after a failure: $(cat out)"
  INSTALLED=1 packages && [ ! -s out ] && [ ! -s err ] || fail "install-packages with nothing missing: $(cat out)"
  ;;
capture)
  # The whole show at 1 fps, then the same in two parts split at 19 s (in
  # the gap after the turntable, where the show holds its last frame): the
  # parts' frames are the whole's byte for byte and their music joins into
  # the whole's sample for sample.
  run --capture whole --fps 1
  [ "$status" -eq 0 ] && [ ! -s out ] || fail "whole show: status $status, standard output: $(head -3 out)"
  [ "$(frames whole)" -eq 125 ] && [ "$(ls whole | wc -l)" -eq 126 ] || fail "whole show: $(ls whole | wc -l) files"
  grep -q "^glowmotion: frame 125/125, " err && grep -qx "glowmotion: wrote 125 frames and audio.wav (125.000 s) to whole" err ||
    fail "whole show: no progress or count"
  wav_check whole/audio.wav $((125 * 48000))
  # Every scene draws pictures (a flat 800x600 PNG is a few kilobytes), each its own.
  picks="000009 000023 000032 000040 000050 000070 000090 000108 000120"
  for frame in $picks; do [ "$(stat -c %s "whole/$frame.png")" -gt 100000 ] || fail "frame $frame is nearly flat"; done
  [ "$(for frame in $picks; do md5sum <"whole/$frame.png"; done | sort -u | wc -l)" -eq 9 ] || fail "scenes draw the same picture"
  run --capture part --fps 1 --start-at 19
  [ "$status" -eq 0 ] && [ ! -s out ] && [ "$(frames part)" -eq 106 ] || fail "second part: status $status"
  for k in $(seq 0 105); do cmp -s "part/$(printf %06d "$k").png" "whole/$(printf %06d $((k + 19))).png" || fail "second part: frame $k"; done
  cp part/audio.wav second.wav
  # A folder that holds frames is refused and left alone ...
  run --capture part --fps 1 --end-at 19
  [ "$status" -eq 2 ] && grep -q "^glowmotion: capture folder part: already holds 106 frames" err || fail "full folder: status $status"
  [ "$(frames part)" -eq 106 ] && cmp -s part/audio.wav second.wav || fail "a refused capture changed the folder"
  # ... unless --overwrite: then it holds exactly the new frames and their music.
  run --capture part --fps 1 --end-at 19 --overwrite
  [ "$status" -eq 0 ] && [ ! -s out ] && [ "$(ls part | wc -l)" -eq 20 ] && [ "$(frames part)" -eq 19 ] || fail "--overwrite: $(ls part | wc -l) files"
  for k in $(seq 0 18); do cmp -s "part/$(printf %06d "$k").png" "whole/$(printf %06d "$k").png" || fail "first part: frame $k"; done
  wav_check part/audio.wav $((19 * 48000)) && wav_check second.wav $((106 * 48000))
  python3 - whole/audio.wav part/audio.wav second.wav <<'PY' || fail "the parts' music is not the whole's"
import sys, wave
whole, first, second = (wave.open(p).readframes(10**9) for p in sys.argv[1:])
assert first + second == whole
PY
  ;;
video)
  # 1920x1080 H.264 under a terminal: a live progress line, then the summary.
  script -qec "'$show' --capture clip.mp4 --size 1920x1080 --fps 10 --start-at 105 --end-at 107" typescript >/dev/null ||
    fail "video: status $?: $(tail -3 typescript)"
  grep -aq $'\rglowmotion: frame 20/20, .* 0:00 left' typescript && grep -aq "^glowmotion: wrote clip.mp4: 20 frames at 10 fps (2.000 s) with music" typescript ||
    fail "video: no live progress or summary: $(tail -3 typescript)"
  v=$(probe clip.mp4 v:0 codec_name,width,height,r_frame_rate,nb_read_frames,duration,pix_fmt,color_space,color_range,color_transfer,color_primaries)
  for expected in codec_name=h264 width=1920 height=1080 r_frame_rate=10/1 nb_read_frames=20 duration=2.000000 \
      pix_fmt=yuv420p color_space=bt709 color_range=tv color_transfer=bt709 color_primaries=bt709; do
    grep -qx "$expected" <<<"$v" || fail "video stream: no $expected in: $(tr '\n' ' ' <<<"$v")"
  done
  a=$(probe clip.mp4 a:0 codec_name,sample_rate,channels,duration_ts)
  grep -qx codec_name=aac <<<"$a" && grep -qx sample_rate=48000 <<<"$a" && grep -qx channels=2 <<<"$a" || fail "audio stream: $a"
  # 2 s of music: ffmpeg's AAC encoder may mark up to 32 samples fewer than it
  # was given; decoded, the padding of its last 1024-sample block may follow.
  samples=$(grep duration_ts= <<<"$a" | cut -d= -f2)
  [ "$samples" -le 96000 ] && [ "$samples" -gt $((96000 - 64)) ] || fail "audio stream holds $samples samples"
  ffmpeg -v error -i clip.mp4 -map 0:a:0 -f s16le -ac 2 -ar 48000 audio.raw || fail "decoding audio"
  python3 - audio.raw clip.mp4 <<'PY' || fail "decoded audio or layout"
import array, sys
samples = array.array('h', open(sys.argv[1], 'rb').read())
assert 96000 <= len(samples) // 2 < 96000 + 1024 and max(samples) > 1000, len(samples) // 2
data = open(sys.argv[2], 'rb').read()
assert 0 < data.find(b'moov') < data.find(b'mdat'), "the index is not before the media (+faststart)"
PY
  # The same times as PNG frames at the same rate, and the picture between the bars at half
  # its size. Seen at a quarter size, past the codec's fine noise, the
  # video's first frame is the frame of its time, read with the colours it
  # is tagged with (a BT.601 reading is 11 levels off), not the one half a
  # second on. The bars are black; the picture is the same at any size, only sharper.
  run --capture png --size 1920x1080 --fps 10 --start-at 105 --end-at 105.6 && run --capture half --size 720x540 --fps 1 --start-at 105 --end-at 106 ||
    fail "PNG captures: status $status"
  small=scale=480:270:flags=area
  rgb clip.mp4 video.rgb && rgb png/000000.png same.rgb && rgb clip.mp4 video-small.rgb $small && rgb png/000000.png same-small.rgb $small &&
    rgb png/000005.png later-small.rgb $small && rgb png/000000.png halved.rgb crop=1440:1080:240:0,scale=720:540:flags=area &&
    rgb half/000000.png half.rgb
  python3 - <<'PY' || fail "pictures"
import math
video, same, video_small, same_small, later_small, halved, half = (open(name + '.rgb', 'rb').read() for name in (
    'video', 'same', 'video-small', 'same-small', 'later-small', 'halved', 'half'))
assert len(video) == len(same) == 1920 * 1080 * 3 and len(halved) == len(half) == 720 * 540 * 3, "sizes"
def psnr(a, b):
    return 10 * math.log10(255 * 255 * len(a) / sum((x - y) ** 2 for x, y in zip(a, b)))
near, far = psnr(video_small, same_small), psnr(video_small, later_small)
bias = [(sum(video[c::3]) - sum(same[c::3])) / (len(same) / 3) for c in range(3)]
print("PSNR %.1f dB to its time, %.1f dB to half a second on; bias %s" % (near, far, ["%.2f" % b for b in bias]))
assert near > 31 and near > far + 3 and all(abs(b) < 3 for b in bias)
row = 1920 * 3
for y in range(1080):
    assert same[y * row:y * row + 720] == bytes(720) and same[y * row + 5040:(y + 1) * row] == bytes(720), "bar in row %d" % y
    assert max(video[y * row:y * row + 696]) < 24 and max(video[y * row + 5064:(y + 1) * row]) < 24, "video bar in row %d" % y
assert sum(same) / len(same) > 30, "a black picture"
far = sum(abs(a - b) > 64 for a, b in zip(halved, half))
mean = sum(abs(a - b) for a, b in zip(halved, half)) / len(half)
print("half size: mean difference %.2f, %d values far" % (mean, far))
assert mean < 2 and far < len(half) // 100
PY
  ;;
failures)
  # Each refused before any work, saying why, leaving nothing behind.
  PATH=/nonexistent run --capture a.mp4 --end-at 1
  [ "$status" -eq 1 ] && grep -q "needs ffmpeg.*install the Debian package ffmpeg" err && [ ! -e a.mp4 ] || fail "no ffmpeg: status $status"
  run --capture no/such/a.mp4 --end-at 1
  [ "$status" -eq 1 ] && grep -qx "glowmotion: cannot write no/such/a.mp4: No such file or directory" err || fail "no folder: status $status"
  run --capture /proc/no/such --end-at 1
  [ "$status" -eq 1 ] && grep -q "^glowmotion: cannot use capture folder /proc/no/such: " err || fail "folder not made: status $status"
  run --capture long.mp4 --size 32768x2 --end-at 0.1
  [ "$status" -eq 1 ] && grep -q "a 32768x2 picture is beyond this OpenGL's limit of [0-9]*x[0-9]*" err && [ ! -e long.mp4 ] ||
    fail "beyond the OpenGL limits: status $status"
  echo keep >old.webm
  run --capture old.webm --end-at 1
  [ "$status" -eq 2 ] && grep -qx "glowmotion: old.webm already exists; --overwrite replaces it" err && [ "$(cat old.webm)" = keep ] ||
    fail "existing output: status $status"
  # Files may not grow past 4 KiB: no frame fits; the half-written one is
  # gone and audio.wav holds the music of no frame, also when that frame is
  # the recording's only one (its failure known only once the show has
  # ended). Past 200 KiB, frames of 160x120 fit but not the music of the
  # third: audio.wav holds that of two.
  for limit in "4 0 123 f4 frame f4/000000.png" "4 0 120.5 one frame one/000000.png" \
    "200 2 123 f200 the music f200/audio.wav"; do
    read -r blocks kept end dir what file <<<"$limit"
    (trap '' XFSZ; ulimit -f "$blocks"; exec "$show" --capture "$dir" --size 160x120 --fps 2 --start-at 120 --end-at "$end") 2>err
    status=$?
    [ "$status" -eq 1 ] && grep -qx "glowmotion: cannot write $what $file: File too large" err &&
      [ "$(grep -c "cannot write" err)" -eq 1 ] &&
      grep -q "^glowmotion: capture stopped after $kept frames\? in $dir" err || fail "limit $blocks to $end: status $status"
    [ "$(ls "$dir" | wc -l)" -eq $((kept + 1)) ] && [ "$(frames "$dir")" -eq "$kept" ] || fail "limit $blocks to $end: $(ls "$dir")"
    [ "$(stat -c %s "$dir/audio.wav")" -eq $((44 + kept * 24000 * 4)) ] && wav_check "$dir/audio.wav" $((kept * 24000))
  done
  # ffmpeg failing mid-way (its output outgrows the size limit): its own
  # message, status 1, the broken file removed.
  (trap '' XFSZ; ulimit -f 64; exec "$show" --capture full.mp4 --fps 30 --start-at 100 --end-at 110) 2>err; status=$?
  [ "$status" -eq 1 ] && grep -q "^ffmpeg: .*File too large" err && grep -q "^glowmotion: recording failed after [0-9]* of 300 frames" err &&
    [ ! -e full.mp4 ] || fail "ffmpeg fails: status $status"
  # ffmpeg killed while the show waits for it: no hang, status 1, no file.
  held_ffmpeg
  PATH="$work/bin:$PATH" "$show" --capture killed.mp4 --fps 30 --start-at 100 --end-at 125 2>err & pids+=($!)
  child=$(held_child $!) || fail "killed: ffmpeg never started"
  kill -KILL "$child" && wait_end "${pids[-1]}" 60
  [ "$status" -eq 1 ] && grep -q "ffmpeg was killed (Killed)" err && [ ! -e killed.mp4 ] || fail "killed: status $status"
  # Ctrl-C mid-way, over the old file (--overwrite): status 130 and a whole
  # WebM (VP9, Opus) whose music is exactly as long as its frames.
  PATH="$work/bin:$PATH" "$show" --capture old.webm --overwrite --size 320x240 --fps 30 --start-at 100 --end-at 125 2>err & pids+=($!)
  child=$(held_child $!) || fail "interrupt: ffmpeg never started"
  kill -INT "${pids[-1]}" && kill -CONT "$child" && wait_end "${pids[-1]}" 60
  [ "$status" -eq 130 ] || fail "interrupt: status $status"
  [ "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 old.webm | tr '\n' ' ')" = "vp9 opus " ] || fail "interrupt: codecs"
  count=$(probe old.webm v:0 nb_read_frames | cut -d= -f2)
  ffmpeg -v error -i old.webm -map 0:a:0 -f s16le -ac 2 -ar 48000 audio.raw || fail "interrupt: decoding audio"
  [ "$count" -gt 0 ] && [ "$count" -lt 750 ] && [ "$(stat -c %s audio.raw)" -eq $((count * 1600 * 4)) ] ||
    fail "interrupt: $count frames, $(($(stat -c %s audio.raw) / 4)) samples"
  grep -q "^glowmotion: stopped (Interrupt) after $count of 750 frames" err || fail "interrupt: no summary"
  ;;
window)
  # No display: status 1, the reason (naming the display asked for, if any)
  # and a hint on standard error, none of the libraries' own noise.
  n=1999; while [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  for display in "" ":$n"; do
    env -u DISPLAY -u XDG_RUNTIME_DIR ${display:+DISPLAY=$display} "$show" --start-at 124 >out 2>err; status=$?
    [ "$status" -eq 1 ] && [ ! -s out ] && grep -q "^glowmotion: no display" err || fail "DISPLAY='$display': status $status"
    ! grep -v "^glowmotion: \|^qlxGLIntro Error: " err || fail "DISPLAY='$display': library noise"
    if [ -n "$display" ]; then grep -q "; cannot open DISPLAY=$display$" err; else ! grep -q "cannot open" err; fi ||
      fail "DISPLAY='$display': the display named or not"
    tail -1 err | grep -q "^glowmotion: with no display, record the show with --capture DIR" || fail "no hint"
  done
  start_xvfb
  # The watching keys, the music written by SDL's disk driver: each step
  # waits for the title that shows it took effect. Then paused, to the
  # start, along the scenes and seconds to the last two, where the show ends
  # by itself.
  SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=audio.raw "$show" --windowed --controls >out 2>err & pids+=($!)
  key() { xdotool key --window "$window" "$1" || fail "xdotool key $1"; }
  await_title Glowmotion '^Glowmotion \| [0-9]+\.[0-9]{2} s \| turntable$'
  key space
  await_title Glowmotion '^Glowmotion \| [0-9]+\.[0-9]{2} s \| turntable \| paused$'
  for step in Next:19.10 period:19.12 comma:19.10; do
    key "${step%:*}" && await_title Glowmotion "^Glowmotion \| ${step#*:} s \| credits \| paused$"
  done
  # F12: the rate first ("..." until its first measurement).
  key F12
  await_title Glowmotion '^! Glowmotion  \.:\[fps( \.\.\.|  [0-9]+ )\]:\. \| 19\.10 s \| credits \| paused$'
  key space
  # Some music after the pause for the check below.
  await_title Glowmotion ' \| (19\.[5-9]|2[0-9]\.)[0-9]+ s \| credits$'
  key space
  await_title Glowmotion ' s \| .* \| paused$'
  for step in Home:0.00 Next:19.10 Next:36.10 Next:43.90 Next:66.60 Next:81.80 Next:103.10 Prior:81.80 Right:86.80 \
      Left:81.80 Up:82.80 Down:81.80 Next:103.10 Right:108.10 Right:113.10 Right:118.10 Right:123.10; do
    key "${step%:*}" && await_title Glowmotion " \| ${step#*:} s \| .*paused$"
  done
  key space
  wait_end "${pids[-1]}" 60
  [ "$status" -eq 0 ] && [ ! -s out ] || fail "controls: status $status"
  # The pause was silent, and after it the music went on from 19.1 s to the sample.
  "$build/tests/check_paused_audio" "$data/km_groov.it" audio.raw 19.1 || fail "the music did not follow"
  # Full-screen with no sound device: one line says so; Escape ends the show.
  SDL_AUDIODRIVER=alsa AUDIODEV=glowmotion-no-such-device "$show" --start-at 60 >out 2>err & pids+=($!)
  await_title Glowmotion '^Glowmotion$'
  xdotool windowfocus --sync "$window" key Escape || fail "xdotool"
  wait_end "${pids[-1]}" 60
  [ "$status" -eq 0 ] && [ ! -s out ] && [ "$(wc -l <err)" -eq 1 ] && grep -q "^glowmotion: no sound device (.*); the show plays in silence$" err ||
    fail "no sound: status $status"
  # Media missing and a folder where the module should be: the show goes on
  # in silence, says which files and why, the picture reader names its file
  # on standard output; a close request ends it.
  mkdir some && ln -s "$data"/* some/ && rm some/frog.tga some/font.fnt some/km_groov.it && mkdir some/km_groov.it
  "$show" --windowed --data some --start-at 60 >out 2>err & pids+=($!)
  await_title Glowmotion '^Glowmotion$'
  "$build/tests/close_window" "$window" || fail "close request not sent"
  wait_end "${pids[-1]}" 60
  [ "$status" -eq 0 ] || fail "close: status $status"
  grep -q "^glowmotion: 3 of the show's $(ls "$data" | wc -l) media files are missing from some: " err &&
    [ "$(grep "are missing" err | grep -o 'font\.fnt\|frog\.tga\|km_groov\.it' | wc -l)" -eq 3 ] &&
    grep -qx "glowmotion: no music: some/km_groov.it: is a folder, not a file; the show plays in silence" err &&
    [ "$(grep -cv "^glowmotion: " err)" -eq 0 ] || fail "missing media: the report"
  grep -q "^TGA: .* some/frog.tga$" out || fail "missing media: no reader's line: $(cat out)"
  # No media at all (the wrong folder): said before any window shows, status 2.
  mkdir empty && timeout 60 "$show" --windowed --data empty >out 2>err; status=$?
  [ "$status" -eq 2 ] && grep -q "^glowmotion: none of the show's [0-9]* media files .* is in empty; give the folder" err || fail "no media: $status"
  ;;
installed)
  # cmake --install lays out bin/ and share/glowmotion/; the installed
  # program, started from another folder, finds its pictures and music.
  cmake --install "$build" --prefix prefix >install.log 2>&1 || fail "cmake --install: $(tail -3 install.log)"
  [ -x prefix/bin/glowmotion ] && [ -f prefix/share/glowmotion/km_groov.it ] && [ -f prefix/share/glowmotion/font.fnt ] &&
    [ ! -e prefix/share/glowmotion/data ] || fail "layout: $(cd prefix && find . | head -20)"
  # The manual pages: roff that groff reads without a warning.
  for page in prefix/share/man/man*/*.gz; do
    zcat "$page" | groff -man -Tutf8 -ww -z 2>err && [ ! -s err ] || fail "$page: groff: $(cat err)"
  done
  [ "$(ls prefix/share/man/man*/*.gz | wc -l)" -eq 3 ] || fail "manual pages: $(ls prefix/share/man/man*)"
  mkdir elsewhere && cd elsewhere || exit 1
  ../prefix/bin/glowmotion --capture frames --fps 10 --start-at 108 --end-at 108.1 >out 2>err || fail "installed: status $?"
  ! grep -q "no music\|missing" err && wav_check frames/audio.wav 4800 || fail "installed: no music"
  rgb frames/000000.png picture.rgb && [ "$(python3 -c 'd = open("picture.rgb", "rb").read(); print(sum(d) // len(d))')" -gt 40 ] ||
    fail "installed: a black picture"
  # The program alone, copied away from its media: it says where it looked,
  # records nothing (no folder, no video file left), status 2.
  cp ../prefix/bin/glowmotion .
  for target in alone alone.mp4; do
    ./glowmotion --capture $target --start-at 108 --end-at 108.1 >out 2>err; status=$?
    [ "$status" -eq 2 ] && [ ! -e $target ] || fail "copied away, $target: status $status"
    grep -qx "glowmotion: none of the show's [0-9]* media files (pictures, font, music) is in $work/elsewhere/data; give the folder that holds them with --data DIR" err ||
      fail "copied away: $(cat err)"
  done
  ;;
texgen-view)
  # glowmotion-texgen view: the title shows the program's summary, a refused
  # save names its line there and on standard error, a save the way many
  # editors do (a new file renamed over the old one) is read again, Escape ends it.
  start_xvfb
  checker='Checker 0 rgb size=64x32 cells=2x2 colour1=#ff0000 colour2=#0000ff'
  echo "$checker" >program.txt
  "$build/glowmotion-texgen" view program.txt 2>err & pids+=($!)
  await_title 'glowmotion-texgen view' 'program.txt: ok: 1 instruction in 10 bytes, layer 0 ends 64x32'
  printf '%s\nPlasmo 0 rgb\n' "$checker" >program.txt
  await_title 'glowmotion-texgen view' "refused, line 2, column 1: unknown operation 'Plasmo'"
  grep -q "line 2, column 1: unknown operation 'Plasmo'" err || fail "the refusal is not on standard error"
  printf '%s\nCopy 1 rgb source=0\n' "$checker" >new && mv new program.txt
  await_title 'glowmotion-texgen view' 'program.txt: ok: 2 instructions in 13 bytes'
  xdotool windowfocus --sync "$window" key Escape
  wait_end "${pids[-1]}" 30
  [ "$status" -eq 0 ] || fail "status $status after Escape"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
