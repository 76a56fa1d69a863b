#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine.
# Extra arguments go to ctest (for example -L e2e, or -R device).
set -eu
. "$(dirname "$0")/session.sh"

zrc_build
zrc_start_display
zrc_start_wine
ctest --test-dir "$RUN_DIR" --output-on-failure -j 2 --timeout 600 "$@"
