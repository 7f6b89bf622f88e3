#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Compares the core pipeline of two builds on the same photos: runs the two
# bench_core programs alternately, ROUNDS times each (default 3), and prints
# per photo the best in-process time of each, their ratio (new / old) and
# whether the fitted JPEGs are the same bytes. A difference in bytes fails.
#
#   bench/compare_builds.sh OLD_BENCH_CORE NEW_BENCH_CORE PHOTO...   (ROUNDS=N to change)
set -euo pipefail
old=$1
new=$2
shift 2
rounds=${ROUNDS:-3}
work=$(mktemp -d /tmp/pixelzaun-compare.XXXXXX)
trap 'rm -rf "$work"' EXIT
export LC_ALL=C
. "$(dirname "$0")/measure.sh" # ratio

# total_ms of one run of bench_core $1 on $2, writing the JPEG to $3.
run() { "$1" "$2" "$3" | sed -n 's/.*total_ms=\([0-9.]*\).*/\1/p'; }
best() { sort -g | head -1; }

status=0
echo "| photo | old best ms | new best ms | new / old | fitted copy |"
echo "| --- | ---: | ---: | ---: | --- |"
for photo in "$@"; do
    : >"$work/old.txt"
    : >"$work/new.txt"
    for _ in $(seq "$rounds"); do
        run "$old" "$photo" "$work/old.jpg" >>"$work/old.txt"
        run "$new" "$photo" "$work/new.jpg" >>"$work/new.txt"
    done
    a=$(best <"$work/old.txt")
    b=$(best <"$work/new.txt")
    if cmp -s "$work/old.jpg" "$work/new.jpg"; then
        same="identical, $(stat -c %s "$work/new.jpg") B"
    else
        same="DIFFERENT"
        status=1
    fi
    echo "| $(basename "$photo") | $a | $b | $(ratio "$b" "$a") | $same |"
done
exit $status
