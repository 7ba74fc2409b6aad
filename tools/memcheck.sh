#!/bin/bash
# The memory check: one whole scripted session (tools/session.txt) of the
# real program under valgrind memcheck, as the ctest test "memcheck" of a
# build with -DMEMCHECK=ON (cmake/memcheck.cmake). See tests/README.md.
# Usage: tools/memcheck.sh [build folder]   (default build-memcheck)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh valgrind

build=${1:-build-memcheck}
pc_build "$build" tvout sessioninput devicefolder -- -DBUILD_TESTING=OFF -DMEMCHECK=ON
status=0
ctest --test-dir "$build" -L memcheck --output-on-failure || status=$?
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|suppressed:" \
    "$build/memcheck.log" || true
[ "$status" -eq 0 ] || fail "not clean"
echo "memcheck: clean"
