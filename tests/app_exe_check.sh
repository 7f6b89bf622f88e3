#!/bin/sh
# Reads the built program's headers: a GUI-subsystem program that imports
# from KERNEL32, USER32, COMDLG32 and the C runtime msvcrt.dll only, and
# carries no resources (no icon, version information or manifest).
# Usage: app_exe_check.sh OBJDUMP PROGRAM.exe
set -eu
objdump=$1
exe=$2
fail=0

headers=$("$objdump" -p "$exe")
sections=$("$objdump" -h "$exe")

if ! printf '%s\n' "$headers" | grep -Eq '^Subsystem[[:space:]]+0*2[[:space:]]+\(Windows GUI\)'; then
    echo "not a Windows GUI program:"; printf '%s\n' "$headers" | grep '^Subsystem' || true
    fail=1
fi

dlls=$(printf '%s\n' "$headers" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr 'A-Z' 'a-z' | sort -u | tr '\n' ' ')
if [ "$dlls" != "comdlg32.dll kernel32.dll msvcrt.dll user32.dll " ]; then
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

[ $fail -eq 0 ] && echo "$exe: GUI subsystem, imports $dlls no resources"
exit $fail
