#!/bin/bash
# Runs the shipped ARM package on an emulated handheld (armhf on an ARMv7
# board, armel on an ARMv5TE one) through the scripted session, by keys and
# by the pad's buttons, and compares its screens, log, device calls and
# hand-off with the PC tour's. It runs tools/device.sh ARCH first when what it
# needs of it is missing. Output in build-handheld/ (armel:
# build-handheld-armel/). See docs/handheld.md.
#
#   tools/handheld.sh [armhf|armel]
set -euo pipefail
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/lib.sh"
arch=${1:-armhf}
[ $# -le 1 ] || arch=""
# The boards. The ARMv7 one runs Debian's kernel, with the keyboard's,
# pointer's and pad's modules; the ARMv5TE one a kernel built here, with
# them built in, whose framebuffer stays at 16 bits. The ARMv5TE board only
# halts on a power-off: its reboot, which -no-reboot turns into the end.
case "$arch" in
armhf)
    triplet=arm-linux-gnueabihf depths="16 32" off=poweroff
    modules_needed="ambakmi psmouse uinput joydev evdev"
    board=(-M vexpress-a9 -m 256)
    userland=build-sysroot/armhf-bullseye out=build-handheld
    deps=()
    ;;
armel)
    triplet=arm-linux-gnueabi depths=16 off=reboot modules_needed=""
    board=(-M versatilepb -m 256)
    userland=build-sysroot/armel out=build-handheld-armel
    deps=(linux-source-6.1 make gcc flex bison bc libelf-dev)
    ;;
*) usage ;;
esac
# shellcheck disable=SC2054
board+=(-audiodev none,id=silent -global pl041.audiodev=silent -display none -no-reboot)
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh qemu-system-arm device-tree-compiler cpio xz-utils "binutils-$triplet" \
    "gcc-$triplet" "libc6-dev-${arch}-cross" "${deps[@]}"

guest=$out/guest
kernelroot=build-sysroot/$arch-handheld
devicelib=build-$arch/harness/libtestdevicetv.so
pc=build/tour
monitor=$guest/monitor.sock
pad=$guest/pad

# The ARMv7 board's device tree changed, at BPP bits per pixel: the board's
# own LCD controller (the one QEMU shows) drives a 320x240 panel; the
# motherboard's is off. The driver sets the deepest power-of-two depth the
# memory bandwidth allows at the panel's 6.4 MHz: 16 bits with 16 MB/s (20
# would fit), 32 with 32 MB/s.
vexpress_dts() { # bpp
    cat <<EOF
&{/bus@40000000/motherboard-bus@40000000/iofpga@7,00000000/clcd@1f000} {
    status = "disabled";
};
&{/clcd@10020000} {
    max-memory-bandwidth = <${1}000000>;
};
&{/clcd@10020000/port/endpoint} {
    remote-endpoint = <&panel_in>;
};
/ {
    panel {
        compatible = "panel-dpi";
        port {
            panel_in: endpoint {
                remote-endpoint = <&{/clcd@10020000/port/endpoint}>;
            };
        };
        panel-timing {
            clock-frequency = <6400000>;
            hactive = <320>; vactive = <240>;
            hfront-porch = <20>; hback-porch = <38>; hsync-len = <30>;
            vfront-porch = <4>; vback-porch = <15>; vsync-len = <3>;
        };
    };
};
EOF
}

# The ARMv5TE board's kernel and device tree, built from Debian's kernel
# source with Debian's cross compiler (about 3 minutes on two quiet cores)
# and kept outside the clone, under a key of the source's version and the
# board's configuration and device tree: built again only when one changes.
versatilepb_kernel() {
    local version key work config=tools/handheld/versatilepb.config
    local dts=tools/handheld/versatile-pb-lcd.dts
    version=$(dpkg-query -W -f='${Version}' linux-source-6.1)
    key=$(echo "$version" | cat - "$config" "$dts" | sha256sum | cut -c1-16)
    kernel_dir=${XDG_CACHE_HOME:-$HOME/.cache}/tvout-handheld/versatilepb-$key
    [ ! -f "$kernel_dir/zImage" ] || return 0
    work=$kernel_dir.build
    rm -rf "$work" "$kernel_dir"
    mkdir -p "$work"
    echo "building the kernel from linux-source-6.1 $version in $work"
    tar -xJf /usr/src/linux-source-6.1.tar.xz -C "$work" --strip-components=1
    cp "$dts" "$work/arch/arm/boot/dts/"
    kmake() { make -C "$work" -s ARCH=arm CROSS_COMPILE=arm-linux-gnueabi- "$@"; }
    kmake versatile_defconfig
    (cd "$work" && scripts/kconfig/merge_config.sh -m .config "$root/$config" >/dev/null)
    kmake olddefconfig
    # An option the kernel dropped or could not set would only show at boot.
    grep -v '^#' "$config" | while read -r option; do
        grep -qx "$option" "$work/.config" || fail "the kernel configuration has no $option"
    done
    kmake -j2 zImage versatile-pb-lcd.dtb >"$work.log" 2>&1 ||
        { tail -n 30 "$work.log" >&2; fail "the kernel build failed (its log: $work.log)"; }
    mkdir -p "$kernel_dir.new"
    cp "$work/arch/arm/boot/zImage" "$work/arch/arm/boot/dts/versatile-pb-lcd.dtb" \
        "$kernel_dir.new/"
    mv "$kernel_dir.new" "$kernel_dir"
    rm -rf "$work" "$work.log"
}

step "package"
package=build-$arch/tvout-$(tvout_version)-$arch.tar.gz
if [ ! -f "$package" ] || [ ! -d "$userland" ] || [ ! -f "$devicelib" ]; then
    tools/device.sh "$arch"
fi
echo "$package"

step "the PC tour: the frames and the log to compare with"
mkdir -p "$out"
if ! DISPLAY='' tools/run.sh >"$out/pc-tour.txt" 2>&1; then
    cat "$out/pc-tour.txt" >&2
    fail "the PC tour failed"
fi
cmake --build build -j2 --target tvout-compare >/dev/null
compare=$root/build/tools/tour/tvout-compare
for session in "" --joystick; do
    build/tools/tour/tvout-session --steps $session >"$out/steps$session.txt" ||
        fail "tvout-session --steps $session failed"
done
echo "$pc, $compare"

step "kernel, device trees and busybox"
rm -rf "$guest"
mkdir -p "$guest"
mkfifo "$pad.in" "$pad.out"
if [ "$arch" = armhf ]; then
    # Debian 12's, whatever the machine's release: Debian 13's armmp kernel
    # has no driver for the board's LCD controller.
    tools/make-sysroot.sh --release bookworm armhf "$kernelroot" linux-image-armmp busybox-static
    kernels=("$kernelroot"/boot/vmlinuz-*)
    kernel=${kernels[0]}
    kversion=${kernel##*/vmlinuz-}
    modules=$kernelroot/usr/lib/modules/$kversion
    dtc -q -I dtb -O dts "$kernelroot/usr/lib/linux-image-$kversion/vexpress-v2p-ca9.dtb" \
        >"$guest/board.dts"
    for bpp in $depths; do
        vexpress_dts "$bpp" | cat "$guest/board.dts" - >"$guest/${bpp}bpp.dts"
        dtc -q -I dts -O dtb -o "$guest/${bpp}bpp.dtb" "$guest/${bpp}bpp.dts"
    done
else
    tools/make-sysroot.sh --release bookworm armel "$kernelroot" busybox-static
    begun=$SECONDS
    versatilepb_kernel
    kernel=$kernel_dir/zImage
    kversion="$(dpkg-query -W -f='${Version}' linux-source-6.1), built here"
    cp "$kernel_dir/versatile-pb-lcd.dtb" "$guest/16bpp.dtb"
    echo "the kernel ready after $((SECONDS - begun)) s"
fi
echo "$kernel"

step "root file system"
fs=$guest/root
mkdir -p "$fs"/{bin,lib/modules,dev,proc,sys,out,usr/vanu/apps}
cp "$kernelroot/usr/bin/busybox" "$fs/bin/"
"$triplet-gcc" -std=c99 -Wall -Wextra -Werror -O2 -static -o "$fs/bin/pad" tools/handheld/pad.c
: >"$fs/lib/modules/order"

# The modules for the keyboard, the pointer and the pad, each after those it
# depends on (named in the module); compressed ones are unpacked, built-in
# ones skipped.
add_module() {
    local file dep
    grep -qx "$1" "$fs/lib/modules/order" && return
    grep -q "/$1\.ko\$" "$modules/modules.builtin" && return
    file=$(find "$modules" -name "$1.ko" -o -name "$1.ko.xz" | head -n1)
    [ -n "$file" ] || fail "no module $1 in $modules"
    case "$file" in
    *.xz) xz -dc "$file" >"$fs/lib/modules/$1.ko" ;;
    *) cp "$file" "$fs/lib/modules/" ;;
    esac
    for dep in $(tr '\0' '\n' <"$fs/lib/modules/$1.ko" | sed -n 's/^depends=//p' | tr ',' ' '); do
        add_module "$dep"
    done
    echo "$1" >>"$fs/lib/modules/order"
}
for module in $modules_needed; do
    add_module "$module"
done

# The libraries FILE needs, and theirs, from the userland sysroot.
add_libraries() {
    local lib found
    for lib in $("$triplet-readelf" -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'); do
        [ -e "$fs/lib/$lib" ] && continue
        found=$(find "$userland/usr/lib" -name "$lib" | head -n1)
        [ -n "$found" ] || fail "$lib (needed by ${1##*/}) is not in $userland"
        cp -L "$found" "$fs/lib/"
        add_libraries "$fs/lib/$lib"
    done
}
tar -xzf "$package" -C "$fs/usr/vanu/apps"
app=$(dirname "$(find "$fs/usr/vanu/apps" -name tvout -type f)")
app=${app#"$fs"}
add_libraries "$fs$app/tvout"
loader=$("$triplet-readelf" -l "$fs$app/tvout" | sed -n 's/.*interpreter: \(.*\)]/\1/p')
cp -L "$userland$loader" "$fs$loader"
cp "$devicelib" "$fs/lib/"
add_libraries "$devicelib"
# The PC's device folder (target devicefolder): the stand-in launcher and
# the label font. The launcher's record lands with the program's output.
cp build/system/vanumenu build/system/HYUni_KLR_B_V1.01.ttf "$fs/usr/vanu/"
ln -s /out/launcher.log "$fs/usr/vanu/launcher.log"
cat >"$fs/init" <<EOF
#!/bin/busybox sh
# The handheld's start-up: tvout from its folder as the menu starts it, for
# the session the kernel command line names; then the files of /out go out
# over the console (base64 between marker lines, kernel messages held back)
# and the handheld powers off.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for m in \$(cat /lib/modules/order); do insmod /lib/modules/\$m.ko; done
# The pad, pressed from the host over the second serial line.
pad /dev/ttyAMA1 &
# The keyboard, the pointer and the pad before the program: SDL looks for
# joysticks only as it starts.
inputs=no
for i in \$(seq 100); do
    grep -q 'Handlers=.*kbd' /proc/bus/input/devices &&
        grep -q 'Handlers=.*mouse' /proc/bus/input/devices &&
        grep -q 'Handlers=.*js0' /proc/bus/input/devices && inputs=yes && break
    sleep 0.1
done
echo "tvout-booted \$(cat /sys/class/graphics/fb0/bits_per_pixel) \$inputs"
[ \$inputs = yes ] || $off -f
set -- SDL_MOUSEDRV=PS2 SDL_MOUSEDEV=/dev/input/mice TVOUT_LAUNCHER_QUIET=1
case \$session in device-library | joystick)
    set -- "\$@" LD_PRELOAD=/lib/${devicelib##*/} TVOUT_DEVICE_CALLS=/out/calls.txt ;;
esac
cd $app && env -i "\$@" ./tvout >/out/stdout.txt 2>/out/stderr.txt
dmesg -n 1
for f in /out/*; do echo "tvout-file \${f##*/}"; base64 "\$f"; echo tvout-end; done
# The last lines leave the serial port before the power goes.
echo tvout-done
sleep 1
$off -f
EOF
chmod 755 "$fs/init"
(cd "$fs" && find . | sort | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$guest/initramfs.gz"
echo "kernel $kversion; $(du -sh "$fs" | cut -f1) in $(find "$fs" -type f | wc -l) files," \
    "userland from ${userland##*/}"

hh() { python3 tools/handheld.py "$monitor" "$@"; }
# The pad's button N: a line on its serial port, a pipe that the emulator
# holds open, so that nothing written waits or is lost.
press() { echo "$1" 1<>"$pad.in"; }

booted() { grep -aqs 'tvout-booted [0-9]' "$dir/console.txt" || stopped "$qemu"; }
# Boots the handheld for session NAME with its framebuffer at BPP bits per
# pixel, its console and the files that come back over it in DIR.
boot() { # name bpp dir
    local attempt line why
    name=$1 dir=$3
    mkdir -p "$dir"
    for attempt in 1 2; do
        rm -f "$dir"/{stdout.txt,stderr.txt,launcher.log,calls.txt,console.txt} "$monitor"
        background qemu-system-arm "${board[@]}" -kernel "$kernel" -dtb "$guest/$2bpp.dtb" \
            -initrd "$guest/initramfs.gz" \
            -append "console=ttyAMA0 rdinit=/init panic=1 session=$name" \
            -monitor none -serial "file:$dir/console.txt" \
            -serial "pipe:$pad" -qmp "unix:$monitor,server=on,wait=off"
        qemu=$!
        started=$SECONDS
        wait_for 60 booted || true
        line=$(grep -aos 'tvout-booted [0-9]* [a-z]*' "$dir/console.txt" | head -n1) || true
        [ "${line##* }" != yes ] || break
        why="the emulator stopped before the handheld booted"
        [ -z "$line" ] || why="no keyboard, pointer and pad within 10 s"
        [ -n "$line" ] || stopped "$qemu" || why="the handheld did not boot within 60 s"
        stop "$qemu"
        mv "$dir/console.txt" "$dir/console-$attempt.txt"
        # A board that stalls while it starts gets a second boot; the
        # program has not started yet.
        [ "$attempt" = 2 ] || echo "$name: $why; booting again"
    done
    [ "${line##* }" = yes ] || fail "$name: $why (its console: $dir/console-2.txt)"
    line=${line% *}
    [ "${line##* }" = "$2" ] || fail "$name: the framebuffer has ${line##* } bits per pixel, not $2"
    echo "$name: booted after $((SECONDS - started)) s, framebuffer at $2 bits per pixel"
}

# Waits for the power-off, then takes the files out of the console.
finish() {
    local file
    wait_for 60 stopped "$qemu" ||
        fail "$name: the handheld did not power off within 60 s (its console: $dir/console.txt)"
    grep -aq '^tvout-done' "$dir/console.txt" ||
        fail "$name: the files did not all come back (its console: $dir/console.txt)"
    awk -v dir="$dir" '{ sub(/\r$/, "") } /^tvout-end/ { file = "" } file { print >file }
        /^tvout-file / { file = dir "/" $2 ".base64"; printf "" >file }' "$dir/console.txt"
    for file in "$dir"/*.base64; do
        base64 -d "$file" >"${file%.base64}" || fail "$name: ${file%.base64} came back damaged"
        rm "$file"
    done
    [ -s "$dir/launcher.log" ] || fail "$name: no hand-off to the launcher (log: $dir/stdout.txt)"
    echo "$name: handed off and powered off after $((SECONDS - started)) s"
}

# Waits up to SECONDS for the screen (kept as OUT) to become the PC's picture.
shows() { # expected out
    hh "screendump $root/$2 -f png" && "$compare" --rgb565 "$1" "$2" >"$2.diff" 2>&1
}
wait_for_screen() { # seconds expected out
    wait_for "$1" shows "$2" "$3" ||
        fail "$name: the screen did not become $2 within $1 s: $(cat "$3.diff")" \
            "(last screen in $3; the console: $dir/console.txt)"
}

# Puts the pointer at (X, Y) in small steps (longer moves lose motion on the
# way), the first time from the top left corner.
pointer_to() { # x y
    local moves=() dx dy sx sy
    if [ -z "$px" ]; then
        for _ in 1 2 3 4 5 6 7 8 9; do moves+=("mouse_move -40 -40"); done
        px=0 py=0
    fi
    dx=$(($1 - px)) dy=$(($2 - py))
    while [ "$dx" -ne 0 ] || [ "$dy" -ne 0 ]; do
        sx=$((dx > 40 ? 40 : dx < -40 ? -40 : dx)) sy=$((dy > 40 ? 40 : dy < -40 ? -40 : dy))
        moves+=("mouse_move $sx $sy")
        dx=$((dx - sx)) dy=$((dy - sy))
    done
    px=$1 py=$2
    [ ${#moves[@]} -eq 0 ] || hh "${moves[@]}"
}

# The scripted session (STEPS: keys, or the pad's buttons) on a freshly
# booted handheld; no input overtakes the frame of the step before, and the
# last step hands off to the launcher.
session() { # name dir steps
    boot "$1" 16 "$2"
    local frames=("$pc"/0*.png) n=0 action a b
    wait_for_screen 60 "${frames[0]}" "$dir/${frames[0]##*/}"
    echo "$name: first frame after $((SECONDS - started)) s"
    px="" py=""
    while read -r action a b; do
        case "$action" in
        key) hh "sendkey $a" ;;
        pointer) pointer_to "$a" "$b" ;;
        button) hh "mouse_button $a" ;;
        joy) press "$a" ;;
        shown)
            n=$((n + 1))
            [ "$n" -ge ${#frames[@]} ] || wait_for_screen 20 "${frames[n]}" "$dir/${frames[n]##*/}"
            ;;
        esac
    done <"$3"
    finish
    # The PC's log and hand-off; with the device library the calls reach it,
    # and standard error keeps the rest.
    same "$dir/stdout.txt" "$guest/pc-stdout.txt"
    if [ "$name" = plain ]; then
        same "$dir/stderr.txt" "$pc/stderr.txt"
    else
        same "$dir/calls.txt" "$guest/pc-calls.txt"
        same "$dir/stderr.txt" "$guest/pc-stderr-without-calls.txt"
    fi
    handed_to --view-apps
}

# The PC log as the handheld writes it: the working directory is the app
# folder, and the PC's stand-in launcher wrote its own line into the log.
sed -e "s|^$root\$|$app|" -e '/^launcher: /d' "$pc/stdout.txt" >"$guest/pc-stdout.txt"
# The launcher's record: its folder, its path, and the view it was asked for.
handed_to() { # view
    printf '%s\n' /usr/vanu /usr/vanu/vanumenu "$1" >"$dir/launcher-expected.log"
    same "$dir/launcher.log" "$dir/launcher-expected.log"
}
# The log without the source line numbers ("main.cpp_ N]").
unnumbered() { sed 's/\.cpp_ [ 0-9]*]/.cpp_ N]/' "$1"; }

grep '^tvout: ' "$pc/stderr.txt" >"$guest/pc-calls.txt" || true
grep -v '^tvout: ' "$pc/stderr.txt" >"$guest/pc-stderr-without-calls.txt" || true

step "session: start, label, tap PAL, keypad 6, tap Cancel"
session plain "$out" "$out/steps.txt"
step "session with the device library preloaded"
session device-library "$out/device-library" "$out/steps.txt"
step "session by the pad's buttons (8, 6, one the program does not map), the device library preloaded"
session joystick "$out/joystick" "$out/steps--joystick.txt"

# The ARMv5TE board's driver keeps the framebuffer at 16 bits.
if [ "$arch" = armhf ]; then
    step "booted at 32 bits per pixel: the video mode fails"
    boot 32bpp 32 "$out/32bpp"
    finish
    unnumbered "$dir/stdout.txt" >"$dir/stdout-unnumbered.txt"
    {
        unnumbered "$guest/pc-stdout.txt" | sed -n 1p
        printf '%s\n' "$app" "mainmenuapp.cpp_ N]  Couldn't set 320x240x16 video mode: $(
            )Couldn't set console screen info" "main.cpp_ N]  exit code(--view-main) !!"
    } >"$guest/32bpp-stdout.txt"
    same "$dir/stdout-unnumbered.txt" "$guest/32bpp-stdout.txt"
    [ ! -s "$dir/stderr.txt" ] || fail "$dir/stderr.txt is not empty"
    handed_to --view-main
fi

step "done"
