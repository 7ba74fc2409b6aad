#!/bin/bash
# Builds the program and runs it on a PC (device folder build/system): in its
# window with an X display, else (DISPLAY unset or empty) as the headless
# tour on a virtual X server, output in build/tour/. See README.md.
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
