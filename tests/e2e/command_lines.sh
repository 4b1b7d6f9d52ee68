#!/usr/bin/env bash
# One command-line style for the show and its tools, checked on the real
# programs, and what the set-up's package step prints.
# Usage: command_lines.sh VERSION PROGRAM...
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

# Set-up's package step: one line naming the packages and the log that gets
# apt-get's whole output; when apt-get fails, the end of the log on standard
# error and status 1; nothing at all when nothing is missing. apt-get,
# dpkg-query and sudo are stand-ins on PATH.
installer=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/install-packages.sh
mkdir -p "$work/setup/bin"
cd "$work/setup" || exit 1
printf '#!/bin/sh\n[ -z "$INSTALLED" ] || printf "install ok installed"\n' >bin/dpkg-query
printf '#!/bin/sh\n[ "$1" = -v ] || exec "$@"\n' >bin/sudo
cat >bin/apt-get <<'FAKE'
#!/bin/sh
i=0; while [ $i -lt 300 ]; do echo "Unpacking package $i"; i=$((i + 1)); done
if [ -n "$FAIL" ] && [ "$1" = install ]; then echo "E: Unable to locate package libnosuch"; exit 100; fi
FAKE
chmod +x bin/*
printf '# comment\nlibone\nlibtwo\n' >list.txt
PATH="$work/setup/bin:$PATH" GLOWMOTION_SETUP_LOG="$work/setup/setup.log" "$installer" demo list.txt >out 2>err ||
  fail "install-packages: status $?: $(cat err)"
[ "$(cat out)" = "demo: installing 2 packages with apt-get: libone libtwo (log: $work/setup/setup.log)" ] ||
  fail "install-packages said: $(cat out)"
[ ! -s err ] && [ "$(wc -l <setup.log)" -eq 600 ] || fail "install-packages: $(cat err); $(wc -l <setup.log) lines logged"
PATH="$work/setup/bin:$PATH" FAIL=1 GLOWMOTION_SETUP_LOG="$work/setup/setup.log" "$installer" demo list.txt >out 2>err &&
  fail "install-packages: a failed apt-get gave status 0"
[ "$(wc -l <out)" -eq 1 ] && [ "$(head -1 err)" = "demo: installing the packages failed; the end of $work/setup/setup.log:" ] &&
  [ "$(tail -1 err)" = "E: Unable to locate package libnosuch" ] && [ "$(wc -l <err)" -eq 26 ] ||
  fail "install-packages after a failure: $(cat out err)"
PATH="$work/setup/bin:$PATH" INSTALLED=1 "$installer" demo list.txt >out 2>err && [ ! -s out ] && [ ! -s err ] ||
  fail "install-packages with nothing missing: $(cat out err)"
echo "ok: install-packages.sh"
echo "PASS"
