#!/usr/bin/env bash
# Side-by-side benchmark, not a test: the core pipeline (load_source + fit_jpeg,
# bench/bench_core) against ImageMagick's `convert IN -define jpeg:extent=999999 OUT`
# on generated photo-like images, alternating A B A B. Prints a Markdown table of
# medians (wall time of the whole process, file output included), ratios, peak
# memory and the outputs' dimensions, sizes and PSNR against the source.
#
#   bash scripts/bench.sh [RUNS]        (default 5 runs of each per file)
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${1:-5}
BUILD=build/bench
IMAGES=$BUILD/images
OUT=$BUILD/out

bash scripts/setup.sh
# Debian's ImageMagick 6, called by its full name: another `convert` may come
# first on the PATH.
CONVERT=/usr/bin/convert-im6.q16
COMPARE=/usr/bin/compare-im6.q16
IDENTIFY=/usr/bin/identify-im6.q16

cmake --preset linux -B "$BUILD" -DPIXELZAUN_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j2 --target bench_core make_photo >/dev/null
mkdir -p "$IMAGES" "$OUT"

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

now_ns() { date +%s%N; }
median() { sort -g | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }

# Runs one command, appends "milliseconds peak_kb" to the given file.
timed() {
    local log=$1; shift
    local start end
    start=$(now_ns)
    /usr/bin/time -f "%M" -o "$OUT/time.txt" "$@" >/dev/null
    end=$(now_ns)
    echo "$(( (end - start) / 1000000 )) $(tail -1 "$OUT/time.txt")" >>"$log"
}

# PSNR of OUT against SRC (flattened onto white), at the source's size. Taken
# as the mean squared error of the top and bottom halves, so that Debian's
# resource policy lets ImageMagick hold the pair even at 36 MP.
psnr() {
    local src=$1 out=$2 w h half y mse=()
    read -r w h <<<"$($IDENTIFY -format '%w %h' "$src")"
    half=$(( (h + 1) / 2 ))
    for y in 0 "$half"; do
        $CONVERT "$src" -crop "${w}x${half}+0+$y" +repage -background white -alpha remove -alpha off "$OUT/src.ppm"
        $CONVERT "$out" -resize "${w}x${h}!" -crop "${w}x${half}+0+$y" +repage "$OUT/out.ppm"
        mse+=("$($COMPARE -metric MSE "$OUT/src.ppm" "$OUT/out.ppm" null: 2>&1 | sed 's/.*(\(.*\)).*/\1/' || true)")
    done
    awk -v a="${mse[0]}" -v b="${mse[1]}" -v h="$h" -v half="$half" \
        'BEGIN {m = (a * half + b * (h - half)) / h; printf "%.2f", 10 * log(1 / m) / log(10)}'
}

echo "machine: $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //'), $(nproc) cores," \
     "$(free -g | awk '/Mem:/ {print $2}') GiB; load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "runs: $RUNS of each per file, alternating; times are medians of whole-process wall time"
echo
echo "| file | pipeline ms | ImageMagick ms | ratio | pipeline peak MiB | ImageMagick peak MiB | pipeline out | ImageMagick out |"
echo "| --- | ---: | ---: | ---: | ---: | ---: | --- | --- |"
for entry in "${FILES[@]}"; do
    read -r name _ <<<"$entry"
    src=$IMAGES/$name
    a_log=$OUT/$name.core.txt
    b_log=$OUT/$name.im.txt
    : >"$a_log"
    : >"$b_log"
    for _ in $(seq "$RUNS"); do
        timed "$a_log" "$BUILD/bench/bench_core" "$src" "$OUT/$name.core.jpg"
        timed "$b_log" "$CONVERT" "$src" -define jpeg:extent=999999 "$OUT/$name.im.jpg"
    done
    a_ms=$(cut -d' ' -f1 "$a_log" | median)
    b_ms=$(cut -d' ' -f1 "$b_log" | median)
    a_mb=$(cut -d' ' -f2 "$a_log" | median | awk '{printf "%.0f", $1 / 1024}')
    b_mb=$(cut -d' ' -f2 "$b_log" | median | awk '{printf "%.0f", $1 / 1024}')
    ratio=$(awk -v a="$a_ms" -v b="$b_ms" 'BEGIN {printf "%.2f", a / b}')
    describe() {
        echo "$($IDENTIFY -format '%wx%h' "$1"), $(stat -c %s "$1") B, $(psnr "$src" "$1") dB"
    }
    echo "| $name | $a_ms | $b_ms | $ratio | $a_mb | $b_mb | $(describe "$OUT/$name.core.jpg") | $(describe "$OUT/$name.im.jpg") |"
done
echo
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
