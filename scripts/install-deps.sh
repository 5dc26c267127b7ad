#!/usr/bin/env bash
# Installs the Debian packages the build, tests and demo need, only when some are missing.
# usage: install-deps.sh [linux] [windows]   (default: both)
set -euo pipefail
linux=(
    cmake ninja-build g++ clang libclang-rt-14-dev pkg-config dpkg-dev
    libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
    qt6-base-dev qt6-base-dev-tools libgl-dev
    xvfb xauth fonts-wqy-zenhei stress-ng
    help2man lintian appstream
)
# The Windows program cross-built with mingw-w64 and tested under Wine: GoogleTest from its
# sources, a helper in Python, key presses and the screenshot under Xvfb.
windows=(
    cmake ninja-build g++ g++-mingw-w64-x86-64-posix googletest zip
    wine wine64 python3 xvfb xauth xdotool imagemagick fonts-wqy-zenhei
)
packages=()
for list in "${@:-linux windows}"; do
    for name in $list; do
        case "$name" in
        linux) packages+=("${linux[@]}") ;;
        windows) packages+=("${windows[@]}") ;;
        *) echo "install-deps.sh: unknown list $name" >&2; exit 2 ;;
        esac
    done
done
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing missing packages: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
