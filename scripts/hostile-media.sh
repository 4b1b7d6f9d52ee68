#!/usr/bin/env bash
# The show against broken media: every picture and the font replaced in turn
# by a truncated, zero-length, oversized-header, wrong-type, 16-bit, folder
# and unreadable variant, each captured over a scene that uses the file; the
# module replaced by random bytes and other bad files, played for real under
# Xvfb through SDL's silent audio driver. Every run must end with status 0,
# print the picture reader's message for the bad file (and nothing else on
# standard output), and leave no sanitizer report.
#
# Usage: scripts/hostile-media.sh [--quick] [--whole-show] [--keep DIR] [BUILD]
#   BUILD          build folder holding glowmotion and data/ (default build-sanitize,
#                  made by scripts/setup.sh --sanitize)
#   --quick        each file once and each variant at least once (the variants
#                  taken in rotation), and two bad modules: the subset CI runs
#   --whole-show   first, the whole show at 5 fps from the real data
#   --keep DIR     keep every captured frame in DIR/<file>-<variant>/ to look at
#
# Unreadable (mode 000) files: root reads them anyway, so when run as root
# those runs are made as user nobody (setpriv); without setpriv they are
# skipped with a note.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
quick=0 whole=0 keep=""
while [ $# -gt 0 ]; do
  case "$1" in
    --quick) quick=1 ;;
    --whole-show) whole=1 ;;
    --keep) keep=$2; shift ;;
    -*) echo "usage: scripts/hostile-media.sh [--quick] [--whole-show] [--keep DIR] [BUILD]" >&2; exit 2 ;;
    *) break ;;
  esac
  shift
done
build=$(cd "${1:-$root/build-sanitize}" && pwd) || exit 2
show=$build/glowmotion
data=$build/data
[ -x "$show" ] && [ -f "$data/km_groov.it" ] || { echo "hostile-media: no $show with its data/" >&2; exit 2; }

# The same sanitizer settings as scripts/sanitize.sh when run on their own.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/scripts/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
export MESA_SHADER_CACHE_DISABLE=true LC_ALL=C
# As in scripts/sanitize.sh: Mesa's driver stays loaded to the end, so what it
# keeps in static data is not reported as leaks of an unloaded module.
if [ -z "${LD_PRELOAD:-}" ] && [ -f "$build/keep-libraries-loaded.so" ]; then
  export LD_PRELOAD="$build/keep-libraries-loaded.so" ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
fi

work=$(mktemp -d /tmp/glowmotion-hostile-XXXXXX)
chmod 755 "$work"
xvfb_pid=""
cleanup() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  chmod -R u+rwX "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
runs=0 failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# A frame of a scene that draws the file (README, "Media folder").
moment() {
  case "$1" in
    vinyl.tga|technics.tga|bck1.tga|plato.tga|brazo.tga|quellix.tga|presents.tga) echo 4.5 ;;
    glowmotion2.tga|nilo.tga|sabueso.tga|kiro.tga|iface.tga|big_circle.tga) echo 27 ;;
    logo.tga) echo 32 ;;
    star.tga|tia.tga|flower.tga|font.fnt) echo 40 ;;
    floor.tga|bola.tga|baile1.tga|baile2.tga|lightball.tga|light.tga) echo 58 ;;
    *) echo 108 ;;  # the end scene's pictures
  esac
}

# A media folder: the real files (links), the victim replaced by a variant.
# Sets $media to the folder and $expect to the reader's message for it.
make_media() {  # make_media FILE VARIANT
  local file=$1 variant=$2
  media=$work/media-$file-$variant
  mkdir -p "$media"
  chmod 755 "$media"
  for f in "$data"/*; do ln -s "$f" "$media/$(basename "$f")"; done
  local bad=$media/$file
  rm -f "$bad"
  case "$variant" in
    truncated) head -c $(($(stat -c %s "$data/$file") / 2)) "$data/$file" >"$bad"
               expect="TGA: El fichero $bad termina antes de tiempo" ;;
    zero-length) : >"$bad"
               expect="TGA: El fichero $bad termina antes de tiempo" ;;
    oversized-header) cp "$data/$file" "$bad"; printf '\xff\xff\xff\xff' | dd of="$bad" bs=1 seek=12 conv=notrunc status=none
               expect="TGA: $bad mide 65535x65535, no cabe en una textura" ;;
    wrong-type) cp "$data/$file" "$bad"; printf '\x0a' | dd of="$bad" bs=1 seek=2 conv=notrunc status=none
               expect="No se soporta otro tipo que no sea TRUE COLOR descomprimido" ;;
    16-bit) cp "$data/$file" "$bad"; printf '\x10' | dd of="$bad" bs=1 seek=16 conv=notrunc status=none
               expect="No se soporta los TGAs de 16 bpp" ;;
    directory) mkdir "$bad"
               expect="TGA: No se ha podido abrir $bad" ;;
    unreadable) cp "$data/$file" "$bad"; chmod 000 "$bad"
               expect="TGA: No se ha podido abrir $bad" ;;
  esac
}

# Runs the command with the user the variant needs; sets $status.
as_user=()
if [ "$(id -u)" -eq 0 ] && command -v setpriv >/dev/null; then
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups env HOME="$work")
fi

sanitizer_report() { grep -qE 'ERROR: (Address|Leak)Sanitizer|runtime error:|SUMMARY: (Address|UndefinedBehavior|Leak)Sanitizer' "$1"; }

picture_run() {  # picture_run FILE VARIANT
  local file=$1 variant=$2 out t runner=()
  if [ "$variant" = unreadable ] && [ "$(id -u)" -eq 0 ]; then
    if [ ${#as_user[@]} -eq 0 ]; then echo "skip: $file unreadable (root reads mode 000 and there is no setpriv)"; return; fi
    runner=("${as_user[@]}")
  fi
  make_media "$file" "$variant"
  out=$work/frames-$file-$variant
  mkdir -p "$out"; chmod 777 "$out"
  t=$(moment "$file")
  runs=$((runs + 1))
  "${runner[@]}" "$show" --data "$media" --capture "$out" --fps 1 --start-at "$t" --end-at "$(awk -v t="$t" 'BEGIN { print t + 0.5 }')" \
    >"$work/out" 2>"$work/err"
  local status=$?
  local what="$file $variant"
  if [ $status -ne 0 ]; then fail "$what: status $status"; sed 's/^/  /' "$work/err" | head -30
  elif sanitizer_report "$work/err"; then fail "$what: sanitizer report"; sed 's/^/  /' "$work/err" | head -30
  elif ! grep -qF "$expect" "$work/out"; then fail "$what: no '$expect' on standard output"; sed 's/^/  out: /' "$work/out" | head
  elif grep -vqF "$expect" "$work/out"; then fail "$what: other messages"; grep -vF "$expect" "$work/out" | sed 's/^/  out: /' | head
  elif ! grep -q "^glowmotion: wrote 1 frame and audio.wav (" "$work/err" || [ ! -s "$out/000000.png" ]; then fail "$what: no frame written"; sed "s/^/  /" "$work/err" | head
  else echo "ok: $what at ${t}s: $(head -1 "$work/out")"
  fi
  if [ -n "$keep" ]; then mkdir -p "$keep/$file-$variant"; cp "$out"/*.png "$keep/$file-$variant/" 2>/dev/null; fi
  chmod -R u+rwX "$media"; rm -rf "$media" "$out"
}

start_xvfb() {
  [ -n "$xvfb_pid" ] && return
  exec 3>"$work/display"
  # -noreset: shows start one after another; a server that resets when its
  # last client leaves turns away a client that connects meanwhile.
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
  [ -s "$work/display" ] || { fail "Xvfb did not start"; return; }
  export DISPLAY=":$(head -1 "$work/display")"
}

# The module replaced; the show plays (silently) for the last half second.
module_run() {  # module_run VARIANT REASON
  local variant=$1 reason=$2 runner=()
  media=$work/media-module-$variant
  mkdir -p "$media"; chmod 755 "$media"
  for f in "$data"/*; do ln -s "$f" "$media/$(basename "$f")"; done
  local bad=$media/km_groov.it
  rm -f "$bad"
  case "$variant" in
    random-*) python3 -c "import random,sys; r=random.Random(${variant#random-}); sys.stdout.buffer.write(bytes(r.getrandbits(8) for _ in range(r.randint(1, 200000))))" >"$bad" ;;
    truncated) head -c $(($(stat -c %s "$data/km_groov.it") / 3)) "$data/km_groov.it" >"$bad" ;;
    zero-length) : >"$bad" ;;
    directory) mkdir "$bad" ;;
    too-large) truncate -s $((64 * 1024 * 1024 + 1)) "$bad" ;;
    unreadable) cp "$data/km_groov.it" "$bad"; chmod 000 "$bad"
      if [ "$(id -u)" -eq 0 ]; then
        if [ ${#as_user[@]} -eq 0 ]; then echo "skip: module unreadable (root, no setpriv)"; return; fi
        runner=("${as_user[@]}")
      fi ;;
  esac
  start_xvfb
  runs=$((runs + 1))
  SDL_AUDIODRIVER=dummy "${runner[@]}" "$show" --windowed --data "$media" --start-at 124.5 --end-at 125 \
    >"$work/out" 2>"$work/err"
  local status=$?
  if [ $status -ne 0 ]; then fail "module $variant: status $status"; sed 's/^/  /' "$work/err" | head -30
  elif sanitizer_report "$work/err"; then fail "module $variant: sanitizer report"; sed 's/^/  /' "$work/err" | head -30
  elif [ -n "$reason" ] && ! grep -q "^glowmotion: no music: $bad.*$reason" "$work/err"; then fail "module $variant: no 'no music: ... $reason'"; sed 's/^/  /' "$work/err" | head
  elif [ -s "$work/out" ]; then fail "module $variant: picture messages"; sed 's/^/  out: /' "$work/out" | head
  else echo "ok: module $variant: $(grep '^glowmotion: no music' "$work/err" || echo "(plays what it could read)")"
  fi
  chmod -R u+rwX "$media"; rm -rf "$media"
}

if [ $whole -eq 1 ]; then
  out=$work/whole
  runs=$((runs + 1))
  "$show" --capture "$out" --fps 5 >"$work/out" 2>"$work/err"
  status=$?
  if [ $status -ne 0 ]; then fail "whole show: status $status"; sed 's/^/  /' "$work/err" | head -30
  elif sanitizer_report "$work/err"; then fail "whole show: sanitizer report"; sed 's/^/  /' "$work/err" | head -30
  elif [ -s "$work/out" ]; then fail "whole show: picture messages with the real data"; head "$work/out"
  else echo "ok: whole show, $(tail -1 "$work/err")"
  fi
  rm -rf "$out"
fi

variants=(truncated zero-length oversized-header wrong-type 16-bit directory unreadable)
files=()
for f in "$data"/*.tga "$data"/font.fnt; do files+=("$(basename "$f")"); done
i=0
for file in "${files[@]}"; do
  if [ $quick -eq 1 ]; then
    picture_run "$file" "${variants[$((i % ${#variants[@]}))]}"
  else
    for variant in "${variants[@]}"; do picture_run "$file" "$variant"; done
  fi
  i=$((i + 1))
done

module_run random-1 "not a tracker module the player can read"
module_run directory "is a folder, not a file"
if [ $quick -eq 0 ]; then
  module_run random-2 "not a tracker module the player can read"
  module_run random-3 "not a tracker module the player can read"
  module_run truncated ""  # libopenmpt may play what is there
  module_run zero-length "not a tracker module the player can read"
  module_run too-large "is larger than 67108864 bytes"
  module_run unreadable "Permission denied"
fi

echo "hostile-media: $runs runs, $failures failed"
[ $failures -eq 0 ]
