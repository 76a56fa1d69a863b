#!/usr/bin/env bash
# CMake's cross-compiling emulator: runs one Windows executable under Wine.
set -eu
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
. "$(dirname "$0")/wine-env.sh"
exec "$ZRC_WINE" "$@"
