#!/usr/bin/env bash
# Builds the libFuzzer targets with clang into build-fuzz/ and runs their
# bounded fuzz runs on copies of their seed corpora: kalvor2-fuzz (30 s by
# default, KALVOR2_FUZZ_SECONDS=n for longer) on fuzz/corpus, and
# kalvor2-fuzz-session (60 s, KALVOR2_FUZZ_SESSION_SECONDS=n) on
# fuzz/session-corpus. Fails if a fuzzer finds a crash, a hang, a leak, a
# sanitizer finding, a difference from the reference parser or a broken
# invariant of the simulation; the input is then in
# build-fuzz/fuzz/run/artifacts/ or build-fuzz/fuzz/session-run/artifacts/
# (kalvor2-fuzz-session prints its schedule).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh --all

build="${KALVOR2_FUZZ_BUILD_DIR:-build-fuzz}"
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++ -DKALVOR2_FUZZ=ON -DKALVOR2_BUILD_TESTS=OFF \
    -DKALVOR2_FUZZ_SECONDS="${KALVOR2_FUZZ_SECONDS:-30}" \
    -DKALVOR2_FUZZ_SESSION_SECONDS="${KALVOR2_FUZZ_SESSION_SECONDS:-60}"
cmake --build "$build" -j"${KALVOR2_JOBS:-2}" --target kalvor2-fuzz kalvor2-fuzz-session
ctest --test-dir "$build" --output-on-failure
