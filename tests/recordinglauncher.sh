#!/bin/sh
# Stand-in for the device's menu launcher in tests: writes its working
# directory and then its path and arguments, one per line, to launcher.log
# beside itself (and a last line if it was started with SIGPIPE ignored),
# then exits. A script, so that an ARM build of the program run under
# qemu-arm (which cannot start an ARM program itself) starts it too.
ignored=$(sed -n 's/^SigIgn:[[:space:]]*//p' /proc/$$/status)
{
    pwd -P
    printf '%s\n' "$0" "$@"
    # The program ignores SIGPIPE for itself; the launcher must get the default.
    [ $((0x$ignored >> 12 & 1)) -eq 0 ] || echo "SIGPIPE ignored"
} >"$(dirname "$0")/launcher.log"
