#!/bin/bash
# Builds the program and runs it on a PC, with its device folder in
# build/system (target devicefolder: the stand-in launcher and the label
# font). With an X display it opens its window. Without one (DISPLAY unset or
# empty) the tour runs it on a virtual X server through the scripted session
# (tools/session.txt), saves a PNG of the screen after each step and the
# program's output in build/tour/, prints the log and the device calls, and
# exits 0 when every step happened. See README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh

# Started from the project root so that ./res/ is found.
if [ -n "${DISPLAY:-}" ]; then
    pc_build build tvout devicefolder
    exec build/tvout
fi
pc_build build tvout tvout-session devicefolder
exec build/tools/tour/tvout-session --tour "$PWD/build/tvout" "$PWD" "$PWD/build/tour"
