#!/bin/sh
# Builds the program and runs it on a PC. The device folder (launcher and
# label font) is stood in for by build/system: a launcher script that says
# which view it was asked to open, and a Korean TrueType font.
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
exec "$build/tvout"
