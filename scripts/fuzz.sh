#!/usr/bin/env bash
# Runs one libFuzzer target for SECONDS seconds.
# Usage: scripts/fuzz.sh TARGET SECONDS [libFuzzer options...]
#   TARGET   tga | texgen | module | options (fuzz/FuzzInputs.h says what each feeds)
# Installs what is missing (scripts/packages-build.txt and packages-fuzz.txt),
# builds build-fuzz/fuzz/fuzz_TARGET with clang-15, ASan and UBSan, and fuzzes
# from the seeds in fuzz/corpus/TARGET with the dictionary fuzz/dict/TARGET.dict.
# New inputs go to build-fuzz/corpus/TARGET (kept between runs), anything that
# fails to build-fuzz/artifacts/TARGET/ and the log to build-fuzz/TARGET.log.
# Status: 0 when the time ran out with nothing found, otherwise libFuzzer's.
# To keep a failing input as a regression test, copy it to
# fuzz/regressions/TARGET/ with a NAME.expect beside it (see docs/hardening.md).
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"

usage() { echo "usage: scripts/fuzz.sh tga|texgen|module|options SECONDS [libFuzzer options...]" >&2; exit 2; }
[ $# -ge 2 ] || usage
target=$1 seconds=$2
shift 2
case "$target" in
  tga) max_len=8192 ;;      # pictures up to about 45x45 at 32 bits
  texgen) max_len=4096 ;;   # programs of a few hundred instructions
  module) max_len=65536 ;;  # small modules; the loader, not the sample data, is the target
  options) max_len=512 ;;   # a few dozen arguments
  *) usage ;;
esac
[[ "$seconds" =~ ^[0-9]+$ ]] && [ "$seconds" -gt 0 ] || usage

scripts/install-packages.sh fuzz scripts/packages-build.txt scripts/packages-fuzz.txt

build=build-fuzz
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
CC=clang-15 CXX=clang++-15 cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DGLOWMOTION_FUZZ=ON -DGLOWMOTION_BUILD_TESTS=OFF -DGLOWMOTION_BUILD_BENCHMARKS=OFF \
  -DGLOWMOTION_SANITIZE=OFF -DGLOWMOTION_WERROR=OFF "${launcher[@]}" >/dev/null
cmake --build "$build" --target "fuzz_$target"

corpus="$build/corpus/$target"
artifacts="$build/artifacts/$target"
mkdir -p "$corpus" "$artifacts"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
log="$build/$target.log"
echo "fuzz: $target for ${seconds}s, log in $log"
set +e
# -close_fd_mask=3: the readers' own messages stay out of the log; libFuzzer
# and the sanitizers still report there.
"$build/fuzz/fuzz_$target" "$corpus" "fuzz/corpus/$target" \
  -dict="fuzz/dict/$target.dict" -max_len="$max_len" -max_total_time="$seconds" \
  -rss_limit_mb=2048 -timeout=30 -close_fd_mask=3 -print_final_stats=1 \
  -artifact_prefix="$artifacts/" "$@" 2>&1 | tee "$log" | grep -E '^#[0-9]+.*(INITED|DONE)|^(==|SUMMARY|stat::)' 
status=${PIPESTATUS[0]}
set -e
ls "$artifacts" | sed "s|^|fuzz: found $artifacts/|"
exit "$status"
