#!/usr/bin/env bash
# Sets up the machine, builds the Windows program and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
exe=build/windows/app/pixelzaun.exe
if [ -z "${DISPLAY:-}" ]; then
    echo "run.sh: no display (DISPLAY is not set). Start it from a desktop session," >&2
    echo "or on a virtual display: xvfb-run -a bash scripts/run.sh" >&2
    exit 1
fi

# The tests' prefix draws nothing (null graphics driver, unmanaged windows);
# the program shown to a person gets a prefix of its own, made the same way,
# with Wine's X11 driver and the window manager back in charge.
export WINEPREFIX=$PWD/build/windows/wineprefix-display
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" WINEARCH=win64
cmake/wine-prefix.sh
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true
# The desktop process keeps the driver it started with: end the prefix's
# processes (the registry is saved) so that the program starts a new one.
wineserver -k || true
wineserver -w

exec wine "$exe"
