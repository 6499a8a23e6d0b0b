#!/usr/bin/env bash
# Installs the build dependencies, builds the tool and starts it on the
# simulated Kalvor II (no hardware needed).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build --target kalvor2 kalvor2-demo kalvor2-replay
exec build/app/kalvor2-demo "$@"
