#!/bin/bash
# Builds the fuzz targets with clang (libFuzzer, AddressSanitizer,
# UndefinedBehaviorSanitizer) into build-fuzz/ and runs each for the given
# number of seconds (default 30). Usage: fuzz/run.sh [seconds]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-30}

# clang with its fuzzer runtime.
tools/install-deps.sh clang libclang-rt-14-dev

out=build-fuzz
mkdir -p "$out"
flags="-std=c++11 -g -O1 -I. -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all"
clang++ $flags -o "$out/fuzz_euckr" fuzz/fuzz_euckr.cpp text/euckr.cpp text/ksc5601table.cpp
# shellcheck disable=SC2046
clang++ $flags $(pkg-config --cflags sdl SDL_image SDL_ttf) -o "$out/fuzz_button" \
    fuzz/fuzz_button.cpp widgets/button.cpp core/resourceloader.cpp core/userevents.cpp \
    $(pkg-config --libs sdl SDL_image SDL_ttf)

for target in fuzz_euckr fuzz_button; do
    mkdir -p "$out/corpus-$target"
    echo "== $target, ${seconds} s"
    # Run inside the build folder: crash files and the button's strips go there.
    if ! (cd "$out" && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        "./$target" -max_total_time="$seconds" -print_final_stats=1 \
        "corpus-$target" >"$target.log" 2>&1); then
        tail -n 40 "$out/$target.log"
        echo "$target failed (log: $out/$target.log)"
        exit 1
    fi
    grep -E "^Done|stat::number_of_executed_units" "$out/$target.log"
done
