#!/bin/bash
# Builds the program and every test, then runs them all.
# Usage: tools/test.sh [build folder] [extra CMake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh

build=${1:-build}
[ $# -gt 0 ] && shift
pc_build "$build" all -- "$@"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
