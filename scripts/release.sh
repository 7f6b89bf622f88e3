#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
#
# Builds the program for release in a new build folder, checks it as the
# tests do, and writes to dist/ the program, pixelzaun-VERSION-win64.zip (the
# program, its licence, the notices of what is linked into it, the bill of
# materials, a note for the user and SHA256SUMS of these) and SHA256SUMS of
# the program and the zip (read by `sha256sum -c SHA256SUMS`). The same commit
# gives the same bytes, whatever the folder it is built in and whenever it runs.
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=build/release

bash scripts/setup.sh
# The version is written once, in CMake's project() line.
version=$(sed -n 's/^project(pixelzaun VERSION \([0-9][0-9.]*\)[ )].*/\1/p' CMakeLists.txt)
[ -n "$version" ] || { echo "no version in the project() line of CMakeLists.txt" >&2; exit 1; }
# Every time in the zip is the commit's.
SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct 2>/dev/null || true)}
[ -n "$SOURCE_DATE_EPOCH" ] || { echo "no commit time: set SOURCE_DATE_EPOCH" >&2; exit 1; }
export SOURCE_DATE_EPOCH

rm -rf "$BUILD" dist
cmake --preset windows -B "$BUILD" >/dev/null
cmake --build "$BUILD" -j2 --target pixelzaun pixelzaun_linkmap
# Headers, imports, hardening, no time stamp and no build path; every archive
# in the link map known, with its package and notice.
ctest --test-dir "$BUILD" -R '^(app_exe_check|release_notices_check)$' --output-on-failure

stage=$BUILD/zip
mkdir -p "$stage" dist
cp "$BUILD/app/pixelzaun.exe" dist/
cp "$BUILD/app/pixelzaun.exe" "$stage/"
libdeflate=$(echo "$BUILD"/imaging/libdeflate/libdeflate-*/)
python3 scripts/notices/notices.py write "$BUILD/app/pixelzaun.map" "$stage/pixelzaun.exe" "$version" \
    "${libdeflate%/}" "$stage"
# Text for Windows users with Windows line endings; the German note starts
# with a UTF-8 byte order mark, so that older Notepads show its umlauts too.
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
{ printf '\357\273\277'; sed -e "s/@VERSION@/$version/g" -e 's/$/\r/' scripts/notices/LIESMICH.txt; } >"$stage/LIESMICH.txt"
files=(pixelzaun.exe LIESMICH.txt LICENSE.txt THIRD-PARTY-NOTICES.txt pixelzaun.spdx.json)
(cd "$stage" && sha256sum "${files[@]}" >SHA256SUMS)
zip=pixelzaun-$version-win64.zip
python3 scripts/notices/make_zip.py "dist/$zip" "$stage" "${files[@]}" SHA256SUMS
(cd dist && sha256sum pixelzaun.exe "$zip" >SHA256SUMS)

commit=$(git rev-parse --short HEAD 2>/dev/null || echo unknown)
[ -z "$(git status --porcelain 2>/dev/null)" ] || commit="$commit with uncommitted changes"
echo "release $version of $commit:"
cat dist/SHA256SUMS
