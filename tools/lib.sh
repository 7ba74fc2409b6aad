# Shell helpers the scripts source: steps with their time, failing with the
# script's name, comparing files, waiting, stopping what a script started in
# the background when it ends, however it ends, the PC build and the
# machine's Debian mirror.
# shellcheck shell=bash

# Exits 2 with how the script is called: its header's lines that start "#   ".
usage() { sed -n 's/^#   /usage: /p' "$0" >&2; exit 2; }
step() { printf '\n== %s (%s s)\n' "$1" "$SECONDS"; }
fail() { echo "${0##*/}: $*" >&2; exit 1; }

# Fails unless FILE has the bytes of EXPECTED, showing how they differ.
same() { # file expected
    [ -f "$1" ] || fail "no $1"
    cmp -s "$1" "$2" || { diff "$1" "$2" >&2 || true; fail "$1 is not $2"; }
    echo "$1: the same as $2"
}

# Runs COMMAND... every 0.2 s until it succeeds, for at most SECONDS.
wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

# Starts COMMAND... in the background ($! is its id), stopped when the script exits.
background_pids=()
background() {
    "$@" &
    background_pids+=($!)
}
running() { kill -0 "$1" 2>/dev/null; }
stopped() { ! running "$1"; }
# Sends PID the signal (TERM by default), gives it 10 s to end, then kills it.
stop() { # pid [signal]
    running "$1" || { wait "$1" 2>/dev/null || true; return 0; }
    kill -"${2:-TERM}" "$1" 2>/dev/null || true
    wait_for 10 stopped "$1" || kill -KILL "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
}
stop_started() {
    local pid
    for pid in "${background_pids[@]}"; do stop "$pid"; done
    background_pids=()
}
trap stop_started EXIT
trap 'exit 1' INT TERM

# The program's version, as CMakeLists.txt gives it.
tvout_version() { sed -n 's/^project(tvout VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt; }

# The device folder of the PC build in FOLDER, as the build lays it out
# (target devicefolder) and the program, the tests and the scripts use it.
device_dir() { realpath -ms "$1/system"; }

# Configures a PC build of the project (or with -S, of the project in SOURCE
# that includes it, such as bench/) in FOLDER, then builds TARGET...
pc_build() { # [-S source] folder target... [-- cmake options...]
    local source=. dir targets=() options=()
    [ "$1" != -S ] || { source=$2; shift 2; }
    dir=$1
    shift
    while [ $# -gt 0 ] && [ "$1" != -- ]; do targets+=("$1"); shift; done
    [ $# -eq 0 ] || options=("${@:2}")
    cmake -S "$source" -B "$dir" -DDEVICE_SYSTEM_DIR="$(device_dir "$dir")" "${options[@]}" >/dev/null
    cmake --build "$dir" -j2 --target "${targets[@]}"
}

# The Debian mirror that serves the machine's own release (its main
# component), as apt is configured: other releases come from the same one.
debian_mirror() {
    local release mirror
    release=$(sed -n 's/^VERSION_CODENAME=//p' /etc/os-release)
    # shellcheck disable=SC2016 # apt's placeholders, not the shell's
    mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' |
        awk -v r="$release" '$2 == r && $3 == "main" { print $1; exit }')
    [ -n "$mirror" ] || fail "no Debian mirror for '$release' main among the machine's sources"
    echo "$mirror"
}
