#!/usr/bin/env bash
# End-to-end checks of recording with the real binary, real scenes and media,
# and the real ffmpeg. Usage: recording.sh CASE GLOWMOTION [BUILD_DIR]
# Every case works in a folder of its own; none depends on timing for its
# result (the ones that stop or kill ffmpeg mid-way hold it until the show
# waits for it).
set -u
case_name=$1 show=$2 build=${3:-}
work=$(mktemp -d "${TMPDIR:-/tmp}/glowmotion-recording-$case_name-XXXXXX")
show_pid=""
cleanup() {
  # A held ffmpeg would keep the show waiting for ever.
  [ -n "$show_pid" ] && pkill -KILL --parent "$show_pid" 2>/dev/null
  [ -n "$show_pid" ] && kill "$show_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; [ -f "$work/err" ] && sed 's/^/  stderr: /' "$work/err" | head -20; exit 1; }
export -n DISPLAY WAYLAND_DISPLAY

# probe FILE ENTRIES: one "key=value" per line for the first video and audio streams.
probe() { ffprobe -v error -count_frames -show_entries "stream=$2" -of default=nw=1 "$1"; }
value() { grep -m1 "^$1=" | cut -d= -f2; }

# rgb FILE W H [FRAME]: the picture (a PNG, or frame FRAME of a video) as raw RGB in FILE.rgb
rgb() { ffmpeg -v error -y -i "$1" -vf "select=eq(n\\,${4:-0})" -frames:v 1 -f rawvideo -pix_fmt rgb24 "$1.rgb" ||
  fail "cannot decode $1"; [ "$(stat -c %s "$1.rgb")" -eq $(($2 * $3 * 3)) ] || fail "$1 is not $2x$3"; }

# held_ffmpeg: puts an ffmpeg in $work/bin that stops itself before it starts
# the real one, so the show fills its pipes and waits. held_child prints its
# pid once it is stopped with the first frame begun in its video pipe (the show
# writes a frame whole before it looks for a stop); SIGCONT lets it go on.
held_ffmpeg() {
  mkdir -p "$work/bin"
  printf '#!/bin/sh\nkill -STOP $$\nexec %s "$@"\n' "$(command -v ffmpeg)" >"$work/bin/ffmpeg"
  chmod +x "$work/bin/ffmpeg"
}
held_child() {
  local pid
  for _ in $(seq 600); do
    pid=$(ps -o pid= --ppid "$show_pid" | head -1 | tr -d ' ')
    if [ -n "$pid" ] && [ "$(ps -o stat= -p "$pid" | cut -c1)" = T ] &&
      [ "$(waiting_bytes "/proc/$pid/fd/3")" -gt 0 ]; then
      echo "$pid"
      return 0
    fi
    sleep 0.1
  done
  return 1
}
# waiting_bytes PIPE: how many bytes wait in a pipe (opened through /proc).
waiting_bytes() {
  python3 -c 'import fcntl, os, struct, sys, termios
fd = os.open(sys.argv[1], os.O_RDONLY | os.O_NONBLOCK)
print(struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0" * 4))[0])' "$1" 2>/dev/null || echo 0
}

case "$case_name" in
folder)
  # A clip of [S, S + 0.5) is the very frames and samples of the show
  # recorded from 0 at the same rate: at 19 (inside the gap after the
  # turntable, where the show still holds its last frame), at 40 and at 66.5
  # (inside the dance floor's gap after the groove). Small frames keep it
  # quick. The whole: 670 frames, and music at 48000 Hz, 16-bit stereo,
  # 4800 samples a frame.
  "$show" --capture "$work/whole" --size 160x120 --fps 10 --end-at 67 2>"$work/err" || fail "whole show"
  [ "$(ls "$work/whole" | grep -c '^[0-9]\{6\}\.png$')" -eq 670 ] || fail "whole show: frame count"
  python3 - "$work/whole/audio.wav" <<'PY' || fail "audio.wav"
import array, wave, sys
with wave.open(sys.argv[1]) as w:
    assert (w.getframerate(), w.getnchannels(), w.getsampwidth(), w.getnframes()) == (48000, 2, 2, 670 * 4800)
    assert max(abs(s) for s in array.array('h', w.readframes(w.getnframes()))) > 1000, "silent"
PY
  for range in 19:19.5 40:40.5 66.5:67; do
    s=${range%:*}
    "$show" --capture "$work/clip-$s/" --size 160x120 --fps 10 --start-at $s --end-at ${range#*:} 2>"$work/err" ||
      fail "clip at $s"
    first=$(python3 -c "print(round($s * 10))")
    [ "$(ls "$work/clip-$s" | grep -c png)" -eq 5 ] || fail "clip at $s: $(ls "$work/clip-$s" | tr '\n' ' ')"
    for k in 0 1 2 3 4; do
      cmp -s "$work/clip-$s/00000$k.png" "$work/whole/$(printf %06d $((first + k))).png" ||
        fail "clip at $s: frame $k is not frame $((first + k)) of the whole show"
    done
    python3 - "$work/whole/audio.wav" "$work/clip-$s/audio.wav" $first <<'PY' || fail "clip at $s: music differs from the whole"
import sys, wave
whole, clip = (wave.open(p).readframes(10**8) for p in sys.argv[1:3])
first = int(sys.argv[3]) * 4800 * 4
assert len(clip) == 5 * 4800 * 4 and clip == whole[first:first + len(clip)]
PY
  done
  ;;
mp4)
  # A short video: frame count, size, rate, duration, colour tags, and the
  # music exactly as long as the frames.
  "$show" --capture "$work/clip.mp4" --fps 10 --start-at 105 --end-at 107 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] || fail "status $status"
  grep -qx "glowmotion: wrote $work/clip.mp4: 20 frames at 10 fps (2.000 s) with music" "$work/err" || fail "summary line"
  v=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries \
    stream=codec_name,width,height,r_frame_rate,nb_read_frames,duration,pix_fmt,color_space,color_range,color_transfer,color_primaries \
    -of default=nw=1 "$work/clip.mp4")
  for expected in codec_name=h264 width=800 height=600 r_frame_rate=10/1 nb_read_frames=20 duration=2.000000 \
      pix_fmt=yuv420p color_space=bt709 color_range=tv color_transfer=bt709 color_primaries=bt709; do
    grep -qx "$expected" <<<"$v" || fail "video stream: $expected missing in: $(tr '\n' ' ' <<<"$v")"
  done
  a=$(ffprobe -v error -select_streams a:0 -show_entries stream=codec_name,sample_rate,channels,duration_ts \
    -of default=nw=1 "$work/clip.mp4")
  for expected in codec_name=aac sample_rate=48000 channels=2; do
    grep -qx "$expected" <<<"$a" || fail "audio stream: $expected missing in: $(tr '\n' ' ' <<<"$a")"
  done
  # The container's length of the music: 2 s. (ffmpeg 5.1's AAC encoder
  # marks some lengths up to 32 samples short of what it was given; the
  # samples handed to it are exact, see FfmpegEncoderTest, and WebM/Opus
  # below decodes sample for sample.)
  samples=$(value duration_ts <<<"$a")
  [ "$samples" -le 96000 ] && [ "$samples" -gt $((96000 - 64)) ] || fail "audio stream holds $samples samples"
  # Decoded, the music is 96000 samples (and AAC's padding of its last
  # 1024-sample frame), and not silence.
  ffmpeg -v error -i "$work/clip.mp4" -map 0:a:0 -f s16le -ac 2 -ar 48000 "$work/audio.raw" || fail "decoding audio"
  python3 - "$work/audio.raw" <<'PY' || fail "decoded audio"
import array, sys
samples = array.array('h', open(sys.argv[1], 'rb').read())
assert 96000 <= len(samples) // 2 < 96000 + 1024, len(samples) // 2
assert max(abs(s) for s in samples) > 1000, "silent"
PY
  # The faststart index comes before the media data.
  python3 - "$work/clip.mp4" <<'PY' || fail "moov is not before mdat (+faststart)"
import sys
data = open(sys.argv[1], 'rb').read()
assert 0 < data.find(b'moov') < data.find(b'mdat')
PY
  # The first frame is the picture of show time 105 at the same rate within
  # the codec's tolerance, read back with the colours it is tagged with (a
  # BT.601 reading would be 11 levels off), and nearer to it than to the one
  # half a second on.
  "$show" --capture "$work/f" --fps 10 --start-at 105 --end-at 105.6 2>"$work/err" || fail "PNG capture"
  rgb "$work/clip.mp4" 800 600 && rgb "$work/f/000000.png" 800 600 && rgb "$work/f/000005.png" 800 600
  python3 - "$work/clip.mp4.rgb" "$work/f/000000.png.rgb" "$work/f/000005.png.rgb" <<'PY' || fail "the first frame is not the picture of its time"
import math, sys
video, same, later = (open(p, 'rb').read() for p in sys.argv[1:])
def psnr(a, b):
    mse = sum((x - y) ** 2 for x, y in zip(a, b)) / len(a)
    return 10 * math.log10(255 * 255 / mse)
near, far = psnr(video, same), psnr(video, later)
bias = [sum(video[i] - same[i] for i in range(c, len(same), 3)) / (len(same) / 3) for c in range(3)]
print("PSNR %.1f dB to its time, %.1f dB to half a second on; bias %s" % (near, far, ["%.2f" % b for b in bias]))
assert near > 31 and near > far + 3
assert all(abs(b) < 3 for b in bias)
assert sum(same) / len(same) > 40  # not a black picture
PY
  ;;
webm)
  "$show" --capture "$work/clip.webm" --fps 10 --start-at 105 --end-at 106 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] || fail "status $status"
  [ "$(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/clip.webm" | tr '\n' ' ')" = "vp9 opus " ] ||
    fail "codecs: $(ffprobe -v error -show_entries stream=codec_name -of csv=p=0 "$work/clip.webm")"
  [ "$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/clip.webm")" = 10 ] ||
    fail "frame count"
  ffmpeg -v error -i "$work/clip.webm" -map 0:a:0 -f s16le -ac 2 -ar 48000 "$work/audio.raw" || fail "decoding audio"
  [ "$(stat -c %s "$work/audio.raw")" -eq $((48000 * 4)) ] || fail "music: $(($(stat -c %s "$work/audio.raw") / 4)) samples"
  ;;
wide)
  # 1920x1080: black bars left and right, the 1440x1080 picture between them,
  # the same picture a 1440x1080 recording makes.
  "$show" --capture "$work/wide" --size 1920x1080 --fps 10 --start-at 108 --end-at 108.1 2>"$work/err" &&
    "$show" --capture "$work/narrow" --size 1440x1080 --fps 10 --start-at 108 --end-at 108.1 2>"$work/err" ||
    fail "captures"
  rgb "$work/wide/000000.png" 1920 1080 && rgb "$work/narrow/000000.png" 1440 1080
  python3 - "$work/wide/000000.png.rgb" "$work/narrow/000000.png.rgb" <<'PY' || fail "bars or picture"
import sys
wide, narrow = (open(p, 'rb').read() for p in sys.argv[1:])
for y in range(1080):
    row = wide[y * 5760:(y + 1) * 5760]
    assert row[:240 * 3] == bytes(720), "left bar not black in row %d" % y
    assert row[1680 * 3:] == bytes(720), "right bar not black in row %d" % y
    inner = row[240 * 3:1680 * 3]
    other = narrow[y * 4320:(y + 1) * 4320]
    differing = sum(abs(a - b) > 8 for a, b in zip(inner, other))
    assert differing <= 4, "row %d: %d values differ from the 1440x1080 picture" % (y, differing)
PY
  # A video of that size has the bars too.
  "$show" --capture "$work/wide.mp4" --size 1920x1080 --fps 10 --start-at 108 --end-at 108.2 2>"$work/err" || fail "wide video"
  rgb "$work/wide.mp4" 1920 1080
  python3 - "$work/wide.mp4.rgb" <<'PY' || fail "bars in the video"
import sys
v = open(sys.argv[1], 'rb').read()
for y in range(0, 1080, 7):
    row = v[y * 5760:(y + 1) * 5760]
    assert max(row[:232 * 3]) < 24 and max(row[1688 * 3:]) < 24, "bar not black in row %d" % y
    assert sum(row[260 * 3:1660 * 3]) / (1400 * 3) > 40, "no picture in row %d" % y
PY
  # Odd, zero or too large sizes are refused before anything is made.
  "$show" --capture "$work/odd.mp4" --size 801x600 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && grep -q "even width and height" "$work/err" && [ ! -e "$work/odd.mp4" ] || fail "odd size: $status"
  "$show" --capture "$work/zero" --size 0x600 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && [ ! -e "$work/zero" ] || fail "zero size: $status"
  "$show" --capture "$work/huge.mp4" --size 20000x15000 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && grep -q "too large for ffmpeg" "$work/err" && [ ! -e "$work/huge.mp4" ] || fail "huge video: $status"
  # Beyond the OpenGL context's limits (Mesa's are 16384 a side): said so before any frame, nothing left.
  "$show" --capture "$work/long.mp4" --size 32768x2 --end-at 0.1 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] && grep -q "a 32768x2 picture is beyond this OpenGL's limit of [0-9]*x[0-9]*" "$work/err" &&
    [ ! -e "$work/long.mp4" ] || fail "beyond the context's limits: status $status"
  ;;
sharp)
  # 1600x1200 is the same layout at twice the resolution: averaged over 2x2
  # blocks it is the 800x600 picture, at several times of the show.
  for t in 0 5 20 40 50 70 90 108 120; do
    "$show" --capture "$work/big-$t" --size 1600x1200 --fps 10 --start-at $t --end-at $t.1 2>"$work/err" &&
      "$show" --capture "$work/small-$t" --fps 10 --start-at $t --end-at $t.1 2>"$work/err" || fail "captures at $t"
    rgb "$work/big-$t/000000.png" 1600 1200 && rgb "$work/small-$t/000000.png" 800 600
    python3 - "$work/big-$t/000000.png.rgb" "$work/small-$t/000000.png.rgb" "$t" <<'PY' || fail "layout at $t s"
import sys
big, small = (open(p, 'rb').read() for p in sys.argv[1:3])
total, far, n = 0, 0, 0
for y in range(0, 600, 3):
    for x in range(0, 800, 3):
        for c in range(3):
            i = (2 * y * 1600 + 2 * x) * 3 + c
            average = (big[i] + big[i + 3] + big[i + 4800] + big[i + 4803]) / 4
            d = abs(average - small[(y * 800 + x) * 3 + c])
            total += d
            far += d > 64
            n += 1
print("t=%s: mean difference %.2f, %.2f%% far" % (sys.argv[3], total / n, 100.0 * far / n))
assert total / n < 2 and far < n * 0.01
PY
  done
  ;;
refusals)
  # Checked before any work: each says why, leaves nothing behind.
  PATH=/nonexistent "$show" --capture "$work/a.mp4" --end-at 1 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "no ffmpeg: status $status"
  grep -q "needs ffmpeg.*install the Debian package ffmpeg" "$work/err" || fail "no ffmpeg: message"
  [ ! -e "$work/a.mp4" ] || fail "no ffmpeg: a file was left"
  "$show" --capture "$work/no/such/folder/a.mp4" --end-at 1 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] && grep -qx "glowmotion: cannot write $work/no/such/folder/a.mp4: No such file or directory" "$work/err" ||
    fail "unwritable output: $status $(cat "$work/err")"
  echo keep >"$work/old.mp4"
  "$show" --capture "$work/old.mp4" --end-at 1 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && grep -qx "glowmotion: $work/old.mp4 already exists; --overwrite replaces it" "$work/err" &&
    [ "$(cat "$work/old.mp4")" = keep ] || fail "existing output: $status $(cat "$work/err")"
  "$show" --capture "$work/old.mp4" --fps 5 --start-at 108 --end-at 108.4 --overwrite 2>"$work/err"; status=$?
  [ "$status" -eq 0 ] && [ "$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/old.mp4")" = 2 ] ||
    fail "--overwrite: $status"
  ;;
ffmpeg-fails)
  # ffmpeg failing mid-way: its message, status 1, no hang, no half file.
  # (a) the output outgrows the file size limit, as on a full disk;
  (trap '' XFSZ; ulimit -f 64; exec "$show" --capture "$work/full.mp4" --fps 30 --start-at 100 --end-at 110) 2>"$work/err"; status=$?
  [ "$status" -eq 1 ] || fail "full: status $status"
  grep -q "^ffmpeg: .*File too large" "$work/err" || fail "full: no message from ffmpeg"
  grep -q "^glowmotion: recording failed after [0-9]* of 300 frames: ffmpeg ended with status [1-9]" "$work/err" ||
    fail "full: no summary"
  [ ! -e "$work/full.mp4" ] || fail "full: the broken file was left"
  # (b) ffmpeg is killed while the show waits for it to read.
  held_ffmpeg
  PATH="$work/bin:$PATH" "$show" --capture "$work/killed.mp4" --fps 30 --start-at 100 --end-at 125 2>"$work/err" & show_pid=$!
  child=$(held_child) || fail "killed: ffmpeg never started"
  kill -KILL "$child"
  for _ in $(seq 600); do kill -0 "$show_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$show_pid" 2>/dev/null && fail "killed: the recording hangs"
  wait "$show_pid"; status=$?; show_pid=""
  [ "$status" -eq 1 ] || fail "killed: status $status"
  grep -q "ffmpeg was killed (Killed)" "$work/err" || fail "killed: no reason"
  [ ! -e "$work/killed.mp4" ] || fail "killed: the broken file was left"
  ;;
interrupt)
  # SIGINT mid-way: status 130 and a complete file whose music is exactly as
  # long as its frames (WebM: Opus decodes sample for sample).
  # The interrupt arrives while the show waits for a held ffmpeg, which
  # then goes on: however fast the machine, the show is mid-way.
  held_ffmpeg
  PATH="$work/bin:$PATH" "$show" --capture "$work/part.webm" --size 320x240 --fps 30 --start-at 100 --end-at 125 2>"$work/err" & show_pid=$!
  child=$(held_child) || fail "ffmpeg never started"
  kill -INT "$show_pid"
  kill -CONT "$child"
  for _ in $(seq 600); do kill -0 "$show_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$show_pid" 2>/dev/null && fail "the recording did not stop"
  wait "$show_pid"; status=$?; show_pid=""
  [ "$status" -eq 130 ] || fail "status $status, expected 130"
  frames=$(ffprobe -v error -count_frames -select_streams v:0 -show_entries stream=nb_read_frames -of csv=p=0 "$work/part.webm") ||
    fail "ffprobe refuses the file"
  ffmpeg -v error -i "$work/part.webm" -map 0:a:0 -f s16le -ac 2 -ar 48000 "$work/audio.raw" || fail "decoding audio"
  samples=$(($(stat -c %s "$work/audio.raw") / 4))
  [ "$frames" -gt 0 ] && [ "$frames" -lt 750 ] || fail "frames: $frames"
  echo "stopped after $frames frames"
  [ "$samples" -eq $((frames * 1600)) ] || fail "$frames frames but $samples samples"
  grep -q "^glowmotion: stopped (Interrupt) after $frames of 750 frames" "$work/err" || fail "no summary"
  ;;
progress)
  # On a terminal one line is redrawn in place; otherwise plain lines.
  script -qec "'$show' --capture '$work/t' --fps 10 --start-at 108 --end-at 109" "$work/typescript" >/dev/null ||
    fail "under a terminal: status $?"
  grep -aq $'\rglowmotion: frame 10/10, .* fps, 0:0[0-9] elapsed, 0:00 left' "$work/typescript" || fail "no live line"
  "$show" --capture "$work/p" --fps 10 --start-at 108 --end-at 109 2>"$work/err" || fail "status"
  ! grep -q $'\r' "$work/err" && grep -q "^glowmotion: frame 10/10, " "$work/err" || fail "plain progress"
  ;;
installed)
  # cmake --install lays out bin/ and share/glowmotion/; the installed
  # program, started from another folder, finds its pictures and music.
  cmake --install "$build" --prefix "$work/prefix" >"$work/install.log" 2>&1 || fail "cmake --install: $(tail -3 "$work/install.log")"
  [ -x "$work/prefix/bin/glowmotion" ] && [ -f "$work/prefix/share/glowmotion/km_groov.it" ] &&
    [ -f "$work/prefix/share/glowmotion/font.fnt" ] || fail "layout: $(cd "$work/prefix" && find . | head -20)"
  [ ! -e "$work/prefix/share/glowmotion/data" ] || fail "media nested one folder too deep"
  mkdir "$work/elsewhere"
  (cd "$work/elsewhere" && "$work/prefix/bin/glowmotion" --capture frames --fps 10 --start-at 108 --end-at 108.1) 2>"$work/err" ||
    fail "installed program: status $?"
  grep -q "no music" "$work/err" && fail "installed program found no music"
  rgb "$work/elsewhere/frames/000000.png" 800 600
  python3 - "$work/elsewhere/frames/000000.png.rgb" "$work/elsewhere/frames/audio.wav" <<'PY' || fail "installed program: no picture or no music"
import array, sys, wave
picture = open(sys.argv[1], 'rb').read()
assert sum(picture) / len(picture) > 40, "black picture"
samples = array.array('h', wave.open(sys.argv[2]).readframes(4800))
assert max(abs(s) for s in samples) > 1000, "silent"
PY
  # The program alone, copied away from its media: it says where it looked
  # and how to give the folder, records nothing, and exits 2.
  cp "$work/prefix/bin/glowmotion" "$work/elsewhere/"
  (cd "$work/elsewhere" && ./glowmotion --capture alone --start-at 108 --end-at 108.1) >/dev/null 2>"$work/err"; status=$?
  [ "$status" -eq 2 ] && [ ! -e "$work/elsewhere/alone" ] || fail "copied away: status $status"
  grep -qx "glowmotion: none of the show's [0-9]* media files (pictures, font, music) is in $work/elsewhere/data; give the folder that holds them with --data DIR" \
    "$work/err" || fail "copied away: $(cat "$work/err")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
