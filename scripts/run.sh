#!/usr/bin/env bash
# Installs what is missing, builds, and starts the updater under Wine.
set -eu
. "$(dirname "$0")/session.sh"

zrc_build
zrc_start_display
zrc_start_wine
cd "$RUN_DIR/bin"
"$ZRC_WINE" ZrcUpdater.exe
