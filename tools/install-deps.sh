#!/bin/sh
# Installs the missing Debian packages (12 or 13) the project needs, with apt-get
# as root or through sudo; --artwork adds make_artwork.sh's, other scripts theirs.
#
#   tools/install-deps.sh [--artwork] [package...]
set -eu

packages="cmake g++ make pkg-config python3
libsdl1.2-dev libsdl-image1.2-dev libsdl-ttf2.0-dev
googletest libgtest-dev libgmock-dev
fonts-nanum
xvfb xauth libx11-dev libxtst-dev"
for arg in "$@"; do
    case "$arg" in
    --artwork) packages="$packages imagemagick fonts-dejavu-core" ;;
    *) packages="$packages $arg" ;;
    esac
done

missing=""
for p in $packages; do
    case $(dpkg-query -W -f='${Status}' "$p" 2>/dev/null) in
    *" installed") ;;
    *) missing="$missing $p" ;;
    esac
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
echo "Installing:$missing"
$sudo apt-get update -qq
# shellcheck disable=SC2086 # $missing is a list of names
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
