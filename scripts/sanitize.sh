#!/usr/bin/env bash
# Builds the whole test suite with AddressSanitizer (LeakSanitizer on) and
# UndefinedBehaviorSanitizer into build-asan/ and runs it. Any finding ends
# the test that made it with a report and fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

build="${KALVOR2_ASAN_BUILD_DIR:-build-asan}"
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALVOR2_SANITIZE=ON
cmake --build "$build" -j"${KALVOR2_JOBS:-2}"

# Leaks inside system libraries (fontconfig, Qt's platform plugin, ...) are
# suppressed by name in tests/sanitizer/lsan.supp, each with its reason.
export ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/sanitizer/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j"${KALVOR2_JOBS:-2}"
