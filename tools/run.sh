#!/bin/sh
# Builds the program and runs it on a PC. The device folder (launcher and
# label font) is stood in for by build/system: a launcher script that says
# which view it was asked to open, and a Korean TrueType font.
#
# With an X display the program opens its window. Without one (DISPLAY unset
# or empty) a short tour runs it on a virtual X server instead: show the
# version label, tap PAL, nudge the picture, tap Cancel. It saves a PNG of
# the screen after each step and the program's output in build/tour/, prints
# the program's log and the device calls, and exits 0 when every step
# happened.
set -eu
cd "$(dirname "$0")/.."
tools/install-deps.sh

build=build
system="$PWD/$build/system"
cmake -S . -B "$build" -DDEVICE_SYSTEM_DIR="$system" >/dev/null
cmake --build "$build" -j"$(nproc)" --target tvout

mkdir -p "$system"
rm -f "$system/vanumenu"
cat > "$system/vanumenu" <<'LAUNCHER'
#!/bin/sh
echo "launcher: asked to open ${1:-nothing} (working directory $(pwd))"
LAUNCHER
chmod 755 "$system/vanumenu"
cp -f /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$system/HYUni_KLR_B_V1.01.ttf"

# Started from the project root so that ./res/ is found.
if [ -n "${DISPLAY:-}" ]; then
    exec "$build/tvout"
fi

cmake --build "$build" -j"$(nproc)" --target tvout-tour
exec "$build/tools/tour/tvout-tour" "$PWD/$build/tvout" "$PWD" "$PWD/$build/tour"
