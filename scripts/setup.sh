#!/usr/bin/env bash
# Installs what building and testing Pixelzaun needs on Debian 12, and the German locale
# the Wine prefixes run under. Idempotent: when everything is there already it only checks
# and returns.
set -euo pipefail

PACKAGES=(
    cmake make patch g++ clang libclang-rt-14-dev valgrind
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb x11-apps imagemagick
    libstb-dev googletest locales time dpkg-dev
    libjpeg62-turbo-dev  # only bench/writer_vs_turbo links it
)
# The build takes libdeflate's source from Debian (apt-get source), which needs
# a deb-src entry for bookworm.
SOURCES_ENTRY=/etc/apt/sources.list.d/pixelzaun-deb-src.sources
# Wine takes its dialogs' language from the Unix locale, which must exist on the machine.
LOCALE=de_DE.UTF-8

missing=()
for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
has_locale() { locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; }
has_sources() { apt-cache showsrc libdeflate 2>/dev/null | grep -q '^Package: libdeflate'; }
[ ${#missing[@]} -eq 0 ] && has_locale && has_sources && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! has_sources; then
    echo "setup: adding Debian's bookworm sources ($SOURCES_ENTRY)"
    printf '%s\n' 'Types: deb-src' 'URIs: http://deb.debian.org/debian' 'Suites: bookworm bookworm-updates' \
        'Components: main' 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg' | $SUDO tee "$SOURCES_ENTRY" >/dev/null
    $SUDO apt-get update -qq
fi
if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
if ! has_locale; then
    echo "setup: generating the locale $LOCALE"
    # Listed in /etc/locale.gen, so that a later locale-gen keeps it.
    grep -qx "$LOCALE UTF-8" /etc/locale.gen 2>/dev/null || echo "$LOCALE UTF-8" | $SUDO tee -a /etc/locale.gen >/dev/null
    $SUDO locale-gen >/dev/null
fi
