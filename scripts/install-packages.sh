#!/usr/bin/env bash
# Installs the Debian packages of the given lists that are not installed yet
# (one package a line, # starts a comment), with sudo unless run as root.
# Usage: scripts/install-packages.sh WHO LIST...   (WHO names the caller in its message)
set -euo pipefail
who=$1
shift
missing=()
for pkg in $(grep -hv '^\s*#' "$@"); do
  status=$(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$pkg")
done
[ ${#missing[@]} -gt 0 ] || exit 0
echo "$who: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
