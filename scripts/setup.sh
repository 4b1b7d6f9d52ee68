#!/usr/bin/env bash
# Installs whatever Debian packages are missing, then configures and builds.
# Usage: scripts/setup.sh [--test | --sanitize]
#   (none)      the show and its tools into build/ (scripts/packages-build.txt)
#   --test      the same plus the test suite and benchmarks (adds scripts/packages-test.txt)
#   --sanitize  the show, its tools and the test suite with AddressSanitizer,
#               LeakSanitizer and UndefinedBehaviorSanitizer, Debug, warnings
#               as errors, into build-sanitize/
# Configuring is repeated on every call (quick when nothing changed), so a
# folder left by an earlier run with other options, a failed configure or a
# missing build.ninja is brought to the wanted state.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

mode=${1:-}
lists=(scripts/packages-build.txt)
build=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=OFF -DGLOWMOTION_BUILD_BENCHMARKS=OFF
         -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF)
case "$mode" in
  "") ;;
  --test)
    lists+=(scripts/packages-test.txt)
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=ON
             -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF) ;;
  --sanitize)
    lists+=(scripts/packages-test.txt)
    build=build-sanitize
    options=(-DCMAKE_BUILD_TYPE=Debug -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=OFF
             -DGLOWMOTION_SANITIZE=ON -DGLOWMOTION_WERROR=ON) ;;
  *) echo "usage: scripts/setup.sh [--test | --sanitize]" >&2; exit 2 ;;
esac

scripts/install-packages.sh setup "${lists[@]}"

configure() { cmake -S . -B "$build" -G Ninja "${options[@]}"; }
if ! configure; then
  # A cache from another generator, another source folder or a configure
  # that failed half-way: start from an empty cache, once.
  [ -e "$build/CMakeCache.txt" ] || exit 1
  echo "setup: configuring $build/ failed; removing its CMake cache and configuring again" >&2
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  configure
fi
cmake --build "$build" -j"$(nproc)"
