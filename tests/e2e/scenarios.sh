#!/usr/bin/env bash
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# The end-to-end scenarios: pixelzaun.exe in Wine's real dialogs and file
# system, used by the robot as a person would. Each scenario_NAME function
# below is one CTest test (the list is read from this file).
#
# Usage: scenarios.sh NAME ROBOT.exe PROGRAM.exe   (WINEPREFIX names the prefix)
# Exit status 0: passed; 77: skipped, with the reason printed; anything else: failed.
set -euo pipefail

scenario=$1
robot=$(realpath "$2")
program=$(realpath "$3")
: "${WINEPREFIX:?}"
here=$(cd "$(dirname "$0")" && pwd)
. "$here/../../cmake/wine-env.sh"
photo=$here/../data/jpeg/Landscape_1.jpg   # 1800 x 1200, a real photo

OPEN_TITLE='Pixelzaun · Foto auswählen'
SAVE_TITLE='Pixelzaun · Neue JPEG-Kopie speichern'
PRODUCT='Pixelzaun'
SUCCESS='TALVERO Pixelzaun'
PICK_READABLE_PHOTO='Bitte eine lesbare JPEG- oder PNG-Datei mit höchstens 36 Megapixeln wählen.'
PICK_FREE_NAME='Bitte einen freien Dateinamen und einen beschreibbaren Ordner auswählen.'
SAVE_FAILED='Speichern fehlgeschlagen.'

# Each run gets a folder of its own, seen by Wine as drive T:.
work=$(mktemp -d /tmp/pixelzaun-e2e.XXXXXX)
drive=$work/t
mkdir "$drive"
mounts=()
cleanup() {
    for m in "${mounts[@]}"; do umount "$m" 2>/dev/null || true; done
    [ "$(readlink "$WINEPREFIX/dosdevices/t:" 2>/dev/null)" = "$drive" ] && rm -f "$WINEPREFIX/dosdevices/t:"
    rm -rf "$work"
}
trap cleanup EXIT
# Under CTest the wine fixture has made the prefix and started its server.
[ -f "$WINEPREFIX/.pixelzaun-ready" ] || "$here/../../cmake/wine-prefix.sh"
ln -sfn "$drive" "$WINEPREFIX/dosdevices/t:"

fail() { echo "FAILED: $*"; exit 1; }
skip() { echo "SKIPPED: $*"; exit 77; }
winpath() { local p=${1//\//\\}; echo "Z:$p"; }

# --- the robot's steps -------------------------------------------------------
steps=$work/steps.txt
: >"$steps"
step() { printf '%s\n' "$*" >>"$steps"; }
pick() { step "window $OPEN_TITLE"; step "type $1"; step ok; }
save_as() { step "window $SAVE_TITLE"; step "type $1"; step ok; }
cancel_save() { step "window $SAVE_TITLE"; step cancel; }
box() { step "window $1"; step "text ${2-}"; step ok; }

# Runs the robot over the steps; its log ends up in $log.
log=$work/robot.log
run_robot() {
    step "exit $1"
    local status=0
    wine "$robot" "$(winpath "$program")" "$(winpath "$steps")" >"$log" 2>"$work/wine.err" </dev/null || status=$?
    sed 's/^/  robot: /' "$log"
    if [ $status -ne 0 ]; then
        sed 's/^/  wine: /' "$work/wine.err"
        fail "the robot stopped (status $status)"
    fi
}
# The text of the last message box the robot read.
last_text() { sed -n 's/^text //p' "$log" | tail -n 1 | tr -d '\r'; }

# --- checks on files ---------------------------------------------------------
listing() { (cd "$1" && find . -mindepth 1 | sort); }
dimensions() { identify -ping -format '%w %h' "$1"; }
pixel() { convert "$1" -format "%[fx:round(255*p{$2}.r)] %[fx:round(255*p{$2}.g)] %[fx:round(255*p{$2}.b)]" info:; }
size_of() { stat -c %s "$1"; }
# A saved copy: a JPEG that decodes, 1 to 999,999 bytes, and the success box
# naming exactly its size.
expect_copy() {
    [ -f "$1" ] || fail "no copy at $1; folder holds: $(listing "$drive" | tr '\n' ' ')"
    [ "$(identify -regard-warnings -format '%m' "$1" 2>&1)" = JPEG ] || fail "$1 is not a JPEG that decodes cleanly"
    local size
    size=$(size_of "$1")
    [ "$size" -ge 1 ] && [ "$size" -le 999999 ] || fail "copy has $size bytes"
    [ "$(last_text)" = "JPEG-Kopie gespeichert: $size Bytes. Das Original bleibt erhalten." ] ||
        fail "success text '$(last_text)' does not name $size bytes"
}
# A tmpfs of 64 KiB at $1 with the given options, or a skip when this machine
# does not allow mounting.
mount_tmpfs() {
    mkdir -p "$1"
    local why
    why=$(mount -t tmpfs -o "size=64k,$2" pixelzaun-e2e "$1" 2>&1) || skip "cannot mount a tmpfs here: $why"
    mounts+=("$1")
}

# --- the scenarios -----------------------------------------------------------
scenario_cancel_open() {
    step "window $OPEN_TITLE"
    step "name"
    # Wine's own labels follow the locale: German, as on the users' machines.
    step "button ok &Öffnen"
    step "button cancel Abbrechen"
    step cancel
    run_robot 0
}

scenario_not_a_photo() {
    echo "Das ist kein Foto." >"$drive/notiz.jpg"
    pick 'T:\notiz.jpg'
    box "$PRODUCT" "$PICK_READABLE_PHOTO"
    run_robot 1
}

scenario_locked_photo() {
    cp "$photo" "$drive/Foto.jpg"
    step 'lock T:\Foto.jpg'
    pick 'T:\Foto.jpg'
    box "$PRODUCT" "$PICK_READABLE_PHOTO"
    run_robot 1
}

scenario_too_many_pixels() {
    # The 6000 x 6000 black photo told in its frame header to be 6000 x 6001:
    # 36,006,000 pixels. Refused from the header, before any decoding.
    local big=$drive/gross.jpg offset
    cp "$here/../data/jpeg/black-6000x6000.jpg" "$big"
    offset=$(LC_ALL=C grep -obUaP '\xff\xc0\x00\x11\x08\x17\x70\x17\x70' "$big" | cut -d: -f1)
    [ -n "$offset" ] || fail "no 6000 x 6000 frame header found"
    printf '\x17\x71' | dd of="$big" bs=1 seek=$((offset + 5)) conv=notrunc status=none
    [ "$(dimensions "$big")" = "6000 6001" ] || fail "could not make the 6000 x 6001 header"
    pick 'T:\gross.jpg'
    step "within 3000"
    box "$PRODUCT" "$PICK_READABLE_PHOTO"
    run_robot 1
}

scenario_transparent_png() {
    # Left half fully transparent black, right half opaque blue.
    convert -size 64x48 xc:none -fill blue -draw 'rectangle 32,0 63,47' "PNG32:$drive/alpha.png"
    pick 'T:\alpha.png'
    save_as 'T:\alpha.jpg'
    box "$SUCCESS"
    run_robot 0
    expect_copy "$drive/alpha.jpg"
    [ "$(dimensions "$drive/alpha.jpg")" = "64 48" ] || fail "copy is $(dimensions "$drive/alpha.jpg")"
    read -r r g b <<<"$(pixel "$drive/alpha.jpg" 10,24)"
    [ "$r" -ge 245 ] && [ "$g" -ge 245 ] && [ "$b" -ge 245 ] || fail "transparent part is $r $g $b, not white"
    read -r r g b <<<"$(pixel "$drive/alpha.jpg" 54,24)"
    [ "$r" -le 20 ] && [ "$g" -le 20 ] && [ "$b" -ge 230 ] || fail "opaque part is $r $g $b, not blue"
}

scenario_halving() {
    # Noise does not fit under 1,000,000 bytes at 2001 x 1501 at any quality;
    # halved once (each side rounded up) it does.
    convert -seed 7 -size 2001x1501 xc:gray +noise Random "$drive/rauschen.png"
    pick 'T:\rauschen.png'
    save_as 'T:\rauschen.jpg'
    box "$SUCCESS"
    run_robot 0
    expect_copy "$drive/rauschen.jpg"
    [ "$(dimensions "$drive/rauschen.jpg")" = "1001 751" ] || fail "copy is $(dimensions "$drive/rauschen.jpg")"
}

scenario_source_as_target() {
    mkdir "$drive/Fotos"
    cp "$photo" "$drive/Fotos/Foto.jpg"
    pick 'T:\Fotos\Foto.jpg'
    save_as 'T:\Fotos\Foto.jpg'
    box "$PRODUCT" "$PICK_FREE_NAME"
    step "window $SAVE_TITLE"
    step "folder Fotos"
    step "name Foto.jpg"
    step 'type T:\Fotos\Neu.jpg'
    step ok
    box "$SUCCESS"
    run_robot 0
    cmp -s "$photo" "$drive/Fotos/Foto.jpg" || fail "the source was changed"
    expect_copy "$drive/Fotos/Neu.jpg"
}

scenario_cancel_save_after_warning() {
    cp "$photo" "$drive/Foto.jpg"
    echo belegt >"$drive/belegt.jpg"
    local before
    before=$(listing "$drive")
    pick 'T:\Foto.jpg'
    save_as 'T:\belegt.jpg'
    box "$PRODUCT" "$PICK_FREE_NAME"
    cancel_save
    run_robot 0
    [ "$(listing "$drive")" = "$before" ] || fail "files changed: $(listing "$drive" | tr '\n' ' ')"
    [ "$(cat "$drive/belegt.jpg")" = belegt ] || fail "the taken file was changed"
}

scenario_no_extension() {
    cp "$photo" "$drive/Foto.jpg"
    pick 'T:\Foto.jpg'
    save_as 'T:\ohne-endung'
    box "$SUCCESS"
    run_robot 0
    [ ! -e "$drive/ohne-endung" ] || fail "saved without the extension"
    expect_copy "$drive/ohne-endung.jpg"
}

scenario_read_only_folder() {
    # As root, a folder's mode bits stop nothing: the folder is a read-only mount.
    mount_tmpfs "$drive/nur-lesen" ro
    cp "$photo" "$drive/Foto.jpg"
    pick 'T:\Foto.jpg'
    save_as 'T:\nur-lesen\Kopie.jpg'
    box "$PRODUCT" "$PICK_FREE_NAME"
    step "window $SAVE_TITLE"
    step "folder nur-lesen"
    step "name Kopie.jpg"
    step 'type T:\Kopie.jpg'
    step ok
    box "$SUCCESS"
    run_robot 0
    [ -z "$(listing "$drive/nur-lesen")" ] || fail "something was written into the read-only folder"
    expect_copy "$drive/Kopie.jpg"
}

scenario_disk_full() {
    # The copy of the photo is far larger than the 64 KiB the folder can hold.
    mount_tmpfs "$drive/voll" rw
    cp "$photo" "$drive/Foto.jpg"
    pick 'T:\Foto.jpg'
    save_as 'T:\voll\Kopie.jpg'
    box "$PRODUCT" "$SAVE_FAILED"
    run_robot 1
    [ -z "$(listing "$drive/voll")" ] || fail "left behind in the full folder: $(listing "$drive/voll")"
}

scenario_saved_umlauts() {
    mkdir "$drive/Urlaub am Bodensee"
    cp "$photo" "$drive/Urlaub am Bodensee/Fähre über den See.jpg"
    mkdir "$drive/Für Oma"
    pick 'T:\Urlaub am Bodensee\Fähre über den See.jpg'
    step "window $SAVE_TITLE"
    step "name Foto-unter-1-MB.jpg"
    step "button ok &Speichern"
    step 'type T:\Für Oma\Kleine Kopie für Öhringen.jpg'
    step ok
    box "$SUCCESS"
    run_robot 0
    expect_copy "$drive/Für Oma/Kleine Kopie für Öhringen.jpg"
    [ "$(dimensions "$drive/Für Oma/Kleine Kopie für Öhringen.jpg")" = "1800 1200" ] || fail "copy was resized"
    cmp -s "$photo" "$drive/Urlaub am Bodensee/Fähre über den See.jpg" || fail "the source was changed"
}

declare -F "scenario_$scenario" >/dev/null || fail "no scenario $scenario"
start=$(date +%s%N)
"scenario_$scenario"
echo "PASSED: $scenario in $((($(date +%s%N) - start) / 1000000)) ms"
