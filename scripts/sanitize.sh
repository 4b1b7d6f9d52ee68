#!/usr/bin/env bash
# The whole test suite built with AddressSanitizer, LeakSanitizer and
# UndefinedBehaviorSanitizer (Debug, warnings as errors) into build-sanitize/,
# after the package set-up of scripts/test.sh without the browser's packages
# (its tests are left out, below). The media tools run
# sanitized during the build too. Any report stops the program that made it,
# so the build step or the test fails. Extra arguments go to ctest.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# detect_leaks is the default on x86-64 Linux; said here so no other platform
# silently skips the leak check. Leaks inside the system's libraries that are
# not ours are listed, narrowly and with the reason, in lsan.supp.
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

"$root/scripts/setup.sh" --sanitize
cd "$root"

# The GL tests unload Mesa's driver at eglTerminate; keep-libraries-loaded.c
# explains why the tests run with dlclose() turned off; ASan is told to accept
# a library preloaded ahead of it.
cc -shared -fPIC -O2 -o build-sanitize/keep-libraries-loaded.so scripts/keep-libraries-loaded.c
export LD_PRELOAD="$root/build-sanitize/keep-libraries-loaded.so"
export ASAN_OPTIONS="$ASAN_OPTIONS:verify_asan_link_order=0"
# With Debian 12's glibc, the sanitizer runtime's record of dynamic TLS blocks
# (kept by intercepting __tls_get_addr) can hold a bogus range for Mesa's
# threads, and LeakSanitizer's scan then crashes at exit ("Tracer caught
# signal 11", "DTLS 12 at 0x9a1") in whichever test the memory layout picks.
# Without the interception the dynamic TLS blocks are not scanned as roots;
# nothing of ours lives in them.
export ASAN_OPTIONS="$ASAN_OPTIONS:intercept_tls_get_addr=0"
# The end-to-end tests (label e2e) run the programs as they ship, and the
# browser's page, WebAssembly that Emscripten builds apart from this folder;
# scripts/test.sh runs them once. Here run the unit, GL and stress tests,
# where a sanitizer can see a fault.
ctest --test-dir build-sanitize --output-on-failure -j"$(nproc)" -LE e2e "$@"
