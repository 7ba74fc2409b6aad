#!/bin/bash
# Builds tvout for the device and tests the ARM build on this PC.
#
#   tools/device.sh [armhf|armel]      (default armhf)
#
# armhf is ARMv7 hard-float, armel ARMv5TE soft-float. In build-sysroot/ARCH
# it makes a sysroot of Debian's ARM packages (tools/make-sysroot.sh); in
# build-ARCH it cross-builds the program and every test with the PC stand-in
# for the TV calls and runs the whole suite in qemu-arm. Then it checks that
# the ARM program's output is byte for byte the PC build's for one session,
# that against stock SDL the device link lacks exactly the two TV calls, and
# makes the package build-ARCH/tvout-<version>-ARCH.tar.gz.
set -euo pipefail
cd "$(dirname "$0")/.."

arch=${1:-armhf}
case "$arch" in
armhf) triplet=arm-linux-gnueabihf ;;
armel) triplet=arm-linux-gnueabi ;;
*) echo "usage: $0 [armhf|armel]" >&2; exit 2 ;;
esac
# Host tools only; the ARM libraries are unpacked into the sysroot folder.
tools/install-deps.sh qemu-user "g++-$triplet" "binutils-$triplet"

root=$PWD
sysroot=$root/build-sysroot/$arch
build=build-$arch
cross=(-DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" -DDEVICE_SYSROOT="$sysroot")
step() { printf '\n== %s (%s s)\n' "$1" "$SECONDS"; }

step "sysroot $sysroot"
tools/make-sysroot.sh "$arch" "$sysroot"

step "cross build and the whole suite in qemu-arm"
tools/test.sh "$build" "${cross[@]}"

step "same output as the PC build"
pc=build
cmake -S . -B "$pc" -DDEVICE_SYSTEM_DIR="$root/$pc/system" >/dev/null
cmake --build "$pc" -j2 --target tvout tvout-session
cmake --build "$build" -j2 --target tvout-session
"$pc/tools/tour/tvout-session" "$root/$pc/tvout" "$root" "$pc/session.out" "$pc/session.err"
"$build/tests/emulate" "$build/tools/tour/tvout-session" "$root/$build/tvout" "$root" \
    "$build/session.out" "$build/session.err"
for stream in out err; do
    cmp "$pc/session.$stream" "$build/session.$stream"
done
echo "standard output ($(wc -l <"$pc/session.out") lines) and error ($(wc -l <"$pc/session.err") lines) are the same"

step "the device link lacks only the two TV calls"
link=$build-link
cmake -S . -B "$link" "${cross[@]}" -DHOST_PLATFORM=OFF -DBUILD_TESTING=OFF >/dev/null
if cmake --build "$link" --target tvout >"$link/link.log" 2>&1; then
    echo "linked against stock SDL: SDL_TvConfig and SDL_SetLcdChange should be missing" >&2
    exit 1
fi
missing=$(sed -n "s/.*undefined references\{0,1\} to \`\([^']*\)'.*/\1/p" "$link/link.log" |
    sort -u | tr '\n' ' ')
if [ "$missing" != "SDL_SetLcdChange SDL_TvConfig " ]; then
    cat "$link/link.log" >&2
    echo "the device link lacks: ${missing:-nothing named}; expected SDL_SetLcdChange SDL_TvConfig" >&2
    exit 1
fi
echo "missing: $missing"

step "package"
(cd "$build" && cpack -G TGZ >/dev/null)
package=$(ls "$build"/tvout-*-"$arch".tar.gz)
tar -tzvf "$package"
glibc=$("$triplet-objdump" -T "$build/tvout" | grep -o 'GLIBC_[0-9.]*' | sort -uV | tail -n1)
echo "$package; tvout needs $glibc"
step "done"
