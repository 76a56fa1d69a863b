#!/usr/bin/env bash
# Installs what is missing, builds, and starts the updater under Wine against the
# simulated device (at 0211, with a made image in build/demo/work). With a display the
# program opens there for you to use; without one (a server, CI) scripts/demo.sh runs
# an update through the UI driver and reports it. The exit code is then its verdict.
set -eu
. "$(dirname "$0")/session.sh"
. "$ZRC_ROOT/scripts/demo.sh"

zrc_build
if [ -n "${DISPLAY:-}" ]; then
    zrc_start_wine
    zrc_prepare_demo
    cd "$DEMO_WORK"
    "$ZRC_WINE" "$RUN_DIR/bin/ZrcUpdater.exe"
else
    zrc_start_display
    zrc_start_wine
    zrc_prepare_demo
    zrc_headless_demo
fi
