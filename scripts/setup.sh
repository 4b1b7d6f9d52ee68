#!/usr/bin/env bash
# Installs whatever Debian packages are missing, then configures and builds.
# Usage: scripts/setup.sh [--test | --bench | --sanitize]
#   (none)      the show and its tools into build/ (scripts/packages-build.txt)
#   --test      the same plus the test suite, and what the browser
#               build and its tests need (adds scripts/packages-test.txt and
#               scripts/packages-web.txt); the browser tests then fail until
#               scripts/web.sh has built build-web/ (scripts/test.sh does)
#   --bench     the test suite and the benchmarks (scripts/bench.sh)
#   --sanitize  the show, its tools and the test suite with AddressSanitizer,
#               LeakSanitizer and UndefinedBehaviorSanitizer, Debug, warnings
#               as errors, into build-sanitize/
# Configuring is repeated on every call (quick when nothing changed), so a
# folder left by an earlier run with other options, a failed configure or a
# missing build.ninja is brought to the wanted state.
# Each step (packages, configuring, building) prints one line; the whole
# output of apt-get, CMake and the compilers goes to BUILD/setup.log, and
# the end of it is shown only when a step fails.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

mode=${1:-}
lists=(scripts/packages-build.txt)
build=build
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=OFF -DGLOWMOTION_BUILD_BENCHMARKS=OFF
         -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF -DGLOWMOTION_REQUIRE_WEB=OFF)
case "$mode" in
  "") ;;
  --test)
    lists+=(scripts/packages-test.txt scripts/packages-web.txt)
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=OFF
             -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF -DGLOWMOTION_REQUIRE_WEB=ON) ;;
  --bench)
    lists+=(scripts/packages-test.txt)
    options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=ON
             -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF -DGLOWMOTION_REQUIRE_WEB=OFF) ;;
  --sanitize)
    lists+=(scripts/packages-test.txt)
    build=build-sanitize
    options=(-DCMAKE_BUILD_TYPE=Debug -DGLOWMOTION_BUILD_TESTS=ON -DGLOWMOTION_BUILD_BENCHMARKS=OFF
             -DGLOWMOTION_SANITIZE=ON -DGLOWMOTION_WERROR=ON -DGLOWMOTION_REQUIRE_WEB=OFF) ;;
  *) echo "usage: scripts/setup.sh [--test | --bench | --sanitize]" >&2; exit 2 ;;
esac
# With the compiler cache installed, a second build of the same sources (a
# new clone, another folder) compiles nothing again; paths inside the clone
# are made relative so that clones in other places share the cache.
if command -v ccache >/dev/null; then
  options+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$root"
else
  options+=(-UCMAKE_C_COMPILER_LAUNCHER -UCMAKE_CXX_COMPILER_LAUNCHER)
fi

mkdir -p "$build"
export GLOWMOTION_SETUP_LOG="$root/$build/setup.log"
: >"$GLOWMOTION_SETUP_LOG"
log=$GLOWMOTION_SETUP_LOG
who=setup
# shellcheck source=scripts/steps.sh
. scripts/steps.sh

scripts/install-packages.sh setup "${lists[@]}"

configure() { cmake -S . -B "$build" -G Ninja "${options[@]}"; }
echo "setup: configuring $build/ (log: $log)"
if ! configure >>"$log" 2>&1; then
  # A cache from another generator, another source folder or a configure
  # that failed half-way: start from an empty cache, once.
  [ -e "$build/CMakeCache.txt" ] || failed "configuring $build/"
  rm -rf "$build/CMakeCache.txt" "$build/CMakeFiles"
  step "configuring $build/ again from an empty CMake cache" configure
fi
step "building $build/" cmake --build "$build" -j"$(nproc)"
