#!/bin/sh
# Prints the Debian mirror that serves the machine's own release (its main
# component), as apt is configured: other releases come from the same one.
set -eu
. /etc/os-release
# shellcheck disable=SC2016 # apt's placeholders, not the shell's
mirror=$(apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(COMPONENT)' |
    awk -v r="${VERSION_CODENAME:-}" '$2 == r && $3 == "main" { print $1; exit }')
if [ -z "$mirror" ]; then
    echo "$0: no Debian mirror for '${VERSION_CODENAME:-}' main among the machine's sources" >&2
    exit 1
fi
echo "$mirror"
