#!/bin/bash
# Builds the program and runs it on a PC, with its device folder in
# build/system (target devicefolder). With an X display it opens its window;
# without one (DISPLAY unset or empty) tvout-session --tour plays the scripted
# session on a virtual X server and keeps a PNG per step and the program's
# output in build/tour/. See README.md.
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
