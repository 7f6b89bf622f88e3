#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Sets up the machine, builds the Windows program and starts it under Wine.
# Without a display (or with --demo) it runs scripts/demo.sh instead.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
exe=build/windows/app/pixelzaun.exe
if [ -z "${DISPLAY:-}" ] || [ "${1:-}" = --demo ]; then
    # No screen to show it on, or the demo asked for: one complete run on a
    # bundled photo on a virtual display, with a picture of every dialog.
    exec bash scripts/demo.sh
fi

# The tests' prefix draws nothing (null graphics driver, unmanaged windows);
# the program shown to a person gets a prefix of its own, made the same way,
# with Wine's X11 driver and the window manager back in charge.
export WINEPREFIX=$PWD/build/windows/wineprefix-display
. cmake/wine-env.sh
cmake/wine-prefix.sh
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
# The desktop process keeps the driver it started with: end the prefix's
# processes (the registry is saved) so that the program starts a new one.
wineserver -k || true
wineserver -w

exec wine "$exe"
