#!/bin/bash
# Builds tvout for the device, tests the ARM build in qemu-arm and makes the
# package that ships, twice to the same bytes. See docs/device.md.
#
#   tools/device.sh [armhf|armel]       (ARMv7 hard-float, the default, or ARMv5TE soft-float)
#   tools/device.sh --toolchain-prefix PREFIX --sysroot DIR [armhf|armel]
#
# The second form uses a vendor's compiler (PREFIX is the text before "gcc")
# and its sysroot, and makes only the shipping build and its package, twice.
set -euo pipefail
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/lib.sh"
arch=armhf prefix="" vendor_sysroot=""
while [ $# -gt 0 ]; do
    case "$1" in
    --toolchain-prefix) [ $# -ge 2 ] || usage; prefix=$2; shift 2 ;;
    --sysroot) [ $# -ge 2 ] || usage; vendor_sysroot=$(realpath "$2"); shift 2 ;;
    armhf | armel) arch=$1; shift ;;
    *) usage ;;
    esac
done
# A vendor's compiler comes with its sysroot.
[ "${prefix:+1}" = "${vendor_sysroot:+1}" ] || usage
triplet=arm-linux-gnueabi
[ "$arch" = armel ] || triplet=arm-linux-gnueabihf
prefix=${prefix:-$triplet-}
cd "$(dirname "$0")/.."

root=$PWD
version=$(tvout_version)

# A shipping build: the default device folder, no tests, optimised.
ship() { # folder sysroot [cmake options...]
    cmake -S . -B "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" \
        -DDEVICE_SYSROOT="$2" -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=Release \
        -DWERROR=ON "${@:3}" >/dev/null
    cmake --build "$1" -j2
}
pack() { # folder out sysroot [cmake options...]: a shipping build, cpack's package in OUT
    ship "$1" "${@:3}"
    (cd "$1" && cpack -B "$root/$2" >/dev/null)
}

# The newest version the binary needs of each library must not pass the
# floor; a version of another library fails too.
floors() { # binary glibc-floor
    local need name version max
    need=$("${prefix}objdump" -T "$1" | sed -n 's/.*(\([A-Z_]*_[0-9.]*\)).*/\1/p' | sort -u)
    for name in $need; do
        version=${name##*_}
        case "${name%_*}" in
        GLIBC) max=$2 ;;
        GLIBCXX) max=3.4 ;;
        CXXABI) max=1.3 ;;
        GCC) max=3.5 ;;
        *) fail "$1 needs $name, outside the floors" ;;
        esac
        [ "$(printf '%s\n%s\n' "$version" "$max" | sort -V | tail -n1)" = "$max" ] ||
            fail "$1 needs $name, newer than ${name%_*}_$max"
    done
    echo "$1 needs at most: $(sort -V <<<"$need" |
        awk -F_ '{ v[$1] = $0 } END { for (k in v) print v[k] }' | sort | paste -sd' ')"
}

# The device's paths, and none of this machine.
paths() { # binary
    local text
    text=$(strings -a "$1")
    for path in /usr/vanu /usr/vanu/vanumenu /usr/vanu/HYUni_KLR_B_V1.01.ttf; do
        grep -qx -- "$path" <<<"$text" || fail "$1 lacks the device path $path"
    done
    if grep -F -e "$root" -e "${vendor_sysroot:-$root}" -e /home/ -e /root/ -e /tmp/ \
        <<<"$text"; then
        fail "$1 holds paths of the build machine (above)"
    fi
    if "$prefix"readelf -d "$1" | grep -E 'RPATH|RUNPATH'; then
        fail "$1 has a library search path (above)"
    fi
}

# The shipping build in FOLDER and its package in OUT, the build as cmake
# --install makes it; its bytes depend only on the commit, so a second build
# from nothing in FOLDER-again, under another umask, packs the same file.
package() { # folder out sysroot [cmake options...]
    local dir=$1 out=$2 tarball app
    shift 2
    tarball="$out/tvout-$version-$arch.tar.gz"
    pack "$dir" "$out" "$@"
    rm -rf "$dir/unpacked" "$dir/installed"
    mkdir -p "$dir/unpacked"
    tar -xzf "$tarball" -C "$dir/unpacked"
    app="$dir/unpacked/tvout-$version-$arch"
    cmake --install "$dir" --prefix "$dir/installed" --strip >/dev/null
    diff -r "$app" "$dir/installed" || fail "cmake --install gives another folder than $tarball"
    tar -tzvf "$tarball"
    paths "$app/tvout"
    floors "$app/tvout" 2.4
    echo "$tarball: tvout is $(stat -c %s "$app/tvout") bytes, stripped"

    rm -rf "$dir-again"
    (umask 077; pack "$dir-again" "$dir-again" "$@" >/dev/null)
    cmp "$tarball" "$dir-again/${tarball##*/}" ||
        fail "a second build in $dir-again packs another $dir-again/${tarball##*/} than $tarball"
    echo "$tarball: sha256 $(sha256sum <"$tarball" | cut -d' ' -f1), the same from $dir-again"
}

if [ -n "$vendor_sysroot" ]; then
    tools/install-deps.sh git
    step "shipping build with ${prefix}gcc and $vendor_sysroot, its package, the package again"
    package "build-$arch-vendor" "build-$arch-vendor" "$vendor_sysroot" -DTOOLCHAIN_PREFIX="$prefix"
    step "done"
    exit 0
fi

# Host tools only (git reads the commit's time for the package).
tools/install-deps.sh qemu-user "g++-$triplet" "binutils-$triplet" git
sysroot=$root/build-sysroot/$arch
old=$root/build-sysroot/$arch-bullseye
build=build-$arch

step "sysroots $sysroot and $old"
tools/make-sysroot.sh "$arch" "$sysroot"
if [ "$arch" = armhf ]; then
    tools/make-sysroot.sh --release bullseye "$arch" "$old" \
        libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libstdc++6
else
    # Debian 11 no longer carries armel, but its C library for armel lives on
    # in its cross compiler's packages (architecture all, fetched here through
    # the armhf index). The shipping build takes that C library and SDL from
    # the Debian 12 sysroot; there is no Debian 11 armel userland to run on.
    tools/make-sysroot.sh --release bullseye armhf "$old-libc" libc6-dev-armel-cross
    rm -rf "$old"
    cp -al "$sysroot" "$old"
    cp -a "$old-libc/usr/$triplet" "$old/usr/"
fi

# The test programs run with the cross compiler's own C and C++ runtime
# (/usr/<triplet>/lib) in place of bookworm's: a newer compiler's programs
# need a newer libstdc++ (GCC 14's: CXXABI_1.3.15), and that a newer C library
# (GLIBC_2.38). Hard links; files are replaced, never written through.
runroot=$sysroot-run
rm -rf "$runroot"
cp -al "$sysroot" "$runroot"
find "/usr/$triplet/lib" -maxdepth 1 -name '*.so.*' \
    -exec cp -a --remove-destination -t "$runroot/usr/lib/$triplet" {} +
echo "$runroot: $sysroot with the runtime of /usr/$triplet/lib"

step "cross build and the whole suite in qemu-arm"
tools/test.sh "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$triplet.cmake" \
    -DDEVICE_SYSROOT="$sysroot" -DDEVICE_RUN_ROOT="$runroot" -DWERROR=ON

step "the ARM test build writes what the PC build writes"
pc="build-device-pc"
pc_build "$pc" tvout tvout-session
sessions=$build/sessions
rm -rf "$sessions"
mkdir -p "$sessions/devicesdl"
"$pc/tools/tour/tvout-session" "$root/$pc/tvout" "$root" "$sessions/pc.out" "$sessions/pc.err"
# The scripted session of PROGRAM, its output in $sessions/NAME.out and .err.
# The ARM tvout-session starts PROGRAM in the emulator, as the cross build's
# tests do (harness/emulate; EMULATOR_SYSROOT among the NAME=VALUEs).
arm_session() { # name program [NAME=VALUE...]
    "$build/harness/emulate" "$build/tools/tour/tvout-session" "$2" "$root" \
        "$sessions/$1.out" "$sessions/$1.err" "${@:3}"
}
arm_session arm "$root/$build/tvout"
same "$sessions/arm.out" "$sessions/pc.out"
same "$sessions/arm.err" "$sessions/pc.err"

step "the shipping build and its package"
package "$build-ship" "$build" "$old"
ship "$build-nopie" "$old" -DCMAKE_POSITION_INDEPENDENT_CODE=OFF
"${prefix}readelf" -h "$build-nopie/tvout" | grep -q 'EXEC (Executable' ||
    fail "$build-nopie/tvout is not linked without PIE"
floors "$build-nopie/tvout" 2.4
# What is loaded into the shipped program in the sessions below.
floors "$build/harness/libtestdevicetv.so" 2.31
floors "$build/harness/devicesdl/libSDL-1.2.so.0" 2.31

step "sessions of the packaged program in qemu-arm"
# Under qemu-arm -L the hand-off and the directory change are not redirected
# into the sysroot, and nothing is made under /usr: the label font is
# missing and the hand-off fails, so the program ends by itself.
font_line="Unable to load font: /usr/vanu/HYUni_KLR_B_V1.01.ttf(Couldn't open"
# Stock SDL under another name, behind the device library as libSDL-1.2.so.0.
ln -sf "$root/$build/harness/devicesdl/libSDL-1.2.so.0" "$sessions/devicesdl/"
ln -sf "$(realpath "$sysroot/usr/lib/$triplet/libSDL-1.2.so.0")" \
    "$sessions/devicesdl/libSDL-stock.so.0"
run_packaged() { # name binary sysroot way
    local name=$1 way=$4 env=(EMULATOR_SYSROOT="$3") out=$sessions/$1
    case "$way" in
    preloaded) env+=(LD_PRELOAD="$root/$build/harness/libtestdevicetv.so") ;;
    as-sdl) env+=(LD_LIBRARY_PATH="$root/$sessions/devicesdl") ;;
    esac
    [ "$way" = plain ] || env+=(TVOUT_DEVICE_CALLS="$root/$out.calls")
    arm_session "$name" "$2" "${env[@]}"
    # The log is the PC build's, but for the missing font.
    [ "$(grep -c -F -- "$font_line" "$out.out")" = 1 ] ||
        fail "$name: no line \"$font_line\" in $out.out"
    grep -v -F -- "$font_line" "$out.out" >"$out.out-but-font" || true
    same "$out.out-but-font" "$sessions/pc.out"
    if [ "$way" = plain ]; then
        same "$out.err" "$sessions/pc.err"
    else
        # The calls reach the device library, and the stand-in stays silent.
        same "$out.calls" "$sessions/pc.err"
        ! grep '^tvout: ' "$out.err" || fail "$name: the stand-in reported calls as well"
    fi
}
app=$root/$build-ship/unpacked/tvout-$version-$arch
for way in preloaded as-sdl plain; do
    run_packaged "bookworm-$way" "$app/tvout" "$sysroot" "$way"
done
run_packaged "nopie-bookworm-preloaded" "$root/$build-nopie/tvout" "$sysroot" preloaded
if [ "$arch" = armhf ]; then
    for way in preloaded plain; do
        run_packaged "bullseye-$way" "$app/tvout" "$old" "$way"
    done
    run_packaged "nopie-bullseye-preloaded" "$root/$build-nopie/tvout" "$old" preloaded
fi
step "done"
