#!/bin/sh
# Stand-in for the device's menu launcher (vanumenu in the device folder, as
# the CMake target devicefolder lays it out), a script so that an ARM build
# under qemu-arm starts it too. Beside itself it writes how it was started
# (launcher.log: working directory, path, arguments) and what it inherited
# (launcher.state); then it says which view it was asked to open, unless
# TVOUT_LAUNCHER_QUIET is set. See tests/README.md.
dir=$(dirname "$0")

# Descriptors first, before this script opens any of its own: the shell holds
# only the script open, and the directory read for the list closes again.
fds=
for fd in /proc/"$$"/fd/*; do
    n=${fd##*/}
    # shellcheck disable=SC3013 # dash's and busybox's test have -ef
    if [ "$n" -gt 2 ] && [ -e "$fd" ] && ! [ "$fd" -ef "$0" ]; then
        fds="$fds $n"
    fi
done

# The masks are read by this shell itself: a child forked to read them may
# see the shell's signals blocked while it forks.
ignored='' blocked=''
while read -r key value; do
    case $key in
    SigIgn:) ignored=$value ;;
    SigBlk:) blocked=$value ;;
    esac
done </proc/$$/status
# A descriptor's link in /proc/<pid>/fd carries its access mode ("l-wx").
unwritable=
for n in 0 1 2; do
    case $(stat -c %A /proc/$$/fd/$n 2>/dev/null) in
    l?w*) ;;
    *) unwritable="$unwritable $n" ;;
    esac
done

# The signal numbers set in a mask of /proc/<pid>/status.
signals() {
    list='' n=1
    while [ $n -lt 64 ]; do
        [ $((0x$1 >> (n - 1) & 1)) -eq 0 ] || list="$list $n"
        n=$((n + 1))
    done
    echo "$list"
}

printf '%s\n' "$(pwd -P)" "$0" "$@" >"$dir/launcher.log"
{
    echo "ignored:$(signals "$ignored")"
    echo "blocked:$(signals "$blocked")"
    echo "descriptors:$fds"
    echo "unwritable:$unwritable"
    printf 'environment:'
    [ -z "${SDL_RENDER_DRIVER+set}" ] || printf ' SDL_RENDER_DRIVER=%s' "$SDL_RENDER_DRIVER"
    [ -z "${SDL_FRAMEBUFFER_ACCELERATION+set}" ] ||
        printf ' SDL_FRAMEBUFFER_ACCELERATION=%s' "$SDL_FRAMEBUFFER_ACCELERATION"
    echo
} >"$dir/launcher.state"

[ -n "${TVOUT_LAUNCHER_QUIET:-}" ] ||
    echo "launcher: asked to open ${1:-nothing} (working directory $(pwd))"
