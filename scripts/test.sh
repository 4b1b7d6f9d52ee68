#!/usr/bin/env bash
# Sets up and builds with the test tools, builds the browser version
# (scripts/web.sh) for the browser tests, then runs the whole test suite.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh" --test
"$root/scripts/web.sh"
cd "$root"
ctest --test-dir build --output-on-failure -j"$(nproc)" "$@"
