#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Side-by-side benchmark, not a test: the core pipeline (load_source + fit_jpeg,
# bench/bench_core) against ImageMagick's `convert IN -define jpeg:extent=999999 OUT`,
# as it comes (a thread a core) and with `-limit thread 1`, run alternately
# (pipeline, ImageMagick, ImageMagick 1 thread, and again). First on generated
# photo-like images, then on the JPEG and PNG wallpapers of three Debian
# packages, fetched into build/bench/real/. Prints Markdown tables: per file the
# medians of wall time and CPU time (user + system) of the whole process, file
# output included, the ratios pipeline / ImageMagick, peak memory and the
# outputs; per group (the copy fits at the source's size / needs halving) the
# medians of those ratios. The generated images' outputs get a PSNR as well.
#
#   bash scripts/bench.sh [RUNS [REAL_RUNS]]   (defaults 5 and 3 rounds; REAL_RUNS 0 skips the wallpapers)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-5}
REAL_RUNS=${2:-3}
BUILD=build/bench
IMAGES=$BUILD/images
REAL=$BUILD/real
OUT=$BUILD/out
# Figures are read and written with a decimal point, whatever the caller's locale.
export LC_ALL=C

bash scripts/setup.sh
# Debian's ImageMagick 6, called by its full name: another `convert` may come
# first on the PATH.
CONVERT=/usr/bin/convert-im6.q16
COMPARE=/usr/bin/compare-im6.q16
IDENTIFY=/usr/bin/identify-im6.q16
CORE=$BUILD/bench/bench_core
. bench/measure.sh

cmake --preset linux -B "$BUILD" -DPIXELZAUN_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target bench_core make_photo >/dev/null
mkdir -p "$IMAGES" "$OUT"
[ "$REAL_RUNS" -eq 0 ] || fetch_real_photos "$REAL"

# name width height [--alpha]
FILES=(
    "photo-12mp.jpg 4000 3000"
    "photo-24mp.jpg 6000 4000"
    "photo-36mp.jpg 7344 4896"
    "photo-24mp-rgba.png 6000 4000 --alpha"
)
for entry in "${FILES[@]}"; do
    read -r name w h flag <<<"$entry"
    [ -s "$IMAGES/$name" ] && [ "$IMAGES/$name" -nt bench/make_photo.cpp ] ||
        "$BUILD/bench/make_photo" "$IMAGES/$name" "$w" "$h" ${flag:+"$flag"}
done

load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB; $(date -u '+%Y-%m-%d %H:%M UTC')"
echo "pipeline built by: $(readelf -p .comment "$CORE" | sed -n 's/^ *\[ *[0-9a-f]*\] *//p' | sort -u | paste -sd ';' | sed 's/;/; /g');" \
     "ImageMagick $($CONVERT -version | sed -n 's/^Version: ImageMagick \([^ ]*\).*/\1/p')," \
     "$($CONVERT -list resource | awk '/Thread:/ {print $2}') threads as it comes"
echo "times in ms, medians; ratios are pipeline / ImageMagick (below 1: the pipeline is faster);" \
     "'CPU ratio to 1 thread' compares with ImageMagick held to one thread, the others with ImageMagick as it comes"
echo
echo "Generated photos, rounds: $RUNS; load average before: $(load)"
echo
echo "$TABLE_HEAD"
GROUPS_LOG=$OUT/groups-generated.txt
: >"$GROUPS_LOG"
for entry in "${FILES[@]}"; do
    read -r name _ <<<"$entry"
    WITH_PSNR=1 measure_file "$IMAGES/$name" "$name" "$RUNS"
done
echo
print_groups "$GROUPS_LOG"
echo
echo "load average after: $(load)"
[ "$REAL_RUNS" -eq 0 ] && exit 0

echo
echo "Real photos: the wallpapers of ${REAL_PACKAGES[*]} (Debian 12), rounds: $REAL_RUNS;" \
     "load average before: $(load)"
echo
echo "$TABLE_HEAD"
GROUPS_LOG=$OUT/groups-real.txt
: >"$GROUPS_LOG"
while IFS= read -r photo; do
    measure_file "$photo" "$(real_label "$photo" "$REAL")" "$REAL_RUNS"
done < <(list_real_photos "$REAL")
echo
print_groups "$GROUPS_LOG"
echo
echo "load average after: $(load)"
