#!/usr/bin/env bash
# Proves the README's two commands on a fresh Debian 12: for each order
# (run.sh then test.sh; test.sh then run.sh) it unpacks a new minimal Debian 12
# root (debootstrap --variant=minbase), puts a clean git clone of this
# repository into it (the committed HEAD; uncommitted changes are not seen)
# with ../shared/tga-real beside it, and runs the commands there in a chroot,
# as root, without a display. Prints the wall time of every step.
#
# Usage (as root): scripts/check-fresh-debian.sh [run-first | test-first]...
#   (no argument: both orders, one after the other)
# Environment:
#   GLOWMOTION_FRESH_CACHE   where the debootstrapped root is kept as a tarball
#                            (default /var/cache/glowmotion-fresh-debian)
#   GLOWMOTION_FRESH_WORK    where the roots are unpacked (default /var/tmp)
#   GLOWMOTION_TGA_REAL_DIR  the real-world TGA files (default ../shared/tga-real)
#   GLOWMOTION_DEBIAN_MIRROR (default http://deb.debian.org/debian)
#   GLOWMOTION_FRESH_KEEP=1  keep each unpacked root for inspection
# Needs debootstrap (installed with apt-get when missing) and network access.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cache=${GLOWMOTION_FRESH_CACHE:-/var/cache/glowmotion-fresh-debian}
workbase=${GLOWMOTION_FRESH_WORK:-/var/tmp}
tga_real=${GLOWMOTION_TGA_REAL_DIR:-$root/../shared/tga-real}
mirror=${GLOWMOTION_DEBIAN_MIRROR:-http://deb.debian.org/debian}
tarball=$cache/bookworm-minbase.tar

orders=("$@")
[ ${#orders[@]} -gt 0 ] || orders=(run-first test-first)
for order in "${orders[@]}"; do
  case "$order" in
    run-first|test-first) ;;
    *) echo "usage: scripts/check-fresh-debian.sh [run-first | test-first]..." >&2; exit 2 ;;
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
  timings+=("$(printf '%-48s %4dm%02ds' "$1" $((seconds / 60)) $((seconds % 60)))")
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
  inside 'cd /src/main && scripts/run.sh --capture /tmp/frames --fps 2 --end-at 1' >"$work/capture.log" 2>&1 || {
    tail -40 "$work/capture.log" >&2
    echo "check-fresh-debian: [$order] scripts/run.sh --capture failed" >&2
    return 1
  }
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
  inside 'cd /src/main && scripts/test.sh' >"$work/test.log" 2>&1 || {
    tail -60 "$work/test.log" >&2
    echo "check-fresh-debian: [$order] scripts/test.sh failed" >&2
    return 1
  }
  finish "[$order] scripts/test.sh (test tools + build + suite)"
  grep -E "tests passed|tests failed|Total Test time" "$work/test.log" | sed 's/^/   /'
}

for order in "${orders[@]}"; do
  work=$(mktemp -d "$workbase/glowmotion-fresh-$order.XXXXXX")
  chroot_dir=$work/root
  mkdir "$chroot_dir"
  begin "[$order] unpack a fresh root"
  tar -C "$chroot_dir" -xf "$tarball"
  cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
  # No daemon started by a package may outlive the check.
  printf '#!/bin/sh\nexit 101\n' >"$chroot_dir/usr/sbin/policy-rc.d"
  chmod +x "$chroot_dir/usr/sbin/policy-rc.d"
  mkdir -p "$chroot_dir/src"
  git clone --quiet "$root" "$chroot_dir/src/main"
  if [ -d "$tga_real" ]; then
    mkdir -p "$chroot_dir/src/shared"
    cp -r "$tga_real" "$chroot_dir/src/shared/tga-real"
  else
    echo "   (no $tga_real: the real-world TGA tests will skip)"
  fi
  mount -t proc proc "$chroot_dir/proc" && mounted+=("$chroot_dir/proc")
  mount --bind /sys "$chroot_dir/sys" && mounted+=("$chroot_dir/sys")
  mount --bind /dev "$chroot_dir/dev" && mounted+=("$chroot_dir/dev")
  mount --bind /dev/pts "$chroot_dir/dev/pts" && mounted+=("$chroot_dir/dev/pts")
  mount -t tmpfs -o mode=1777 tmpfs "$chroot_dir/dev/shm" && mounted+=("$chroot_dir/dev/shm")
  finish "[$order] unpack root + clone"
  echo "   clone of $(git -C "$root" rev-parse --short HEAD) in $chroot_dir/src/main (logs in $work)"

  if [ "$order" = run-first ]; then
    check_run
    check_test
  else
    check_test
    check_run
  fi
  [ "${GLOWMOTION_FRESH_KEEP:-0}" = 1 ] && echo "   kept $work"
  cleanup
done

echo "== wall times"
printf '   %s\n' "${timings[@]}"
echo "check-fresh-debian: both README commands work on a fresh Debian 12 root (${orders[*]})"
