#!/usr/bin/env bash
# Creates the Wine prefix given as $1 (architecture from ZRC_WINE_ARCH) once; later
# calls return at once.
set -eu
prefix=$1
export WINEPREFIX=$prefix
. "$(dirname "$0")/wine-env.sh"
[ -f "$prefix/.zrc-ready" ] && exit 0

mkdir -p "$prefix"
"$ZRC_WINE" wineboot --init >/dev/null 2>&1
# Without a window manager, Wine waits for each managed window; unmanaged windows do not stall.
"$ZRC_WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
"$WINESERVER" -w
touch "$prefix/.zrc-ready"
