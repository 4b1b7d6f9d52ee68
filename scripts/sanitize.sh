#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer (Debug, warnings as errors) into build-sanitize/,
# after the same package set-up as scripts/test.sh. The media tools run
# sanitized during the build too. Any report stops the program that made it,
# so the build step or the test fails. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# detect_leaks is the default on x86-64 Linux; said here so no other platform
# silently skips the leak check. Leaks inside the system's libraries (Mesa,
# LLVM, SDL, X11) that are not ours are listed, narrowly, in lsan.supp.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

"$root/scripts/setup.sh" --sanitize
cd "$root"
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" "$@"
