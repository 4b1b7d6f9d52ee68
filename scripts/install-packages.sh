#!/usr/bin/env bash
# Installs the Debian packages of the given lists that are not installed yet
# (one package a line, # starts a comment; a package in several lists counts
# once), with sudo unless run as root.
# Usage: scripts/install-packages.sh WHO LIST...   (WHO names the caller in its message)
# Prints one line naming the packages and the log that gets apt-get's whole
# output: $GLOWMOTION_SETUP_LOG when set (appended to), else a new file in
# the temporary folder. When apt-get fails, the end of the log follows on
# standard error and the status is 1.
set -euo pipefail
who=$1
shift
missing=()
for pkg in $(grep -hv '^\s*#' "$@" | awk '!seen[$0]++'); do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -gt 0 ] || exit 0
log=${GLOWMOTION_SETUP_LOG:-$(mktemp "${TMPDIR:-/tmp}/glowmotion-packages.XXXXXX")}
echo "$who: installing ${#missing[@]} packages with apt-get: ${missing[*]} (log: $log)"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
  sudo -v  # a password is asked here, before the output goes to the log
fi
if ! { $sudo apt-get update -qq && DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq \
         --no-install-recommends "${missing[@]}"; } >>"$log" 2>&1; then
  echo "$who: installing the packages failed; the end of $log:" >&2
  tail -n 25 "$log" >&2
  exit 1
fi
