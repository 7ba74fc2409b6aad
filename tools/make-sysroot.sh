#!/bin/bash
# Makes an ARM sysroot in a folder from Debian's own packages: what the cross
# build and the tests link against, and what qemu-arm -L loads them from.
#
#   tools/make-sysroot.sh armhf|armel DIR
#
# It changes nothing on the machine: apt runs with a private state (lists,
# cache and an empty status file in DIR.apt) and the machine's sources, and
# only downloads; the packages are unpacked into DIR, not installed. When the
# list of packages to fetch is the one DIR was made from, DIR is kept as it is.
set -euo pipefail

usage() { echo "usage: $0 armhf|armel DIR" >&2; exit 2; }
[ $# -eq 2 ] || usage
arch=$1
case "$arch" in armhf | armel) ;; *) usage ;; esac
mkdir -p "$2"
dir=$(cd "$2" && pwd)
state="$dir.apt"

# What the program and its tests link against; apt adds the whole closure.
packages="libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev libgtest-dev libgmock-dev
libx11-dev libxtst-dev libstdc++6"

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
export APT_CONFIG="$state/apt.conf"

apt-get update -qq
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
