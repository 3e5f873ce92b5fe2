#!/usr/bin/env bash
# The Windows module is a DLL of the architecture built for (objdump's name: i386 for 32-bit
# x86, the default, or i386:x86-64) that exports exactly one name, main, and imports only DLLs
# that come with Windows: the C++ runtime, libgcc and the thread library are linked in.
# Usage: check-dll.sh DLL [ARCHITECTURE]
set -euo pipefail
dll=$1
architecture=${2:-i386}
headers=$("${OBJDUMP:-i686-w64-mingw32-objdump}" -p "$dll")

if ! grep -q "^architecture: $architecture," <<<"$("${OBJDUMP:-i686-w64-mingw32-objdump}" -f "$dll")"; then
    echo "$dll is not an $architecture file"
    exit 1
fi

# The export table lists "[Ordinal/Name Pointer] Table" rows as "[   0] +base[   1] 0000 name".
exports=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$headers" | grep -E '^\s+\[' |
    awk '{print $NF}')
if [ "$exports" != "main" ]; then
    echo "exports of $dll:"
    echo "$exports"
    exit 1
fi

system_dlls='^(kernel32|user32|gdi32|ole32|oleaut32|shell32|comdlg32|version|msvcrt|advapi32|uuid)\.dll$'
imports=$(grep 'DLL Name:' <<<"$headers" | awk '{print tolower($3)}')
foreign=$(grep -Ev "$system_dlls" <<<"$imports" || true)
if [ -n "$foreign" ]; then
    echo "$dll imports DLLs that Windows does not ship:"
    echo "$foreign"
    exit 1
fi
echo "$dll: exports main only; imports $(echo $imports)"
