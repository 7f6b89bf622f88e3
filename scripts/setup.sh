#!/usr/bin/env bash
# Installs what building and testing Pixelzaun needs on Debian 12. Idempotent: when every
# package is there already it only checks and returns.
set -euo pipefail

PACKAGES=(
    cmake make patch g++ clang libclang-rt-14-dev valgrind
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb x11-apps imagemagick
    libstb-dev googletest
)

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
