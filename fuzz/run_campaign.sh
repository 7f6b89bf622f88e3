#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Runs a fuzzing campaign on load_and_fit_fuzzer, or on the target FUZZ_TARGET
# names (jpeg_writer_fuzzer, png_inflate_fuzzer, decoder_patches_fuzzer), for
# the given number of seconds (default 60).
# Builds the fuzz preset first. New inputs go to the work corpus
# (build/fuzz-corpus unless FUZZ_CORPUS says otherwise); crashes, leaks,
# out-of-memory and slow inputs are written to build/fuzz-findings, and all but
# the slow ones fail the run. FUZZ_WORKERS sets the parallel child processes.
#   fuzz/run_campaign.sh [seconds] [extra libFuzzer options...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
shift || true
build="${FUZZ_BUILD:-build/fuzz}"
target="${FUZZ_TARGET:-load_and_fit_fuzzer}"
if [ "$target" = load_and_fit_fuzzer ]; then
    corpus="${FUZZ_CORPUS:-build/fuzz-corpus}"
    # Starting inputs besides the work corpus: the small seeds, and the
    # regression files unless FUZZ_SEEDS names others.
    read -r -a seeds <<< "${FUZZ_SEEDS:-fuzz/seeds tests/data/hostile}"
    dict=(-dict=fuzz/jpeg_png.dict)
elif [ "$target" = decoder_patches_fuzzer ]; then
    corpus="${FUZZ_CORPUS:-build/fuzz-corpus-$target}"
    # The JPEG and PNG test files as well: the speed patches are the decoder's.
    read -r -a seeds <<< "${FUZZ_SEEDS:-fuzz/seeds tests/data/jpeg tests/data/pngsuite tests/data/hostile}"
    dict=(-dict=fuzz/jpeg_png.dict)
else
    # The encoder's inputs are sizes and pixels: no seeds or dictionary.
    corpus="${FUZZ_CORPUS:-build/fuzz-corpus-$target}"
    read -r -a seeds <<< "${FUZZ_SEEDS:-}"
    dict=()
fi
findings="${FUZZ_FINDINGS:-build/fuzz-findings}"
workers="${FUZZ_WORKERS:-1}"

cmake --preset fuzz -B "$build" >/dev/null
cmake --build "$build" -j2 --target "$target" >/dev/null
mkdir -p "$corpus" "$findings"

# Inputs run in child processes (-fork), so a slow input is written to the
# findings and the campaign goes on; a crash, a sanitizer report, a leak or an
# out-of-memory input ends it with a non-zero exit. A file that declares 36
# million pixels takes 1 to 3 s in the release build and 20 to 60 s under the
# sanitizers, so the time limit only catches real hangs. The regression files
# seed the corpus so the campaign starts at the known trouble spots.
status=0
"$build/fuzz/$target" \
    -fork="$workers" -ignore_timeouts=1 -ignore_ooms=0 -ignore_crashes=0 \
    -max_total_time="$seconds" \
    -timeout=30 -timeout_exitcode=70 \
    -rss_limit_mb=2560 \
    -malloc_limit_mb=2048 \
    -max_len=65536 \
    ${dict[@]+"${dict[@]}"} \
    -artifact_prefix="$findings/" \
    "$@" \
    "$corpus" ${seeds[@]+"${seeds[@]}"} || status=$?
# When the last job of the run met a slow input, libFuzzer ends with the
# timeout's exit code although it ignores timeouts; that input is in the
# findings like every slow one, and it does not fail the run.
[ "$status" -ne 70 ] || status=0
exit "$status"
