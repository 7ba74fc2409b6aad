#!/bin/sh
# Stand-in for the device's menu launcher in tests: writes its working
# directory and then its path and arguments, one per line, to launcher.log
# beside itself, then exits. A script, so that an ARM build of the program
# run under qemu-arm (which cannot start an ARM program itself) starts it too.
{ pwd -P; printf '%s\n' "$0" "$@"; } >"$(dirname "$0")/launcher.log"
