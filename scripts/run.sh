#!/usr/bin/env bash
# Sets up and builds, then runs the show. Extra arguments go to the show
# (for example: scripts/run.sh --windowed).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
exec "$root/build/glowmotion" "$@"
