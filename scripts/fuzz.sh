#!/usr/bin/env bash
# Builds the libFuzzer target kalvor2-fuzz with clang into build-fuzz/ and
# runs its bounded fuzz run (30 s by default, KALVOR2_FUZZ_SECONDS=n for
# longer) on a copy of fuzz/corpus. Fails if the fuzzer finds a crash, a hang,
# a leak, a sanitizer finding or a difference from the reference parser; the
# input is then in build-fuzz/fuzz/run/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --all

build="${KALVOR2_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKALVOR2_FUZZ=ON -DKALVOR2_BUILD_TESTS=OFF \
    -DKALVOR2_FUZZ_SECONDS="${KALVOR2_FUZZ_SECONDS:-30}"
cmake --build "$build" -j"${KALVOR2_JOBS:-2}" --target kalvor2-fuzz
ctest --test-dir "$build" --output-on-failure
