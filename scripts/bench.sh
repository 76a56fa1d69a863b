#!/usr/bin/env bash
# Builds the firmware benchmark and runs it under Wine in a scratch folder of the build
# tree. An argument sets the repeat count of the timed runs (51 by default).
set -eu
export ZRC_TARGETS=${ZRC_TARGETS:-firmware_bench}
. "$(dirname "$0")/session.sh"

zrc_build
zrc_start_display
zrc_start_wine
scratch=$RUN_DIR/bench-scratch
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
"$ZRC_WINE" "$RUN_DIR/bin/firmware_bench.exe" "$@"
