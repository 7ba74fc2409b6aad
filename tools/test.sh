#!/bin/sh
# Builds the program and every test, then runs them all.
# Usage: tools/test.sh [build folder] [extra CMake options...]
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh

build=${1:-build}
[ $# -gt 0 ] && shift
# The device folder's path is absolute, inside the build folder.
cmake -S . -B "$build" -DDEVICE_SYSTEM_DIR="$(realpath -ms "$build")/system" "$@"
cmake --build "$build" -j"$(nproc)"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
