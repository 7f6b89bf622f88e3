# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# The measuring half of scripts/bench.sh, sourced by it (compare_builds.sh
# takes its ratio): timing one command, the three contenders run alternately on
# one file, a table row per file and the medians per group, the PSNR check and
# the real photos' download.
# Expects CONVERT, COMPARE, IDENTIFY, CORE (bench_core) and OUT (a scratch
# folder) to be set.

# The contenders, in the order they run: the pipeline, ImageMagick as it comes
# (OpenMP, a thread a core) and ImageMagick held to one thread, as the
# pipeline is. Both ImageMagick runs ask for the same 999,999-byte limit.
CONTENDERS=(pipeline magick magick_1)
# Sets the array COMMAND to contender $1's command from $2 to $3.
command_of() {
    case $1 in
    pipeline) COMMAND=("$CORE" "$2" "$3") ;;
    magick) COMMAND=("$CONVERT" "$2" -define jpeg:extent=999999 "$3") ;;
    magick_1) COMMAND=("$CONVERT" -limit thread 1 "$2" -define jpeg:extent=999999 "$3") ;;
    esac
}

# Runs one command and appends "wall_ms cpu_ms peak_kb" to LOG. CPU time is
# user + system of the command and its children, from the shell's own timer
# (millisecond figures); the peak resident size comes from GNU time.
timed() {
    local log=$1 wall user sys
    shift
    local TIMEFORMAT='%3R %3U %3S'
    { time /usr/bin/time -f %M -o "$OUT/peak.txt" "$@" </dev/null >/dev/null 2>"$OUT/err.txt"; } 2>"$OUT/time.txt" || {
        echo "bench: failed: $*" >&2
        cat "$OUT/err.txt" >&2
        return 1
    }
    read -r wall user sys <"$OUT/time.txt"
    awk -v w="$wall" -v u="$user" -v s="$sys" -v m="$(tail -1 "$OUT/peak.txt")" \
        'BEGIN {printf "%.0f %.0f %d\n", w * 1000, (u + s) * 1000, m}' >>"$log"
}

median() { sort -g | awk '{a[NR] = $1} END {print (NR % 2) ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2}'; }
# The median of column N (1 wall, 2 CPU, 3 peak) of a log.
median_of() { cut -d' ' -f"$2" "$1" | median | awk '{printf "%.0f", $1}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

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

TABLE_HEAD="| file | source | pipeline ms wall / CPU | ImageMagick ms wall / CPU | ImageMagick 1 thread ms wall / CPU | CPU ratio to 1 thread | CPU ratio | wall ratio | peak MiB pipeline / ImageMagick | pipeline out | ImageMagick out |
| --- | --- | ---: | ---: | ---: | ---: | ---: | ---: | ---: | --- | --- |"

# Runs the contenders on SRC in turn, RUNS rounds, each into its own log.
time_contenders() {
    local src=$1 runs=$2 c i
    for c in "${CONTENDERS[@]}"; do : >"$OUT/$c.log"; done
    for ((i = 0; i < runs; i++)); do
        for c in "${CONTENDERS[@]}"; do
            command_of "$c" "$src" "$OUT/$c.jpg"
            timed "$OUT/$c.log" "${COMMAND[@]}"
        done
    done
}

# Times the contenders on SRC and prints the file's table row; with
# WITH_PSNR=1 the outputs' PSNR too. Appends "GROUP cpu_ratio_1 cpu_ratio
# wall_ratio" to GROUPS_LOG, the group being whether the pipeline's copy kept
# the source's size.
measure_file() {
    local src=$1 label=$2 p_wall p_cpu m_wall m_cpu m1_wall m1_cpu source group=halving
    time_contenders "$src" "$3"
    p_wall=$(median_of "$OUT/pipeline.log" 1) p_cpu=$(median_of "$OUT/pipeline.log" 2)
    m_wall=$(median_of "$OUT/magick.log" 1) m_cpu=$(median_of "$OUT/magick.log" 2)
    m1_wall=$(median_of "$OUT/magick_1.log" 1) m1_cpu=$(median_of "$OUT/magick_1.log" 2)
    # Some wallpapers carry XMP that ImageMagick warns about (and copies into
    # its output); the size is read all the same.
    source=$($IDENTIFY -ping -format '%wx%h' "$src" 2>/dev/null)
    [ "$($IDENTIFY -ping -format '%wx%h' "$OUT/pipeline.jpg")" = "$source" ] && group=fits
    local cpu_1 cpu wall
    cpu_1=$(ratio "$p_cpu" "$m1_cpu") cpu=$(ratio "$p_cpu" "$m_cpu") wall=$(ratio "$p_wall" "$m_wall")
    echo "$group $cpu_1 $cpu $wall" >>"$GROUPS_LOG"
    echo "| $label | $source, $(stat -c %s "$src") B | $p_wall / $p_cpu | $m_wall / $m_cpu | $m1_wall / $m1_cpu" \
         "| $cpu_1 | $cpu | $wall | $(mib "$OUT/pipeline.log") / $(mib "$OUT/magick.log")" \
         "| $(describe "$src" "$OUT/pipeline.jpg") | $(describe "$src" "$OUT/magick.jpg") |"
}

# The median peak of a log in MiB.
mib() { median_of "$1" 3 | awk '{printf "%.0f", $1 / 1024}'; }

describe() {
    local text
    # The quality as ImageMagick reads it from the tables: for the pipeline,
    # how far down the ladder (90, 78, 66, 54) it went.
    text="$($IDENTIFY -ping -format '%wx%h, q%Q' "$2" 2>/dev/null), $(stat -c %s "$2") B"
    [ "${WITH_PSNR:-0}" = 1 ] && text="$text, $(psnr "$1" "$2") dB"
    echo "$text"
}

# The median of column N of GROUP's lines in a groups log.
group_median() { grep "^$2 " "$1" | cut -d' ' -f"$3" | median | awk '{printf "%.2f", $1}'; }

# The medians of the per-file ratios in each group of GROUPS_LOG.
print_groups() {
    echo "| group | files | CPU ratio to 1 thread | CPU ratio | wall ratio |"
    echo "| --- | ---: | ---: | ---: | ---: |"
    local group name n
    for group in fits halving; do
        n=$(grep -c "^$group " "$1" || true)
        [ "$n" -gt 0 ] || continue
        name="fits at the first size"
        [ $group = halving ] && name="needs halving"
        echo "| $name | $n | $(group_median "$1" $group 2) | $(group_median "$1" $group 3) | $(group_median "$1" $group 4) |"
    done
}

# Debian's wallpaper packages, as real photos of many sizes: downloaded with
# apt-get and unpacked into DIR, never installed. Done once.
REAL_PACKAGES=(lomiri-wallpapers mate-backgrounds plasma-workspace-wallpapers)
fetch_real_photos() {
    local dir=$1 p sudo=""
    [ -f "$dir/.unpacked" ] && return 0
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    rm -rf "$dir"
    mkdir -p "$dir/debs"
    echo "bench: fetching ${REAL_PACKAGES[*]} into $dir" >&2
    # Without the package lists (a machine that had everything installed) the
    # download fails once; then the lists are fetched and it is tried again.
    (cd "$dir/debs" && apt-get download -qq "${REAL_PACKAGES[@]}" >/dev/null 2>&1) ||
        ($sudo apt-get update -qq && cd "$dir/debs" && apt-get download -qq "${REAL_PACKAGES[@]}")
    for p in "${REAL_PACKAGES[@]}"; do dpkg -x "$dir"/debs/"${p}"_*.deb "$dir/$p"; done
    rm -rf "$dir/debs"
    touch "$dir/.unpacked"
}

# The JPEG and PNG wallpapers, one path a line; the packages' small previews
# (screenshot.*) are left out, as no one uploads those.
list_real_photos() {
    find "$1" -type f \( -iname '*.jpg' -o -iname '*.jpeg' -o -iname '*.png' \) ! -name 'screenshot.*' | sort
}

# A short name: package, then the path below its wallpaper folder.
real_label() {
    local rel=${1#"$2"/} pkg rest
    pkg=${rel%%/*} rest=${rel#*/usr/share/}
    rest=${rest#backgrounds/} rest=${rest#wallpapers/} rest=${rest#mate/}
    echo "${pkg%%-*}: ${rest//contents\//}"
}
