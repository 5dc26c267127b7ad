#!/usr/bin/env bash
# Installs the built package into a fresh minimal Debian of this machine's release, with apt
# resolving its dependencies as a user's would, and reads its manual pages and versions there.
# Needs root and debootstrap; the mirror is the first of this machine's own apt sources.
# usage: check-clean-install.sh PACKAGE.deb
set -euo pipefail
deb=$(realpath "$1")
suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
mirror=$(awk '/^(URIs:|deb) / { print $2; exit }' /etc/apt/sources.list.d/*.sources /etc/apt/sources.list \
    2>/dev/null || true)
root=$(mktemp -d)
cleanup() {
    umount "$root/proc" 2>/dev/null || true
    rm -rf "$root"
}
trap cleanup EXIT

debootstrap --variant=minbase "$suite" "$root" "$mirror" >/dev/null
mount -t proc proc "$root/proc"
cp "$deb" "$root/tmp/"
chroot "$root" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq man-db "./tmp/$(basename "$deb")" >/dev/null
for program in tq37r-params tq37r-cli tq37r-sim; do
    chroot "$root" env MANPAGER=cat MANWIDTH=80 man "$program" | head -3
    chroot "$root" "$program" --version | head -1
done
echo "clean install: the manual pages and versions of all three programs are there"
