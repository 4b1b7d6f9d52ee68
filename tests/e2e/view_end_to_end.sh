#!/usr/bin/env bash
# glowmotion-texgen view in a real window on its own Xvfb: the title shows the
# program's summary, a refused save names its line, a fixed save runs again,
# Escape ends it with status 0. Usage: view_end_to_end.sh GLOWMOTION-TEXGEN
# Waits only on events (a title, the process ending), each with a generous limit.
set -u
tool=$1
work=$(mktemp -d)
xvfb_pid="" view_pid=""
cleanup() {
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; sed 's/^/  stderr: /' "$work/err" 2>/dev/null | head; exit 1; }

# -noreset: when its last client (an xdotool call) leaves, a server resets, and
# a program connecting during the reset is turned away.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start"
export DISPLAY=":$(head -1 "$work/display")"
unset SDL_VIDEODRIVER

# Waits (up to 20 s) for a window title containing $1.
wait_title() {
  for _ in $(seq 200); do
    window=$(xdotool search --name "glowmotion-texgen view" 2>/dev/null | head -1)
    if [ -n "$window" ]; then
      title=$(xdotool getwindowname "$window" 2>/dev/null)
      case "$title" in *"$1"*) return 0 ;; esac
    fi
    sleep 0.1
  done
  fail "no window titled '*$1*' (last title: '${title:-none}')"
}

program="$work/program.txt"
echo 'Checker 0 rgb size=64x32 cells=2x2 colour1=#ff0000 colour2=#0000ff' >"$program"
"$tool" view "$program" 2>"$work/err" &
view_pid=$!
wait_title "program.txt: ok: 1 instruction in 10 bytes, layer 0 ends 64x32"

printf 'Checker 0 rgb size=64x32 cells=2x2 colour1=#ff0000 colour2=#0000ff\nPlasmo 0 rgb\n' >"$program"
wait_title "refused, line 2, column 1: unknown operation 'Plasmo'"
grep -q "line 2, column 1: unknown operation 'Plasmo'" "$work/err" || fail "the refusal is not on standard error"

# Saved the way many editors do: a new file renamed over the old one.
printf 'Checker 0 rgb size=64x32 cells=2x2 colour1=#ff0000 colour2=#0000ff\nCopy 1 rgb source=0\n' >"$work/new"
mv "$work/new" "$program"
wait_title "program.txt: ok: 2 instructions in 13 bytes"

xdotool windowfocus --sync "$window" key Escape
for _ in $(seq 200); do kill -0 "$view_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$view_pid" 2>/dev/null && fail "Escape did not close the window"
wait "$view_pid"; status=$?
view_pid=""
[ "$status" -eq 0 ] || fail "status $status after Escape"
echo "ok"
