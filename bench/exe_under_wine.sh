#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Times the real program under Wine: from OK in the open dialog to the save
# dialog's appearing (the robot's wait for it), for one photo, RUNS times.
# Prints each time and the median. Cancels the save dialog, so nothing is written.
#
#   bench/exe_under_wine.sh WINDOWS_BUILD_DIR PHOTO [RUNS]
set -euo pipefail
build=$(realpath "$1")
photo=$(realpath "$2")
runs=${3:-5}
program=$build/app/pixelzaun.exe
robot=$build/tests/e2e/e2e_robot.exe
[ -f "$program" ] && [ -f "$robot" ] || { echo "build $build lacks pixelzaun.exe or e2e_robot.exe" >&2; exit 1; }
export WINEPREFIX=$build/bench-wineprefix
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../cmake/wine-env.sh"
"$here/../cmake/wine-prefix.sh"

work=$(mktemp -d /tmp/pixelzaun-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
winpath() { local p=${1//\//\\}; echo "Z:$p"; }
cat >"$work/steps.txt" <<STEPS
window Pixelzaun · Foto auswählen
type $(winpath "$photo")
ok
within 300000
window Pixelzaun · Neue JPEG-Kopie speichern
cancel
exit 0
STEPS

times=()
for _ in $(seq "$runs"); do
    wine "$robot" "$(winpath "$program")" "$(winpath "$work/steps.txt")" >"$work/log" 2>/dev/null </dev/null ||
        { cat "$work/log" >&2; exit 1; }
    ms=$(tr -d '\r' <"$work/log" | sed -n 's/^window "Pixelzaun · Neue JPEG-Kopie speichern" after \([0-9]*\) ms$/\1/p')
    [ -n "$ms" ] || { cat "$work/log" >&2; exit 1; }
    echo "OK to save dialog: $ms ms"
    times+=("$ms")
done
printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {print "median: " ((NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2) " ms"}'
