#!/usr/bin/env bash
# Builds the program for release in a new build folder, checks it as the
# tests do, and writes dist/pixelzaun.exe and dist/SHA256SUMS (read by
# `sha256sum -c SHA256SUMS`). The same commit gives the same bytes, whatever
# the folder it is built in and whenever it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/release

bash scripts/setup.sh
rm -rf "$BUILD" dist
cmake --preset windows -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j2 --target pixelzaun
# Headers, imports, hardening, no time stamp and no build path.
ctest --test-dir "$BUILD" -R '^app_exe_check$' --output-on-failure

mkdir dist
cp "$BUILD/app/pixelzaun.exe" dist/
(cd dist && sha256sum pixelzaun.exe >SHA256SUMS)
commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -z "$(git status --porcelain 2>/dev/null)" ] || commit="$commit with uncommitted changes"
echo "release of $commit:"
cat dist/SHA256SUMS
