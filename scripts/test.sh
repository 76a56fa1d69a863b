#!/usr/bin/env bash
# Installs what is missing, builds, and runs the whole test suite under Wine.
# Extra arguments go to ctest (for example -L e2e, or -R device).
set -eu
. "$(dirname "$0")/session.sh"

zrc_build
zrc_start_display
zrc_start_wine
# The parallel jobs and each test's time limit are the test preset's (CMakePresets.json).
read -r jobs timeout < <(python3 -c 'import json, sys
preset = next(p for p in json.load(sys.stdin)["testPresets"] if p["name"] == "default")
print(preset["execution"]["jobs"], preset["execution"]["timeout"])' <"$ZRC_ROOT/CMakePresets.json")
ctest --test-dir "$RUN_DIR" --output-on-failure -j "$jobs" --timeout "$timeout" "$@"
