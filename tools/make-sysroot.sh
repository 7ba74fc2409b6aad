#!/bin/bash
# Makes an ARM sysroot in DIR from Debian's own packages, unpacked by
# mmdebstrap (nothing is installed): what the cross build and the tests link
# against, and what qemu-arm -L loads them from. The release is bookworm,
# whose SDL 1.2 is the classic library as on the device, unless --release
# names another. PACKAGE... replaces the project's list. DIR made by the same
# command is kept; remove it to fetch anew. See docs/device.md.
#
#   tools/make-sysroot.sh [--release NAME] armhf|armel DIR [PACKAGE...]
set -euo pipefail
# shellcheck source=tools/lib.sh
. "$(dirname "$0")/lib.sh"

release=bookworm
if [ "${1:-}" = --release ]; then
    [ $# -ge 2 ] || usage
    release=$2
    shift 2
fi
[ $# -ge 2 ] || usage
arch=$1
case "$arch" in armhf | armel) ;; *) usage ;; esac
mkdir -p "$2"
dir=$(cd "$2" && pwd)
shift 2
"$(dirname "$0")/install-deps.sh" mmdebstrap

packages=(libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgtest-dev libgmock-dev
    libx11-dev libxtst-dev libstdc++6)
[ $# -eq 0 ] || packages=("$@")

# The machine's own sources of the release (its updates and security suites
# included), else its Debian mirror with the release name changed, main only.
# shellcheck disable=SC2016 # apt's placeholders, not the shell's
sources=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' |
    awk -v r="$release" '$2 == r || index($2, r "-") == 1' | sort -u)
[ -n "$sources" ] || sources="$(debian_mirror) $release main"
mirrors=()
while read -r uri suite component; do
    mirrors+=("deb $uri $suite $component")
done <<<"$sources"

command=(mmdebstrap --quiet --variant=extract --architectures="$arch"
    --include="$(IFS=,; echo "${packages[*]}")" "$release" "$dir" "${mirrors[@]}")
if [ -f "$dir/.made-by" ] && [ "$(cat "$dir/.made-by")" = "${command[*]}" ]; then
    echo "sysroot $dir is kept (made by the same command)"
    exit 0
fi
find "$dir" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
"${command[@]}" || fail "mmdebstrap could not make $dir from ${mirrors[*]}"

# One tree under usr/, as on a merged-/usr system: qemu-arm -L and the
# loaders look in /lib/<triplet> and find usr/lib/<triplet> through it.
for top in bin sbin lib; do
    if [ -d "$dir/$top" ] && [ ! -L "$dir/$top" ]; then
        mkdir -p "$dir/usr/$top"
        cp -a "$dir/$top/." "$dir/usr/$top/"
        rm -rf "${dir:?}/$top"
    fi
    ln -sfn "usr/$top" "$dir/$top"
done

# Absolute links point into the machine; make them point within DIR.
find "$dir" -path "$dir/dev" -prune -o -type l -lname '/*' -print | while read -r link; do
    target=$(readlink "$link")
    case "$target" in /bin/* | /sbin/* | /lib/*) target="/usr$target" ;; esac
    ln -sfn "$(realpath -m -s --relative-to="$(dirname "$link")" "$dir$target")" "$link"
done

echo "${command[*]}" >"$dir/.made-by"
echo "sysroot $dir: $release $arch, $(du -sh "$dir" | cut -f1)"
