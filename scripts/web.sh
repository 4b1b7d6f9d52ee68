#!/usr/bin/env bash
# Builds the show for the browser into build-web/: index.html and page.js,
# glowmotion.js and glowmotion.wasm (the scenes compiled with Emscripten on
# web/gl/), glowmotion.data (the pictures and the font) and the music as
# glowmotion.ogg (Opus) and glowmotion.mp3. The pictures and the music come
# from the desktop build (build/, made first if need be): the music is the
# show's own recording of the song, compressed with ffmpeg.
# Usage: scripts/web.sh [--serve]
#   --serve   then serves build-web/ on http://127.0.0.1:8000/ until Ctrl-C
# As scripts/setup.sh does, each step prints one line and the whole output
# of apt-get, CMake, Emscripten and ffmpeg goes to build/web/setup.log, whose
# end is shown when a step fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

serve=false
case "${1:-}" in
  "") ;;
  --serve) serve=true ;;
  *) echo "usage: scripts/web.sh [--serve]" >&2; exit 2 ;;
esac

out=build-web
web=build/web  # Emscripten's build folder
limit=$((10 * 1000 * 1000))  # the whole folder, bytes
mkdir -p "$web" "$out"
log=$root/$web/setup.log
: >"$log"
who=web
# shellcheck source=scripts/steps.sh
. scripts/steps.sh

GLOWMOTION_SETUP_LOG=$log scripts/install-packages.sh web scripts/packages-build.txt scripts/packages-web.txt

# The desktop build: its media tools write build/data/, its recording
# renders the music.
if [ -f build/build.ninja ]; then
  step "building the show's media in build/" cmake --build build -j"$(nproc)" --target glowmotion art_data music_data
else
  scripts/setup.sh
fi

# Emscripten's optimizer needs Debian's acorn, which another node does not see.
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
if [ ! -f "$web/build.ninja" ]; then
  step "configuring $web/ with Emscripten" \
    emcmake cmake -S web -B "$web" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGLOWMOTION_WEB_OUTPUT="$root/$out"
fi
step "building the show with Emscripten into $out/" nice -n 10 cmake --build "$web" -j"$(nproc)"
cp web/page/index.html web/page/page.js "$out/"

pictures=()
for file in build/data/*.tga build/data/font.fnt; do pictures+=("$(basename "$file")"); done
if [ ! -f "$out/glowmotion.data" ] || [ -n "$(find build/data -newer "$out/glowmotion.data" -name '*.tga' -o -newer "$out/glowmotion.data" -name font.fnt)" ]; then
  step "packing the pictures and the font" python3 web/pack-data.py build/data "$out/glowmotion.data" "${pictures[@]}"
fi

# Exactly the song the show plays, as a recording renders it (48000 Hz).
encode_music() {
  local song
  song=$(mktemp -d)
  build/glowmotion --capture "$song/frames" --fps 1 --size 4x3 --data build/data &&
    ffmpeg -nostdin -loglevel error -y -i "$song/frames/audio.wav" -c:a libopus -b:a 96k "$out/glowmotion.ogg" &&
    ffmpeg -nostdin -loglevel error -y -i "$song/frames/audio.wav" -c:a libmp3lame -b:a 128k "$out/glowmotion.mp3"
  local status=$?
  rm -rf "$song"
  return $status
}
if [ ! -f "$out/glowmotion.mp3" ] || [ build/data/km_groov.it -nt "$out/glowmotion.mp3" ]; then
  step "recording the music and compressing it (Opus, MP3)" encode_music
fi

bytes=$(du -sb "$out" | cut -f1)
if [ "$bytes" -gt "$limit" ]; then
  echo "web: $out/ holds $bytes bytes, more than the $limit the page may weigh" >&2
  exit 1
fi
echo "web: $out/ is ready ($((bytes / 1000)) kB); scripts/web.sh --serve shows it on http://127.0.0.1:8000/"

if $serve; then
  echo "web: serving $out/ on http://127.0.0.1:8000/ (Ctrl-C stops)"
  exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$out"
fi
