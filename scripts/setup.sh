#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
#
# Installs what building and testing Pixelzaun needs on Debian 12, and the German locale
# the Wine prefixes run under. Idempotent: when everything is there already it only checks
# and returns.
set -euo pipefail

PACKAGES=(
    cmake make patch g++ clang libclang-rt-14-dev valgrind
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    wine wine64 fonts-wine xvfb x11-apps imagemagick
    libstb-dev googletest locales time dpkg-dev python3 reuse
    libjpeg62-turbo-dev  # only bench/writer_vs_turbo links it
)
# The build takes libdeflate's source from Debian (apt-get source), which needs
# a deb-src entry for bookworm: the machine's own bookworm deb entries again as
# deb-src, with their mirrors and keyrings, so that no host is named here.
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

# The deb-src stanzas (deb822) for every enabled deb entry of a bookworm suite,
# from .sources files (deb822) and from one-line sources.list entries.
deb_src_entries() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && [ "$f" != "$SOURCES_ENTRY" ] || continue
        # Paragraph mode: one stanza a record; a line starting with blank
        # continues the field before it (an inline Signed-By key).
        awk 'BEGIN { RS = ""; FS = "\n" }
        {
            delete v; key = ""
            for (i = 1; i <= NF; i++) {
                if ($i ~ /^#/) continue
                if ($i ~ /^[ \t]/ && key != "") { v[key] = v[key] "\n" $i; continue }
                key = tolower(substr($i, 1, index($i, ":") - 1))
                v[key] = substr($i, index($i, ":") + 1); sub(/^[ \t]+/, "", v[key])
            }
            if (tolower(v["enabled"]) == "no" || (" " v["types"] " ") !~ / deb /) next
            n = split(v["suites"], s, /[ \t\n]+/); suites = ""
            for (j = 1; j <= n; j++) if (s[j] ~ /^bookworm(-|$)/) suites = suites (suites ? " " : "") s[j]
            if (suites == "") next
            printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", v["uris"], suites, v["components"]
            if ("signed-by" in v) printf "Signed-By: %s\n", v["signed-by"]
            if ("trusted" in v) printf "Trusted: %s\n", v["trusted"]
            printf "\n"
        }' "$f"
    done
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] || continue
        awk '{ sub(/#.*/, "") }
        $1 == "deb" {
            signed = ""; trusted = ""; i = 2
            if ($2 ~ /^\[/) {
                for (; i <= NF; i++) {
                    opt = $i; gsub(/[][]/, "", opt)
                    if (opt ~ /^signed-by=/) signed = substr(opt, 11)
                    if (opt ~ /^trusted=/) trusted = substr(opt, 9)
                    if ($i ~ /\]$/) break
                }
                i++
            }
            if ($(i + 1) !~ /^bookworm(-|$)/) next
            components = ""
            for (j = i + 2; j <= NF; j++) components = components (components ? " " : "") $j
            printf "Types: deb-src\nURIs: %s\nSuites: %s\nComponents: %s\n", $i, $(i + 1), components
            if (signed != "") printf "Signed-By: %s\n", signed
            if (trusted != "") printf "Trusted: %s\n", trusted
            printf "\n"
        }' "$f"
    done
}

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
if ! has_sources; then
    echo "setup: adding Debian's bookworm sources ($SOURCES_ENTRY)"
    entries=$(deb_src_entries)
    if [ -z "$entries" ]; then
        echo "setup: no deb entry for bookworm in /etc/apt/sources.list or /etc/apt/sources.list.d" >&2
        exit 1
    fi
    printf '%s\n' "$entries" | $SUDO tee "$SOURCES_ENTRY" >/dev/null
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
