#!/bin/sh
# SPDX-FileCopyrightText: 2026 The Pixelzaun authors
# SPDX-License-Identifier: MIT
# Reads the built program's headers and bytes: a GUI-subsystem program that
# imports from KERNEL32, USER32, COMDLG32, the C runtime msvcrt.dll and
# ADVAPI32 (which seeds the stack protector's canary) only, carries no
# resources (no icon, version information or manifest), has ASLR with 64-bit
# entropy, DEP and the stack protector, the decoder's and encoder's unit
# included, uses no register wider than SSE2's, and holds neither a time
# stamp nor a path of the folders it was built from.
# Usage: app_exe_check.sh OBJDUMP PROGRAM.exe LIBSTB_LIBRARIES.a SOURCE_DIR BUILD_DIR
set -eu
objdump=$1
exe=$2
library=$3
source_dir=$4
build_dir=$5
fail=0

headers=$("$objdump" -p "$exe")
sections=$("$objdump" -h "$exe")

if ! printf '%s\n' "$headers" | grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]+\(Windows GUI\)'; then
    echo "not a Windows GUI program:"; printf '%s\n' "$headers" | grep '^Subsystem' || true
    fail=1
fi

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
if [ "$dlls" != "advapi32.dll comdlg32.dll kernel32.dll msvcrt.dll user32.dll " ]; then
    echo "imports from: $dlls"
    fail=1
fi

if printf '%s\n' "$sections" | grep -q '\.rsrc'; then
    echo "has a resource section"
    fail=1
fi
# The resource entry of the data directory must be empty as well.
if ! printf '%s\n' "$headers" | grep -Eq '^Entry 2 0+ 0+ Resource Directory'; then
    echo "resource directory not empty:"; printf '%s\n' "$headers" | grep 'Resource Directory' || true
    fail=1
fi

# ASLR needs the flags and relocations to move the image by.
for flag in HIGH_ENTROPY_VA DYNAMIC_BASE NX_COMPAT; do
    if ! printf '%s\n' "$headers" | grep -Eq "^[[:space:]]+$flag\$"; then
        echo "DllCharacteristics lack $flag"
        fail=1
    fi
done
if printf '%s\n' "$headers" | grep -Eq '^Entry 5 0+ 0+ Base Relocation Directory'; then
    echo "no base relocations: the image cannot be moved"
    fail=1
fi

# The protector's failure routine is linked only when some function calls
# it, and its canary is seeded from the system's random numbers at start.
if ! grep -aqF '*** stack smashing detected ***' "$exe"; then
    echo "no stack protector in the program"
    fail=1
fi
if ! printf '%s\n' "$headers" | grep -Eq '[[:space:]]CryptGenRandom$'; then
    echo "the stack protector's canary is not seeded (no CryptGenRandom import)"
    fail=1
fi
# The decoder and encoder, which read the files, must be protected themselves.
if ! "$objdump" -t "$library" | awk '/file format/ {unit = $1} unit ~ /stb_libraries/ && /\(sec  0\).* __stack_chk_fail$/ {found = 1} END {exit !found}'; then
    echo "the decoder's unit in $library is built without the stack protector"
    fail=1
fi

# SSE2 at most: mingw-w64's GCC may keep 256-bit values in stack slots
# aligned to 16 bytes only (GCC bug 54412), which crashes on Windows though
# never under Wine, so no instruction may name a 256- or 512-bit register.
if "$objdump" -d "$exe" | grep -Eq '%[yz]mm[0-9]'; then
    echo "uses 256- or 512-bit registers:"; "$objdump" -d "$exe" | grep -E '%[yz]mm[0-9]' | head -5
    fail=1
fi

# Reproducible bytes: the PE header's TimeDateStamp (COFF header, 8 bytes
# after the PE signature, whose offset is at 0x3c) is zero, and no path of
# the sources or the build folder is in the file.
pe=$(od -An -tu4 -j60 -N4 "$exe" | tr -d ' ')
stamp=$(od -An -tu4 -j$((pe + 8)) -N4 "$exe" | tr -d ' ')
if [ "$stamp" != 0 ]; then
    echo "PE time stamp is $stamp, not 0"
    fail=1
fi
for dir in "$source_dir" "$build_dir"; do
    if grep -aqF "$dir" "$exe"; then
        echo "holds the path $dir"
        fail=1
    fi
done

[ $fail -eq 0 ] && echo "$exe: GUI subsystem, imports $dlls no resources, ASLR (high entropy), DEP," \
    "stack protector (decoder included), SSE2 at most, no time stamp, no build path"
exit $fail
