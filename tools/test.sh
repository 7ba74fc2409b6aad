#!/bin/sh
# Builds the program and every test, then runs them all.
# Usage: tools/test.sh [build folder] [extra CMake options...]
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh

build=${1:-build}
[ $# -gt 0 ] && shift
cmake -S . -B "$build" -DDEVICE_SYSTEM_DIR="$PWD/$build/system" "$@"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
