#!/usr/bin/env bash
# One command-line style for the show and its tools, checked on the real
# programs. Usage: command_lines.sh VERSION PROGRAM...
# Every program: --help (status 0, usage on standard output, nothing on
# standard error, no file made), --version ("NAME VERSION"), and a mistake
# (status 2, nothing on standard output, "NAME: what" and the hint).
set -u
version=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
cd "$work" || exit 1
for program in "$@"; do
  name=$(basename "$program")
  "$program" --help >out 2>err; status=$?
  [ "$status" -eq 0 ] || fail "$name --help: status $status"
  grep -q "^Usage: $name " out || fail "$name --help: no usage line: $(head -3 out)"
  [ ! -s err ] || fail "$name --help wrote to standard error: $(cat err)"
  [ "$(ls)" = "$(printf 'err\nout')" ] || fail "$name --help made files: $(ls)"

  "$program" --version >out 2>err; status=$?
  [ "$status" -eq 0 ] && [ "$(cat out)" = "$name $version" ] || fail "$name --version: status $status, '$(cat out)'"

  "$program" --no-such-option >out 2>err; status=$?
  [ "$status" -eq 2 ] || fail "$name --no-such-option: status $status, expected 2"
  [ ! -s out ] || fail "$name --no-such-option wrote to standard output"
  # The first mistake found (a missing FILE may come before the stray option).
  [ "$(wc -l <err)" -eq 2 ] && grep -q "^$name: ." err && [ "$(sed -n 2p err)" = "Run with --help for more information." ] ||
    fail "$name --no-such-option: $(cat err)"
  echo "ok: $name"
done
[ "$(ls)" = "$(printf 'err\nout')" ] || fail "files made: $(ls)"
echo "PASS"
