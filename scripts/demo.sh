#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# One complete run of the program on a bundled sample photo, on a virtual
# display, driven by the end-to-end robot: it picks the photo, first names
# the photo itself as the copy (refused: a taken name), then a free name, and
# closes the report. Leaves the copy and a picture of every dialog and
# message box in one folder, and prints where. With --docs it also refreshes
# the README's three pictures in docs/ (open dialog, save dialog, report).
#
# Usage: bash scripts/demo.sh [--docs]   (PIXELZAUN_BUILD_DIR picks another build folder)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${PIXELZAUN_BUILD_DIR:-build/windows}
out=$root/$build/demo
export WINEPREFIX=$root/$build/wineprefix-demo
. cmake/wine-env.sh

OPEN_TITLE='Pixelzaun · Foto auswählen'
SAVE_TITLE='Pixelzaun · Neue JPEG-Kopie speichern'

# The part that runs on the virtual display: the robot asks for each picture
# with a line "shot NAME WIDTHxHEIGHT+X+Y" and goes on once the file exists.
if [ "${1:-}" = --on-display ]; then
    wineserver -p
    # The open dialog starts in the current folder: the one with the photo.
    cd "$out"
    status=0
    wine "$root/$build/tests/e2e/e2e_robot.exe" "Z:${root//\//\\}\\$build\\app\\pixelzaun.exe" 'T:\robot-steps.txt' 'T:\' \
        2>"$out/wine.err" </dev/null |
        while IFS= read -r line; do
            line=${line%$'\r'}
            echo "  robot: $line"
            if [[ $line == shot\ * ]]; then
                read -r _ name geometry <<<"$line"
                import -window root -crop "$geometry" +repage "$out/.$name.png"
                mv "$out/.$name.png" "$out/$name.png"
            fi
        done || status=$?
    wineserver -k || true
    exit $status
fi

bash scripts/setup.sh
cmake --preset windows -B "$build" >/dev/null
cmake --build "$build" -j"$(nproc)" --target pixelzaun e2e_robot >/dev/null

# A prefix of its own that draws with the X11 driver; windows stay unmanaged,
# as there is no window manager on the virtual display.
cmake/wine-prefix.sh
wine reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
wineserver -k || true
wineserver -w

rm -rf "$out"
mkdir -p "$out"
cp tests/data/jpeg/Landscape_1.jpg "$out/Wasserfall.jpg"
ln -sfn "$out" "$WINEPREFIX/dosdevices/t:"
cat >"$out/robot-steps.txt" <<EOF
window $OPEN_TITLE
shot 1-open-dialog
type T:\\Wasserfall.jpg
shot 2-open-dialog-photo-chosen
ok
window $SAVE_TITLE
shot 3-save-dialog
type T:\\Wasserfall.jpg
shot 4-save-dialog-name-taken
ok
window Pixelzaun
shot 5-pick-free-name
ok
window $SAVE_TITLE
shot 6-save-dialog-again
type T:\\Wasserfall unter 1 MB.jpg
ok
window TALVERO Pixelzaun
shot 7-saved-report
text
ok
exit 0
EOF

xvfb-run -a -s "-screen 0 1024x768x24" bash "$0" --on-display
rm -f "$out/robot-steps.txt" "$out/wine.err"
if [ "${1:-}" = --docs ]; then
    # Stripped of their time stamps, so that an unchanged dialog leaves its file unchanged.
    for pair in "2-open-dialog-photo-chosen open-dialog" "3-save-dialog save-dialog" "7-saved-report saved-report"; do
        read -r shot doc <<<"$pair"
        convert "$out/$shot.png" -strip "docs/$doc.png"
    done
    echo "Pictures in docs/ refreshed."
fi
echo "Demo done. The copy and the pictures are in $out:"
ls -l "$out"
