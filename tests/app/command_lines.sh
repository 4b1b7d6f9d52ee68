#!/usr/bin/env bash
# One command-line style for the show and its tools, checked on the real
# programs. Usage: command_lines.sh VERSION PROGRAM...
# Every program: --help (status 0, usage on standard output, nothing on
# standard error, no file made), --version ("NAME VERSION"), a mistake
# (status 2, nothing on standard output, "NAME: what" and the hint), and its
# manual page (GLOWMOTION_MANUAL_PAGE=1): roff that groff reads without a
# warning, naming every option, positional and subcommand that --help and
# each subcommand's --help list.
set -u
version=$1; shift
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*"; exit 1; }
# The names in the first column of a help text: two spaces in, up to a space
# (options, positionals, subcommands), "-h,--help" as two names.
names() { grep -oE '^  [^ ]+' | sed 's/^  //' | tr ',' '\n'; }
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

  GLOWMOTION_MANUAL_PAGE=1 "$program" >page 2>err; status=$?
  [ "$status" -eq 0 ] && [ ! -s err ] || fail "$name manual page: status $status, $(cat err)"
  title=$(echo "$name" | tr a-z- A-Z-)
  head -1 page | grep -q "^\.TH $title 1 " || fail "$name manual page: $(head -1 page)"
  groff -man -Tutf8 -ww -z page 2>err && [ ! -s err ] || fail "$name manual page: groff: $(cat err)"
  # The terms of its tagged paragraphs (options, positionals) and subsections
  # (subcommands), as plain text.
  sed -e 's/\\-/-/g' -e 's/\\f[BIR]//g' page | awk '/^\.TP$/ { getline; print } /^\.SS / { print $2 }' >terms
  "$program" --help >out
  listed=$(names <out)
  for command in $(sed -n '/^Subcommands:/,/^$/p' out | names); do
    listed="$listed $("$program" "$command" --help | names)"
  done
  for listed_name in $listed; do
    grep -qwF -- "$listed_name" terms || fail "$name manual page lacks $listed_name"
  done
  rm page terms
  echo "ok: $name"
done
[ "$(ls)" = "$(printf 'err\nout')" ] || fail "files made: $(ls)"
echo "PASS"
