#!/bin/bash
# One whole session of the real program under valgrind memcheck, on SDL's
# dummy video driver with scripted input (tools/sessioninput.cpp): start, PAL,
# a move, the label, Cancel. Fails on any invalid access and on any byte
# definitely lost outside what tools/memcheck.supp allows.
# Usage: tools/memcheck.sh [build folder]   (default build-memcheck)
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh valgrind

build=${1:-build-memcheck}
system="$PWD/$build/system"
cmake -S . -B "$build" -DDEVICE_SYSTEM_DIR="$system" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build" --target tvout -j2
# shellcheck disable=SC2046
c++ -shared -fPIC -g -Wall -Wextra -I. -o "$build/sessioninput.so" tools/sessioninput.cpp \
    $(pkg-config --cflags --libs sdl) -ldl

# The label font, and no launcher: the hand-off fails, so the process ends
# by itself and valgrind sees the whole exit path.
mkdir -p "$system"
rm -f "$system/vanumenu"
cp /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$system/HYUni_KLR_B_V1.01.ttf"

log="$build/memcheck.log"
status=0
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy LD_PRELOAD="$PWD/$build/sessioninput.so" \
    valgrind --tool=memcheck --leak-check=full --errors-for-leak-kinds=definite \
    --error-exitcode=99 --suppressions=tools/memcheck.supp --log-file="$log" \
    "$build/tvout" >"$build/memcheck.out" 2>"$build/memcheck.err" || status=$?
grep -E "ERROR SUMMARY|definitely lost|indirectly lost|possibly lost|suppressed:" "$log" || true

# The session must really have happened.
for line in ">> SET_MODE : TV+LCD & PAL" ">> MOVE : RIGHT (330, 240)" "exit code(--view-apps) !!"; do
    if ! grep -qF -- "$line" "$build/memcheck.out"; then
        echo "memcheck: the session did not log \"$line\""; cat "$build/memcheck.out"
        exit 1
    fi
done
if [ "$status" -ne 0 ]; then
    echo "memcheck: valgrind reports errors (exit status $status); see $log"
    exit 1
fi
echo "memcheck: clean"
