#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Makes the Wine prefix named by WINEPREFIX once, and keeps a wineserver with
# its helper processes running for it. Those processes must not inherit the
# caller's output pipes (a test runner would wait for them), so everything
# here runs with its output sent to /dev/null.
set -euo pipefail
: "${WINEPREFIX:?}"
. "$(dirname "$0")/wine-env.sh"

make_prefix() {
    [ -f "$WINEPREFIX/.pixelzaun-ready" ] && return 0
    rm -rf "$WINEPREFIX"
    wineboot -i
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    wineserver -w
    touch "$WINEPREFIX/.pixelzaun-ready"
}

exec </dev/null >/dev/null 2>&1
mkdir -p "$(dirname "$WINEPREFIX")"
# Only one caller makes the prefix. The lock is a folder, not a descriptor,
# since Wine's daemons would inherit a descriptor and hold it for ever.
until mkdir "$WINEPREFIX.lock" 2>/dev/null; do sleep 0.2; done
trap 'rmdir "$WINEPREFIX.lock"' EXIT
make_prefix
rmdir "$WINEPREFIX.lock"
trap - EXIT
# A persistent server keeps the helper processes alive between programs;
# when one is running already this start fails, and that is fine.
wineserver -p || true
wine cmd /c exit
