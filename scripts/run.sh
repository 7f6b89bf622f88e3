#!/usr/bin/env bash
# Sets up the machine, builds the Windows program and starts it under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j"$(nproc)"
exe=build/windows/app/pixelzaun.exe
if [ ! -f "$exe" ]; then
    echo "The imaging core is built and tested; the Windows program itself comes next."
    exit 0
fi
exec cmake/wine-run.sh "$exe"
