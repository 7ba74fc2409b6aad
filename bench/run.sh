#!/bin/bash
# Measures the program against floor programs that do the least this screen
# needs, as ratios taken in one run, and prints one table: figure | project |
# floor | ratio | goal. See docs/performance.md.
#
# Usage: bench/run.sh [--quick]
#   --quick  only the instructions per repaint; exits 1 when the ratio is
#            above 1.5 (the CI guard)
# Builds into build-bench/ and runs from the project root, where ./res/ is.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh

quick=0
[ "${1:-}" = "--quick" ] && quick=1

tools/install-deps.sh valgrind time

build="build-bench"
system=$(device_dir "$build")
targets=(repaint_driver floor devicefolder)
[ $quick = 1 ] || targets+=(tvout stamps pairs euckr_bench)
pc_build -S bench "$build" "${targets[@]}" -- -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
# The label font; no launcher, so a program that quits simply ends.
rm -f "$system/vanumenu"

cells() { printf '| %-56s | %15s | %15s | %5s | %-14s |\n' "$@"; }
rows=()
row() { rows+=("$(cells "$@")"); } # figure project floor ratio goal
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# Nanoseconds as microseconds, to a tenth.
thousandths() { awk -v a="$1" 'BEGIN { printf "%.1f", a / 1e3 }'; }
# "<= G met" or "<= G NOT MET" for a ratio R and a goal G.
goal() { awk -v r="$1" -v g="$2" 'BEGIN { printf "<= %s %s", g, (r <= g ? "met" : "NOT MET") }'; }

# Instructions of one whole run on the dummy driver.
instructions() {
    SDL_VIDEODRIVER=dummy valgrind --tool=callgrind --callgrind-out-file="$build/callgrind.out" \
        "$@" >/dev/null 2>"$build/valgrind.log" || { echo "failed under callgrind: $*" >&2; exit 1; }
    sed -n 's/^totals: *//p' "$build/callgrind.out"
}
# Instructions per repaint of a command that takes the repaint count last:
# the difference between 1100 and 100 repaints leaves start and end out.
per_repaint() {
    local low high
    low=$(instructions "$@" 100)
    high=$(instructions "$@" 1100)
    [ -n "$low" ] && [ -n "$high" ] || exit 1
    echo $(((high - low) / 1000))
}

# The CPU share, in percent, of COMMAND... over its first 5 s, after which
# SIGINT ends it (timeout's status 124 says that it ran that long).
idle_share() {
    /usr/bin/time -f '%U %S %e' -o "$build/idle.time" timeout -k 10 -s INT 5 "$@" >/dev/null 2>&1 ||
        true
    grep -q 'status 124$' "$build/idle.time" || fail "$1 did not run for 5 s: $(cat "$build/idle.time")"
    awk 'END { printf "%.1f", 100 * ($1 + $2) / $3 }' "$build/idle.time"
}

echo "Counting instructions per repaint (callgrind)..." >&2
project=$(per_repaint "$build/repaint_driver")
floor=$(per_repaint "$build/floor" repaint)
r=$(ratio "$project" "$floor")
row "instructions per full repaint" "$project" "$floor" "$r" "$(goal "$r" 1.1)"
repaint_ratio=$r

if [ $quick = 0 ]; then
    echo "Timing repaints (native, dummy driver)..." >&2
    out=$(SDL_VIDEODRIVER=dummy "$build/pairs" --reported 15 0 "$build/repaint_driver" 2000 --time \
        -- "$build/floor" repaint 2000 --time)
    read -r pmin pmed fmin fmed <<<"$out"
    row "time per repaint, us (min / median, 15 pairs)" \
        "$(thousandths "$pmin") / $(thousandths "$pmed")" \
        "$(thousandths "$fmin") / $(thousandths "$fmed")" "$(ratio "$pmin" "$fmin")" "recorded"

    # The leave to the launcher's start after 1,000 moves, with the log's
    # reader reading or stalled, or on a terminal never read; the launcher
    # is bench/pairs itself.
    echo "Timing the hand-off (dummy driver, 15 runs each)..." >&2
    shim="$PWD/$build/libstamps.so"
    ln -sf "$PWD/$build/pairs" "$system/vanumenu"
    for reader in read stalled tty; do
        figure="leave to launcher, ms, log $reader (min/median)"
        if out=$(PAIRS_PRELOAD="$shim" "$build/pairs" handoff 15 "$reader" "$build/tvout/tvout"); then
            read -r hmin hmed <<<"$out"
            row "$figure" "$hmin / $hmed" - - "$(goal "$hmed" 1000)"
        else
            row "$figure" none - - "<= 1000 NOT MET"
        fi
    done
    rm -f "$system/vanumenu"

    # The harness's X server, up for the rows below; stopped when this script ends.
    rm -f "$build/xvfb.display"
    background "$build/pairs" serve >"$build/xvfb.display" 2>"$build/xvfb.log"
    wait_for 10 test -s "$build/xvfb.display" || fail "the X server did not start"
    DISPLAY=$(head -n1 "$build/xvfb.display")
    export DISPLAY
    unset SDL_VIDEODRIVER

    # Start-up and peak memory, once with each SDL 1.2 the machine has: the
    # one the loader finds, sdl12-compat in a folder of its own (Debian 12's
    # libsdl1.2-compat), and the LD_LIBRARY_PATH values in BENCH_SDL_PATHS.
    # The shim ends either program at its first flip with status 99.
    export FIRST_FLIP_EXIT=99
    peak_rss=(/usr/bin/time -f %M env LD_PRELOAD="$shim")
    libraries=("")
    compat="/usr/lib/$(gcc -print-multiarch)/sdl12-compat"
    [ ! -e "$compat/libSDL-1.2.so.0" ] || libraries+=("$compat")
    read -r -a more <<<"${BENCH_SDL_PATHS:-}"
    libraries+=("${more[@]}")
    for library in "${libraries[@]}"; do
        export LD_LIBRARY_PATH="$library"
        sdl="SDL $("$build/floor" version)"
        echo "Timing start-up to the first frame on $sdl (Xvfb, 30 pairs)..." >&2
        out=$(PAIRS_PRELOAD="$shim" "$build/pairs" 30 99 "$build/tvout/tvout" -- "$build/floor" startup)
        read -r pmin pmed fmin fmed <<<"$out"
        r=$(ratio "$pmin" "$fmin")
        row "start-up to first frame, ms (min), $sdl" "$pmin" "$fmin" "$r" "$(goal "$r" 1.2)"
        row "start-up to first frame, ms (median), $sdl" "$pmed" "$fmed" "$(ratio "$pmed" "$fmed")" \
            "recorded"

        echo "Peak memory at the first frame on $sdl (/usr/bin/time)..." >&2
        out=$("$build/pairs" --reported 5 99 "${peak_rss[@]}" "$build/tvout/tvout" \
            -- "${peak_rss[@]}" "$build/floor" startup)
        read -r _ pmed _ fmed <<<"$out"
        r=$(ratio "$pmed" "$fmed")
        row "peak memory, KiB (median of 5), $sdl" "$pmed" "$fmed" "$r" "$(goal "$r" 1.1)"
    done
    unset LD_LIBRARY_PATH

    # The program polls without blocking by design; the floor blocks in
    # SDL_WaitEvent.
    echo "Idle CPU share over 5 s..." >&2
    pidle=$(idle_share "$build/tvout/tvout")
    fidle=$(idle_share "$build/floor" idle)
    row "idle CPU share over 5 s, %" "$pidle" "$fidle" "-" "recorded"

    echo "EUC-KR conversion against iconv..." >&2
    out=$("$build/euckr_bench")
    read -r pmin _ fmin _ <<<"$out"
    row "EUC-KR to UCS-2, 64 KiB, us (min; floor iconv)" "$(thousandths "$pmin")" \
        "$(thousandths "$fmin")" "$(ratio "$pmin" "$fmin")" "recorded"
fi

cells figure project floor ratio goal
cells "" "" "" "" "" | sed 's/[^|]/-/g'
printf '%s\n' "${rows[@]}"

if [ $quick = 1 ] && awk -v r="$repaint_ratio" 'BEGIN { exit !(r > 1.5) }'; then
    echo "Instructions per repaint: $repaint_ratio x the floor, above the 1.5 limit" >&2
    exit 1
fi
exit 0
