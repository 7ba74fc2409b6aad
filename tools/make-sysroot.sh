#!/bin/bash
# Makes an ARM sysroot in a folder from Debian's own packages: what the cross
# build and the tests link against, and what qemu-arm -L loads them from.
#
#   tools/make-sysroot.sh [--release NAME] armhf|armel DIR [PACKAGE...]
#
# It changes nothing on the machine: apt runs with a private state (lists,
# cache and an empty status file in DIR.apt) and only downloads; the packages
# are unpacked into DIR, not installed. When the list of packages to fetch is
# the one DIR was made from, DIR is kept as it is.
#
# Without --release the machine's own sources are used as they are. With it,
# an older userland such as bullseye comes from the machine's Debian mirror
# with the release name changed: its main suite only, no updates or security.
# PACKAGE... replaces the project's list (SDL and what the tests link).
set -euo pipefail

usage() { echo "usage: $0 [--release NAME] armhf|armel DIR [PACKAGE...]" >&2; exit 2; }
release=""
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
state="$dir.apt"
shift 2

# What the program and its tests link against; apt adds the whole closure.
packages="libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgtest-dev libgmock-dev
libx11-dev libxtst-dev libstdc++6"
[ $# -eq 0 ] || packages="$*"

mkdir -p "$state/lists/partial" "$state/cache/archives/partial"
touch "$state/status"
# The machine's hooks act on the machine's own state: none of them run here.
cat >"$state/apt.conf" <<EOF
APT::Architecture "$arch";
APT::Architectures { "$arch"; };
APT::Install-Recommends "false";
APT::Sandbox::User "root";
Dir::State "$state";
Dir::State::lists "$state/lists";
Dir::State::status "$state/status";
Dir::Cache "$state/cache";
Dir::Cache::archives "$state/cache/archives";
Dir::Cache::pkgcache "";
Dir::Cache::srcpkgcache "";
#clear APT::Update::Pre-Invoke;
#clear APT::Update::Post-Invoke;
#clear APT::Update::Post-Invoke-Success;
#clear DPkg::Pre-Invoke;
#clear DPkg::Post-Invoke;
EOF

if [ -n "$release" ]; then
    # The mirror that serves the machine's own release, read before the
    # private configuration takes over.
    mirror=$("$(dirname "$0")/debian-mirror.sh")
    mkdir -p "$state/sources.list.d"
    echo "deb [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] $mirror $release main" \
        >"$state/sources.list"
    cat >>"$state/apt.conf" <<EOF
Dir::Etc::sourcelist "$state/sources.list";
Dir::Etc::sourceparts "$state/sources.list.d";
EOF
fi
export APT_CONFIG="$state/apt.conf"

if ! apt-get update -qq; then
    echo "$0: cannot fetch the package lists${release:+ of $release from ${mirror:-}}" >&2
    exit 1
fi
# Lines of 'URI' FILE SIZE HASH, one per package of the closure (listed
# against an empty archive folder: apt leaves out what it has downloaded).
mkdir -p "$state/none/partial"
# shellcheck disable=SC2086
apt-get install -qq --print-uris -o Dir::Cache::archives="$state/none" $packages |
    grep "^'" | sort >"$state/uris.new"
if [ -f "$dir/.packages" ] && cmp -s "$state/uris.new" "$dir/.packages"; then
    echo "sysroot $dir is up to date ($(wc -l <"$dir/.packages") packages)"
    exit 0
fi

# shellcheck disable=SC2086
apt-get install -qq --download-only $packages >/dev/null
find "$dir" -mindepth 1 -maxdepth 1 -exec rm -rf {} +
while read -r _ file _; do
    dpkg-deb -x "$state/cache/archives/$file" "$dir"
done <"$state/uris.new"

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
find "$dir" -type l -lname '/*' | while read -r link; do
    target=$(readlink "$link")
    case "$target" in /bin/* | /sbin/* | /lib/*) target="/usr$target" ;; esac
    ln -sfn "$(realpath -m -s --relative-to="$(dirname "$link")" "$dir$target")" "$link"
done

mv "$state/uris.new" "$dir/.packages"
echo "sysroot $dir: $(wc -l <"$dir/.packages") packages," \
    "$(awk '{s += $3} END {printf "%.1f MB", s / 1e6}' "$dir/.packages") downloaded"
