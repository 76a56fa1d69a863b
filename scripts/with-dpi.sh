#!/usr/bin/env bash
# Runs one Windows program under Wine with the prefix at the given DPI, then gives the
# prefix its own DPI back. The DPI is the prefix's: nothing else may run in it meanwhile.
# The program sees the DPI in ZRC_TEST_DPI.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
dpi=$1
shift
. "$(dirname "$0")/wine-env.sh"
key='HKCU\Control Panel\Desktop'
"$ZRC_WINE" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
trap '"$ZRC_WINE" reg delete "$key" /v LogPixels /f >/dev/null 2>&1' EXIT
ZRC_TEST_DPI=$dpi "$ZRC_WINE" "$@"
