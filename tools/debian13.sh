#!/bin/bash
# Runs tools/test.sh and the headless tour (env DISPLAY= tools/run.sh, which
# must end with the launcher stand-in's line) as a new user would on a fresh
# Debian 13: in a root made by mmdebstrap (variant apt, release trixie, from
# the machine's Debian mirror) holding a git clone of this checkout's
# committed state, where tools/test.sh installs what it needs itself. Then
# each further COMMAND runs inside, in the project's folder, in turn.
#
#   tools/debian13.sh [DIR [COMMAND...]]   (default build-debian13; DIR/root is remade)
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/lib.sh
tools/install-deps.sh mmdebstrap git

mkdir -p "${1:-build-debian13}"
root="$(cd "${1:-build-debian13}" && pwd)/root"
[ $# -eq 0 ] || shift
release=trixie

# What is mounted in the root goes when the script ends, however it ends,
# deepest first: /dev/pts and /dev/shm before /dev.
unmount_all() {
    local target
    findmnt -rn -o TARGET | awk -v r="$root" '$0 == r || index($0, r "/") == 1' | sort -r |
        while read -r target; do
            umount "$target" 2>/dev/null || umount -l "$target"
        done
}
trap unmount_all EXIT

mirror=$(debian_mirror)

# A root left mounted by a run that was killed is unmounted before it goes;
# rm stays on this file system all the same.
unmount_all
rm -rf --one-file-system "$root"

SECONDS=0
mmdebstrap --quiet --variant=apt "$release" "$root" "deb $mirror $release main"
git clone --quiet "$PWD" "$root/src/tvout"
made=$SECONDS
echo "debian13: root and clone made in $made s"

# Private, so that nothing mounted below them reaches the machine's own.
for fs in /proc /sys /dev /dev/pts; do
    mount --bind "$fs" "$root$fs"
    mount --make-private "$root$fs"
done
mount -t tmpfs -o mode=1777 tmpfs "$root/dev/shm"

inside() {
    chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root \
        LANG=C.UTF-8 /bin/sh -c "cd /src/tvout && $1"
}
inside "tools/test.sh"
# Here every case of the whole-program tests runs: none may skip.
inside "! build/tests/test_process | grep -F '[  SKIPPED ]' && ! build/tests/test_e2e | grep -F '[  SKIPPED ]'"
tested=$SECONDS
inside "env DISPLAY= tools/run.sh" | tee "$root/src/tvout/tour.txt"
grep -q "launcher: asked to open --view-apps" "$root/src/tvout/tour.txt"

echo "debian13: root and clone $made s, tools/test.sh $((tested - made)) s," \
    "tour $((SECONDS - tested)) s"
for command in "$@"; do
    begun=$SECONDS
    inside "$command"
    echo "debian13: $command $((SECONDS - begun)) s"
done
echo "debian13: in all $SECONDS s"
