#!/bin/bash
# Builds the fuzz targets (-DFUZZ=ON: clang, libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for the given
# number of seconds (default 30). See tests/README.md.
# Usage: fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
seconds=${1:-30}

# clang with its fuzzer runtime, of clang's own version.
tools/install-deps.sh clang
tools/install-deps.sh "libclang-rt-$(clang -dumpversion | cut -d. -f1)-dev"

out=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$out" -DFUZZ=ON -DBUILD_TESTING=OFF >/dev/null
cmake --build "$out" -j2 --target fuzz_euckr fuzz_button

for target in fuzz_euckr fuzz_button; do
    mkdir -p "$out/corpus-$target"
    echo "== $target, ${seconds} s"
    # Run inside the build folder: crash files and the button's strips go there.
    if ! (cd "$out" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        "corpus-$target" >"$target.log" 2>&1); then
        tail -n 40 "$out/$target.log"
        fail "$target failed (log: $out/$target.log)"
    fi
    grep -E "^Done|stat::number_of_executed_units" "$out/$target.log"
done
