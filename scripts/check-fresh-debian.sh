#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian 12: for each order
# (run.sh then test.sh; test.sh then run.sh) it unpacks a new minimal Debian 12
# root (debootstrap --variant=minbase), puts a clean git clone of this
# repository into it (the committed HEAD; uncommitted changes are not seen)
# with ../shared/tga-real beside it, and runs the commands there in a chroot,
# as root, without a display. Prints the wall time of every step.
#
# `package` proves the Debian package instead: scripts/package.sh makes it in
# one fresh root; a second fresh root installs it with apt-get (which must
# bring every dependency), an ordinary user starts the show from PATH and
# records 3 s of it (its media found under /usr/share), `man glowmotion`
# shows the page, and `apt-get remove`, then `purge --autoremove`, leave
# the root's files and packages as they were before the install.
#
# Usage (as root): scripts/check-fresh-debian.sh [run-first | test-first | package]...
#   (no argument: run-first and test-first, one after the other)
# Environment:
#   GLOWMOTION_FRESH_CACHE   where the debootstrapped root is kept as a tarball
#                            (default /var/cache/glowmotion-fresh-debian)
#   GLOWMOTION_FRESH_WORK    where the roots are unpacked (default /var/tmp)
#   GLOWMOTION_TGA_REAL_DIR  the real-world TGA files (default ../shared/tga-real)
#   GLOWMOTION_DEBIAN_MIRROR (default http://deb.debian.org/debian)
#   GLOWMOTION_FRESH_LOGS    where each step's output is kept
#                            (default /var/tmp/glowmotion-fresh-logs)
#   GLOWMOTION_FRESH_KEEP=1  keep each unpacked root for inspection
#   GLOWMOTION_FRESH_DEB     (package) install this .deb instead of making one
# Needs debootstrap (installed with apt-get when missing) and network access.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${GLOWMOTION_FRESH_CACHE:-/var/cache/glowmotion-fresh-debian}
workbase=${GLOWMOTION_FRESH_WORK:-/var/tmp}
tga_real=${GLOWMOTION_TGA_REAL_DIR:-$root/../shared/tga-real}
mirror=${GLOWMOTION_DEBIAN_MIRROR:-http://deb.debian.org/debian}
tarball=$cache/bookworm-minbase.tar
logs=${GLOWMOTION_FRESH_LOGS:-/var/tmp/glowmotion-fresh-logs}

orders=("$@")
[ ${#orders[@]} -gt 0 ] || orders=(run-first test-first)
for order in "${orders[@]}"; do
  case "$order" in
    run-first|test-first|package) ;;
    *) echo "usage: scripts/check-fresh-debian.sh [run-first | test-first | package]..." >&2; exit 2 ;;
  esac
done
if [ "$(id -u)" -ne 0 ]; then
  echo "check-fresh-debian: debootstrap and chroot need root" >&2
  exit 2
fi

timings=()
step_start=0
begin() { step_start=$(date +%s); echo "== $*"; }
finish() {
  local seconds=$(( $(date +%s) - step_start ))
  timings+=("$(printf '%-58s %3dm%02ds' "$1" $((seconds / 60)) $((seconds % 60)))")
}
# run_inside LOG LINES WHAT COMMAND: COMMAND in the root, its output in
# $work/LOG.log; when it fails, the log's last LINES lines and "WHAT failed".
run_inside() {
  inside "$4" >"$work/$1.log" 2>&1 && return 0
  tail -"$2" "$work/$1.log" >&2
  echo "check-fresh-debian: $3 failed" >&2
  return 1
}

if [ ! -s "$tarball" ]; then
  if ! command -v debootstrap >/dev/null; then
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap
  fi
  mkdir -p "$cache"
  staging=$(mktemp -d "$workbase/glowmotion-debootstrap.XXXXXX")
  begin "debootstrap --variant=minbase bookworm (cached as $tarball)"
  debootstrap --variant=minbase bookworm "$staging/root" "$mirror" >"$staging/debootstrap.log" 2>&1 || {
    tail -20 "$staging/debootstrap.log" >&2
    rm -rf --one-file-system "$staging"
    exit 1
  }
  tar -C "$staging/root" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
  rm -rf --one-file-system "$staging"
  finish "debootstrap + tarball (once)"
fi

# The real binary and its tests must meet no display, whatever this shell has.
inside() {
  chroot "$chroot_dir" /usr/bin/env -i HOME=/root TERM=dumb LANG=C.UTF-8 \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "$1"
}

mounted=()
unmount_all() {
  local i
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
    umount "${mounted[i]}" 2>/dev/null || umount -l "${mounted[i]}" || true
  done
  mounted=()
}
work=""
cleanup() {
  unmount_all
  if [ -n "$work" ]; then
    for log in "$work"/*.log; do [ -e "$log" ] && cp "$log" "$logs/$order-$(basename "$log")"; done
  fi
  if [ -n "$work" ] && [ "${GLOWMOTION_FRESH_KEEP:-0}" != 1 ]; then
    # Never delete through a mount point that is still there.
    if findmnt -rn -o TARGET | grep -q "^$work/"; then
      echo "check-fresh-debian: $work still has mounts; left in place" >&2
    else
      rm -rf --one-file-system "$work"
    fi
  fi
  work=""
}
trap cleanup EXIT

# Runs scripts/run.sh as the README says. Without a display the show says so
# and exits with status 1: that is the expected result here (it was built and
# started). Then the same command with --capture renders a second of the show
# offscreen, which needs no display.
check_run() {
  begin "[$order] scripts/run.sh"
  set +e
  inside 'cd /src/main && scripts/run.sh' >"$work/run.log" 2>&1
  local status=$?
  set -e
  finish "[$order] scripts/run.sh (build + start)"
  if [ $status -ne 1 ] || ! grep -q "qlxGLIntro Error: when init'ing display area" "$work/run.log"; then
    tail -40 "$work/run.log" >&2
    echo "check-fresh-debian: [$order] scripts/run.sh: status $status, expected 1 with the no-display message" >&2
    return 1
  fi
  begin "[$order] scripts/run.sh --capture"
  run_inside capture 40 "[$order] scripts/run.sh --capture" \
    'cd /src/main && scripts/run.sh --capture /tmp/frames --fps 2 --end-at 1' || return 1
  finish "[$order] scripts/run.sh --capture (1 s at 2 fps)"
  local frames
  frames=$(find "$chroot_dir/tmp/frames" -name '*.png' | wc -l)
  if [ "$frames" -lt 2 ]; then
    echo "check-fresh-debian: [$order] --capture wrote $frames frames" >&2
    return 1
  fi
  echo "   run.sh: no-display message and status 1; --capture wrote $frames frames"
}

check_test() {
  begin "[$order] scripts/test.sh"
  run_inside test 60 "[$order] scripts/test.sh" \
    'cd /src/main && scripts/test.sh' || return 1
  finish "[$order] scripts/test.sh (test tools + build + suite)"
  grep -E "tests passed|tests failed|Total Test time|Skipped|Not Run" "$work/test.log" | sed 's/^/   /'
}

# Unpacks a fresh root into $1 (with the host's resolver, no daemons started
# by packages, /proc, /sys and /dev mounted); `inside` runs there from then on.
new_root() {
  chroot_dir=$1
  mkdir "$chroot_dir"
  tar -C "$chroot_dir" -xf "$tarball"
  cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
  # No daemon started by a package may outlive the check.
  printf '#!/bin/sh\nexit 101\n' >"$chroot_dir/usr/sbin/policy-rc.d"
  chmod +x "$chroot_dir/usr/sbin/policy-rc.d"
  mount -t proc proc "$chroot_dir/proc" && mounted+=("$chroot_dir/proc")
  mount --bind /sys "$chroot_dir/sys" && mounted+=("$chroot_dir/sys")
  mount --bind /dev "$chroot_dir/dev" && mounted+=("$chroot_dir/dev")
  mount --bind /dev/pts "$chroot_dir/dev/pts" && mounted+=("$chroot_dir/dev/pts")
  mount -t tmpfs -o mode=1777 tmpfs "$chroot_dir/dev/shm" && mounted+=("$chroot_dir/dev/shm")
}

# What is on the root: every file and folder outside the kernel's, the
# package tools' own records and caches and the users' homes (which no
# package removal touches), and the packages with their state; the homes
# apart.
snapshot() {
  inside 'find / -xdev \( -path /proc -o -path /sys -o -path /dev -o -path /run -o -path /tmp -o -path /var/tmp \
            -o -path /var/cache -o -path /var/log -o -path /var/lib/apt -o -path /var/lib/dpkg -o -path /home \) \
            -prune -o -print | sort' >"$work/$1.files"
  inside "dpkg-query -W -f '\${Package} \${Version} \${db:Status-Abbrev}\n'" >"$work/$1.packages"
  inside 'find /home | sort' >"$work/$1.home"
}

# The package: made by scripts/package.sh in this fresh root (or given), then
# installed, used and removed in a second one.
check_package() {
  local deb
  if [ -n "${GLOWMOTION_FRESH_DEB:-}" ]; then
    deb=$(realpath "$GLOWMOTION_FRESH_DEB")
    echo "   installing the given $deb"
  else
    begin "[package] scripts/package.sh"
    run_inside package 40 "[package] scripts/package.sh" \
      'cd /src/main && scripts/package.sh' || return 1
    finish "[package] scripts/package.sh (tools + Release build + cpack + lintian)"
    sed -n '/^== desktop-file-validate/,$p' "$work/package.log" | sed 's/^/   /'
    deb=$(ls "$chroot_dir"/src/main/build-package/glowmotion_*.deb)
    cp "$deb" "$work/"
    deb=$work/$(basename "$deb")
  fi
  unmount_all

  begin "[package] a second fresh root: man-db and a user, before the install"
  new_root "$work/install-root"
  cp "$deb" "$chroot_dir/tmp/"
  run_inside prepare 20 "[package] preparing the second root" \
    'apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq man-db >/dev/null &&
          useradd --create-home --shell /bin/bash watcher' || return 1
  snapshot before
  finish "[package] second root + man-db + user"

  begin "[package] apt-get install ./$(basename "$deb")"
  inside "cd /tmp && DEBIAN_FRONTEND=noninteractive apt-get install -y ./$(basename "$deb")" >"$work/install.log" 2>&1 || {
    tail -30 "$work/install.log" >&2
    echo "check-fresh-debian: [package] apt-get install failed" >&2
    return 1
  }
  finish "[package] apt-get install (with its dependencies)"
  grep -E "^[0-9]+ upgraded" "$work/install.log" | sed 's/^/   /'

  begin "[package] the show from PATH, as a user"
  inside "su - watcher -c 'command -v glowmotion glowmotion-texgen glowmotion-tga &&
          glowmotion-texgen --version && glowmotion-tga --version &&
          glowmotion --capture /tmp/x --fps 2 --end-at 3 >/tmp/show.out 2>/tmp/show.err'" >"$work/show.log" 2>&1 || {
    cat "$work/show.log" "$chroot_dir/tmp/show.err" >&2
    echo "check-fresh-debian: [package] the installed show failed" >&2
    return 1
  }
  finish "[package] glowmotion --capture /tmp/x --fps 2 --end-at 3"
  sed 's/^/   /' "$work/show.log"
  local frames audio
  frames=$(find "$chroot_dir/tmp/x" -name '*.png' | wc -l)
  audio=$(stat -c %s "$chroot_dir/tmp/x/audio.wav" 2>/dev/null || echo 0)
  echo "   $frames frames, audio.wav $audio bytes; standard output: $(wc -c <"$chroot_dir/tmp/show.out") bytes"
  sed 's/^/   stderr: /' "$chroot_dir/tmp/show.err"
  # Every picture read (the reader says nothing on standard output), the
  # music found (no "no music" line), 6 frames and 3 s of 48 kHz stereo.
  if [ "$frames" -ne 6 ] || [ "$audio" -ne $((44 + 3 * 48000 * 4)) ] || [ -s "$chroot_dir/tmp/show.out" ] ||
     grep -q "no music" "$chroot_dir/tmp/show.err"; then
    cat "$chroot_dir/tmp/show.out" >&2
    echo "check-fresh-debian: [package] the installed show did not find all its media" >&2
    return 1
  fi

  begin "[package] man glowmotion"
  inside 'MANWIDTH=80 man glowmotion 2>&1' >"$work/man.log" || true
  finish "[package] man glowmotion"
  head -8 "$work/man.log" | sed 's/^/   /'
  if ! grep -q "^GLOWMOTION(6)" "$work/man.log" || ! grep -q -- "--capture" "$work/man.log"; then
    echo "check-fresh-debian: [package] man glowmotion: no page" >&2
    return 1
  fi

  begin "[package] apt-get remove, then purge --autoremove"
  inside 'dpkg-query -L glowmotion' >"$work/package.files"
  run_inside remove 20 "[package] apt-get remove" \
    'DEBIAN_FRONTEND=noninteractive apt-get remove -y glowmotion' || return 1
  # Every path of the package that the root did not have before (files,
  # links and folders alike) is gone, but for folders that a package it
  # brought (still installed) holds too.
  local left
  left=$(grep -vx -e '/\.' "$work/package.files" | grep -vxFf "$work/before.files" |
         while read -r path; do
           [ -e "$chroot_dir$path" ] || [ -L "$chroot_dir$path" ] || continue
           [ -d "$chroot_dir$path" ] && inside "dpkg-query -S '$path'" </dev/null >/dev/null 2>&1 && continue
           echo "$path"
         done || true)
  if [ -n "$left" ]; then
    echo "check-fresh-debian: [package] apt-get remove left paths of the package:" >&2
    echo "$left" >&2
    return 1
  fi
  echo "   remove: none of the package's $(grep -vxFf "$work/before.files" "$work/package.files" | grep -cvx '/\.')" \
       "new paths left (it shares $(grep -cxFf "$work/before.files" "$work/package.files") folders with the root)"
  # A package without configuration files is purged by the removal itself;
  # then the dependencies it brought go, purged too.
  run_inside purge 20 "[package] purge and autoremove" \
    'export DEBIAN_FRONTEND=noninteractive
          if dpkg-query -W glowmotion >/dev/null 2>&1; then apt-get purge -y glowmotion; fi &&
          apt-get autoremove --purge -y' || return 1
  finish "[package] remove + purge"
  grep -E "^[0-9]+ upgraded" "$work/remove.log" | sed 's/^/   remove: /'
  grep -E "^[0-9]+ upgraded" "$work/purge.log" | sed 's/^/   purge and autoremove: /'
  snapshot after
  if ! diff -u "$work/before.files" "$work/after.files" >"$work/files.diff" ||
     ! diff -u "$work/before.packages" "$work/after.packages" >"$work/packages.diff"; then
    cat "$work/files.diff" "$work/packages.diff" 2>/dev/null | head -40 >&2
    echo "check-fresh-debian: [package] the root differs from before the install" >&2
    return 1
  fi
  echo "   after purge: the same $(wc -l <"$work/after.files") paths and $(wc -l <"$work/after.packages") packages as before the install"
  local home
  home=$(comm -13 "$work/before.home" "$work/after.home" | grep -v '/.*/.*/.*/.*/' || true)
  [ -z "$home" ] || echo "   the user's home keeps what the run wrote there: $(echo $home)"
}

mkdir -p "$logs"
for order in "${orders[@]}"; do
  work=$(mktemp -d "$workbase/glowmotion-fresh-$order.XXXXXX")
  begin "[$order] unpack a fresh root"
  new_root "$work/root"
  mkdir -p "$chroot_dir/src"
  git clone --quiet "$root" "$chroot_dir/src/main"
  if [ "$order" = package ]; then
    :  # no test suite runs there
  elif [ -d "$tga_real" ]; then
    mkdir -p "$chroot_dir/src/shared"
    cp -r "$tga_real" "$chroot_dir/src/shared/tga-real"
  else
    echo "   (no $tga_real: the real-world TGA tests will skip)"
  fi
  finish "[$order] unpack root + clone"
  echo "   clone of $(git -C "$root" rev-parse --short HEAD) in $chroot_dir/src/main (logs in $work)"

  case "$order" in
    run-first) check_run; check_test ;;
    test-first) check_test; check_run ;;
    package) check_package ;;
  esac
  [ "${GLOWMOTION_FRESH_KEEP:-0}" = 1 ] && echo "   kept $work"
  cleanup
done

echo "== wall times (logs in $logs)"
printf '   %s\n' "${timings[@]}"
echo "check-fresh-debian: passed on fresh Debian 12 roots (${orders[*]})"
