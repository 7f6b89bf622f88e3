#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Sets up the machine, checks every file's licence header, builds both presets
# and runs every test, then the sanitizer build and a short fuzzing run.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
status=0
# Every file says its copyright and licence (REUSE): a second, before anything builds.
if reuse lint --quiet; then
    echo "reuse lint: every file says its copyright and licence"
else
    reuse lint | tail -n 20
    status=1
fi
for preset in linux windows; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j"$(nproc)"
    ctest --preset "$preset" || status=1
done
# The hostile-input regression set under AddressSanitizer and UBSan, then a
# one-minute fuzzing run from the small seeds.
cmake --preset linux-asan >/dev/null
cmake --build --preset linux-asan -j"$(nproc)"
ctest --preset linux-asan || status=1
FUZZ_SEEDS=fuzz/seeds bash fuzz/run_campaign.sh 60 || status=1
# Half a minute of the encoder against the unpatched writer, and of the
# decoder against the one without its speed patches.
FUZZ_TARGET=jpeg_writer_fuzzer bash fuzz/run_campaign.sh 30 || status=1
FUZZ_TARGET=decoder_patches_fuzzer bash fuzz/run_campaign.sh 30 || status=1
exit $status
