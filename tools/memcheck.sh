#!/bin/bash
# The memory check: the whole scripted session of the real program under
# valgrind memcheck, the ctest test "memcheck" of a -DMEMCHECK=ON build
# (tests/memcheck.cpp).
# Usage: tools/memcheck.sh [build folder]   (default build-memcheck)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh valgrind

build=${1:-build-memcheck}
pc_build "$build" tvout memcheck_session devicefolder -- -DBUILD_TESTING=ON -DMEMCHECK=ON
status=0
ctest --test-dir "$build" -L memcheck --output-on-failure || status=$?
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|suppressed:" \
    "$build/memcheck.log" || true
[ "$status" -eq 0 ] || fail "not clean"
echo "memcheck: clean"
