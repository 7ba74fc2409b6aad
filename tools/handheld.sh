#!/bin/bash
# Runs the shipped ARM package on an emulated handheld and checks it against
# the PC build.
#
#   tools/handheld.sh
#
# The handheld is a Versatile Express board in qemu-system-arm with Debian's
# armhf kernel: no X, a 320x240 16-bit framebuffer, a PS/2 keyboard and mouse.
# Its root file system, made here, holds busybox, the libraries tvout needs
# (from the bullseye sysroot, an older userland), the package unpacked under
# /usr/vanu/apps, the label font and a launcher at /usr/vanu/vanumenu that
# writes down how it was started. Keys and the pointer go in through the
# emulator's monitor, screenshots come from it, and files come out through a
# shared folder. Three sessions, each on a freshly booted handheld:
#
#   build-handheld/                 start, keypad 8 (label), tap PAL, keypad 6,
#                                   keypad +: the frames 01-start.png,
#                                   02-label.png and 03-pal-pressed.png equal
#                                   the PC tour's (build/tour/), the log and the
#                                   device calls are the PC's, and the launcher
#                                   gets --view-apps in /usr/vanu
#   build-handheld/device-library/  the same with the tests' device library
#                                   preloaded: it gets the calls, and the
#                                   stand-in says nothing
#   build-handheld/32bpp/           booted at 32 bits per pixel: the video mode
#                                   fails and the launcher gets --view-main
#
# It uses the package, the bullseye sysroot and the tests' device library from
# tools/device.sh armhf, and runs that first if one is missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
triplet=arm-linux-gnueabihf
tools/install-deps.sh qemu-system-arm device-tree-compiler cpio "binutils-$triplet"

out=build-handheld
guest=$out/guest
kernelroot=build-sysroot/armhf-handheld
userland=build-sysroot/armhf-bullseye
devicelib=build-armhf/tests/libtestdevicetv.so
pc=build/tour
monitor=$guest/monitor.sock
step() { printf '\n== %s (%s s)\n' "$1" "$SECONDS"; }
fail() { echo "handheld: $*" >&2; exit 1; }

qemu=""
running() { [ -n "$qemu" ] && kill -0 "$qemu" 2>/dev/null; }
stopped() { ! running; }
stop_vm() {
    if running; then
        kill "$qemu" 2>/dev/null || true
        wait_for 10 stopped || kill -KILL "$qemu" 2>/dev/null || true
        wait "$qemu" 2>/dev/null || true
    fi
    qemu=""
}
trap stop_vm EXIT
trap 'exit 1' INT TERM

# Runs COMMAND... every 0.2 s until it succeeds, for at most SECONDS.
wait_for() {
    local end=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.2
    done
}

step "package"
packages=(build-armhf/tvout-*-armhf.tar.gz)
if [ ! -f "${packages[0]}" ] || [ ! -d "$userland" ] || [ ! -f "$devicelib" ]; then
    tools/device.sh armhf
    packages=(build-armhf/tvout-*-armhf.tar.gz)
fi
package=${packages[0]}
echo "$package"

step "the PC tour: the frames and the log to compare with"
mkdir -p "$out"
if ! DISPLAY='' tools/run.sh >"$out/pc-tour.txt" 2>&1; then
    cat "$out/pc-tour.txt" >&2
    fail "the PC tour failed"
fi
echo "$pc"

step "kernel and busybox"
tools/make-sysroot.sh armhf "$kernelroot" linux-image-armmp busybox-static
kernels=("$kernelroot"/boot/vmlinuz-*)
kernel=${kernels[0]}
kversion=${kernel##*/vmlinuz-}
modules=$kernelroot/usr/lib/modules/$kversion
echo "$kernel"

step "device trees"
# The board's own LCD controller (the one QEMU shows) drives a 320x240 panel;
# the motherboard's is off. The driver sets the deepest power-of-two depth
# the memory bandwidth allows at the panel's 6.4 MHz: 16 bits with 16 MB/s
# (20 would fit), 32 bits with 32 MB/s.
rm -rf "$guest"
mkdir -p "$guest"
dtb=$kernelroot/usr/lib/linux-image-$kversion/vexpress-v2p-ca9.dtb
dtc -q -I dtb -O dts "$dtb" >"$guest/board.dts"
for bpp in 16 32; do
    cat "$guest/board.dts" - >"$guest/${bpp}bpp.dts" <<EOF
&{/bus@40000000/motherboard-bus@40000000/iofpga@7,00000000/clcd@1f000} {
    status = "disabled";
};
&{/clcd@10020000} {
    max-memory-bandwidth = <${bpp}000000>;
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
            hactive = <320>;
            vactive = <240>;
            hfront-porch = <20>;
            hback-porch = <38>;
            hsync-len = <30>;
            vfront-porch = <4>;
            vback-porch = <15>;
            vsync-len = <3>;
        };
    };
};
EOF
    dtc -q -I dts -O dtb -o "$guest/${bpp}bpp.dtb" "$guest/${bpp}bpp.dts"
done

step "root file system"
fs=$guest/root
mkdir -p "$fs"/{bin,lib/modules,dev,proc,sys,out,usr/vanu/apps}
cp "$kernelroot/usr/bin/busybox" "$fs/bin/"

# The modules for the keyboard and mouse port, the shared folder and its
# transport, each after those it depends on.
add_module() {
    local file dep
    grep -qx "$1" "$fs/lib/modules/order" 2>/dev/null && return
    file=$(find "$modules" -name "$1.ko" | head -n1)
    [ -n "$file" ] || fail "no module $1 in $modules"
    for dep in $(tr '\0' '\n' <"$file" | sed -n 's/^depends=//p' | tr ',' ' '); do
        add_module "$dep"
    done
    cp "$file" "$fs/lib/modules/"
    echo "$1" >>"$fs/lib/modules/order"
}
for module in ambakmi psmouse virtio_mmio 9pnet_virtio 9p; do
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
cp /usr/share/fonts/truetype/nanum/NanumGothicBold.ttf "$fs/usr/vanu/HYUni_KLR_B_V1.01.ttf"

cat >"$fs/usr/vanu/vanumenu" <<'EOF'
#!/bin/sh
# The menu launcher: writes down its argument and working directory.
{ echo "$1"; pwd; } >/out/launcher.txt
EOF
cat >"$fs/init" <<EOF
#!/bin/busybox sh
# The handheld's start-up: devices, the shared folder, then tvout from its
# folder as the menu starts it, its output into the shared folder; power off
# when the launcher is done. The kernel command line names the session.
/bin/busybox --install -s /bin
mount -t proc proc /proc
mount -t sysfs sysfs /sys
mount -t devtmpfs devtmpfs /dev
for m in \$(cat /lib/modules/order); do insmod /lib/modules/\$m.ko; done
mount -t 9p -o trans=virtio,version=9p2000.L out /out &&
    cat /sys/class/graphics/fb0/bits_per_pixel >/out/booted
set -- SDL_MOUSEDRV=PS2 SDL_MOUSEDEV=/dev/input/mice
[ "\$session" = device-library ] &&
    set -- "\$@" LD_PRELOAD=/lib/${devicelib##*/} TVOUT_DEVICE_CALLS=/out/calls.txt
cd $app && env -i "\$@" ./tvout >/out/stdout.txt 2>/out/stderr.txt
sync
poweroff -f
EOF
chmod 755 "$fs/init" "$fs/usr/vanu/vanumenu"
(cd "$fs" && find . | sort | cpio -o -H newc -R 0:0 --quiet) | gzip -1 >"$guest/initramfs.gz"
echo "kernel $kversion; $(du -sh "$fs" | cut -f1) in $(find "$fs" -type f | wc -l) files," \
    "userland from ${userland##*/}"

hh() { python3 tools/handheld.py "$@"; }

booted() { [ -s "$dir/booted" ] || stopped; }
# Boots the handheld for session NAME with its framebuffer at BPP bits per
# pixel, sharing DIR.
boot() {
    name=$1 dir=$3
    mkdir -p "$dir"
    rm -f "$dir"/{booted,stdout.txt,stderr.txt,launcher.txt,calls.txt,console.txt} "$monitor"
    qemu-system-arm -M vexpress-a9 -m 256 -kernel "$kernel" \
        -dtb "$guest/$2bpp.dtb" -initrd "$guest/initramfs.gz" \
        -append "console=ttyAMA0 rdinit=/init panic=1 session=$name" -no-reboot \
        -display none -monitor none -serial "file:$dir/console.txt" \
        -audiodev none,id=silent -global pl041.audiodev=silent \
        -qmp "unix:$monitor,server=on,wait=off" \
        -fsdev "local,id=out,path=$dir,security_model=none" \
        -device virtio-9p-device,fsdev=out,mount_tag=out &
    qemu=$!
    started=$SECONDS
    wait_for 60 booted || true
    if [ ! -s "$dir/booted" ]; then
        running || fail "$name: the emulator stopped before the handheld booted" \
            "(its console: $dir/console.txt)"
        fail "$name: the handheld did not boot within 60 s (its console: $dir/console.txt)"
    fi
    [ "$(cat "$dir/booted")" = "$2" ] ||
        fail "$name: the framebuffer has $(cat "$dir/booted") bits per pixel, not $2"
    echo "$name: booted after $((SECONDS - started)) s, framebuffer at $2 bits per pixel"
}

# Waits for the launcher's record, then for the power-off.
finish() {
    wait_for 30 test -s "$dir/launcher.txt" ||
        fail "$name: no hand-off to the launcher within 30 s (log: $dir/stdout.txt)"
    wait_for 30 stopped ||
        fail "$name: the handheld did not power off within 30 s"
    wait "$qemu" || true
    qemu=""
    echo "$name: handed off and powered off after $((SECONDS - started)) s"
}

# The session of the PC tour's first three frames: start, keypad 8, tap PAL,
# keypad 6, keypad +. Each step waits until the screen shows what the PC's
# did, so no input overtakes the one before.
session() {
    boot "$1" 16 "$2"
    hh frame "$monitor" "$pc/01-start.png" "$dir/01-start.png" 60 ||
        fail "$name: no first frame equal to the PC's; standard error:" \
            "$(cat "$dir/stderr.txt" 2>/dev/null)"
    echo "$name: first frame after $((SECONDS - started)) s"
    hh send "$monitor" "sendkey kp_8"
    hh frame "$monitor" "$pc/02-label.png" "$dir/02-label.png" 20 || fail "$name: no label"
    # Park the pointer in the top left corner, then go to PAL in small steps:
    # longer moves lose motion on the way.
    local moves=() i
    for i in 1 2 3 4 5 6 7 8 9; do moves+=("mouse_move -40 -40"); done
    for i in 1 2 3 4 5 6; do moves+=("mouse_move 45 0"); done
    hh send "$monitor" "${moves[@]}" "mouse_move 0 30" "mouse_move 0 29" "mouse_button 1"
    hh frame "$monitor" "$pc/03-pal-pressed.png" "$dir/03-pal-pressed.png" 20 ||
        fail "$name: PAL not pressed"
    hh send "$monitor" "mouse_button 0"
    hh frame "$monitor" "$pc/02-label.png" "$guest/pal-released.png" 20 ||
        fail "$name: PAL not released"
    hh send "$monitor" "sendkey kp_6" "sendkey kp_add"
    finish
}

# The PC log as the handheld writes it: the working directory is the app
# folder, and the PC's stand-in launcher wrote its own line into the log.
sed -e "s|^$root\$|$app|" -e '/^launcher: /d' "$pc/stdout.txt" >"$guest/pc-stdout.txt"
same() {
    [ -f "$1" ] || fail "no $1"
    cmp -s "$1" "$2" || { diff "$1" "$2" >&2 || true; fail "$1 is not $2"; }
    echo "$1: the same as $2"
}
# FILE has one line per PATTERN, each matching its own (grep -x).
lines_match() {
    local file=$1 patterns=("${@:2}") i=0 line
    [ "$(wc -l <"$file")" -eq ${#patterns[@]} ] ||
        { cat "$file" >&2; fail "$file: not ${#patterns[@]} lines"; }
    while IFS= read -r line; do
        grep -qx -- "${patterns[i]}" <<<"$line" || fail "$file: '$line' is not '${patterns[i]}'"
        i=$((i + 1))
    done <"$file"
    echo "$file: as expected"
}
handed_to() {
    lines_match "$dir/launcher.txt" "$1" /usr/vanu
}

step "session: start, label, tap PAL, keypad 6, keypad +"
session plain "$out"
for frame in 01-start 02-label 03-pal-pressed; do
    hh compare "$dir/$frame.png" "$pc/$frame.png"
done
same "$dir/stdout.txt" "$guest/pc-stdout.txt"
same "$dir/stderr.txt" "$pc/stderr.txt"
handed_to --view-apps

step "session with the device library preloaded"
session device-library "$out/device-library"
same "$dir/stdout.txt" "$guest/pc-stdout.txt"
grep '^tvout: ' "$pc/stderr.txt" >"$guest/pc-calls.txt" || true
grep -v '^tvout: ' "$pc/stderr.txt" >"$guest/pc-stderr-without-calls.txt" || true
same "$dir/calls.txt" "$guest/pc-calls.txt"
same "$dir/stderr.txt" "$guest/pc-stderr-without-calls.txt"
handed_to --view-apps

step "booted at 32 bits per pixel: the video mode fails"
boot 32bpp 32 "$out/32bpp"
finish
lines_match "$dir/stdout.txt" "$(sed -n 1p "$guest/pc-stdout.txt")" "$app" \
    "mainmenuapp.cpp_ [ 0-9]*]  Couldn't set 320x240x16 video mode: $(
    )Couldn't set console screen info" \
    "main.cpp_ [ 0-9]*]  exit code(--view-main) !!"
[ ! -s "$dir/stderr.txt" ] || fail "$dir/stderr.txt is not empty"
handed_to --view-main

step "done"
