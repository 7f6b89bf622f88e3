#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Runs a Windows program under Wine in a prefix of the build's own, made on
# first use: no X server needed (null graphics driver), no crash dialog, no
# Mono or Gecko prompt, German locale. Usage: wine-run.sh PROGRAM.exe [ARGS...]
set -euo pipefail

exe=$1
shift
build_dir=${PIXELZAUN_BUILD_DIR:-$(cd "$(dirname "$exe")" && while [ ! -f CMakeCache.txt ] && [ "$PWD" != / ]; do cd ..; done; pwd)}
export WINEPREFIX=${WINEPREFIX:-$build_dir/wineprefix}
. "$(dirname "$0")/wine-env.sh"

"$(dirname "$0")/wine-prefix.sh" >/dev/null 2>&1 </dev/null || echo "wine-run: could not prepare $WINEPREFIX" >&2
exec wine "$exe" "$@"
