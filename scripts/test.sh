#!/usr/bin/env bash
# Sets up the machine, builds both presets and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
status=0
for preset in linux windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
    ctest --preset "$preset" || status=1
done
exit $status
