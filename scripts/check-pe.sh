#!/usr/bin/env bash
# Checks that $1 is a 32-bit PE image (PE32, not PE32+) importing only Windows system DLLs.
# objdump's text is read in the C locale (translated, its lines would match nothing), and
# an image in which no imported DLL is found fails.
set -eu
export LC_ALL=C
exe=$1
dump=$(i686-w64-mingw32-objdump -p "$exe")
if ! grep -q 'file format pei-i386' <<<"$dump"; then
    echo "$exe is not a 32-bit PE image" >&2
    exit 1
fi
allowed='^(KERNEL32|USER32|GDI32|COMCTL32|COMDLG32|OLE32|OLEAUT32|ADVAPI32|SHELL32|msvcrt|WS2_32|VERSION|UXTHEME)\.dll$'
dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$dump")
if [ -z "$dlls" ]; then
    echo "$exe: no imported DLL found in objdump's output" >&2
    exit 1
fi
status=0
while read -r dll; do
    if grep -qiE "$allowed" <<<"$dll"; then
        echo "imports $dll"
    else
        echo "imports $dll, which is not a Windows system DLL" >&2
        status=1
    fi
done <<<"$dlls"
exit $status
