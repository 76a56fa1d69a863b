# Sourced by the scripts that build or run the project (test.sh, run.sh, demo.sh, bench.sh,
# release.sh, check-reproducible.sh). Builds through the presets of CMakePresets.json and
# brings up what Wine needs for one run (a display and one long-lived wineserver); both
# are taken down on exit. Only processes started here are stopped, by their PIDs.
#
# The product is the 32-bit build in build/. On a machine that cannot execute 32-bit
# code, the same sources are also built for 64-bit Windows in build/x86_64, and the
# tests and the program run from there under 64-bit Wine.

ZRC_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PRODUCT_DIR=${BUILD_DIR:-$ZRC_ROOT/build}

zrc_pids=()
zrc_cleanup() {
    local pid
    # Runs to its end whatever fails on the way (a set -e caller's exit handler would stop
    # at the first failing command and leave the rest running).
    set +e
    # Ends the Wine processes of this run's prefix (its services too), then the rest.
    [ -n "${zrc_wine_started:-}" ] && { "$WINESERVER" -k 2>/dev/null || true; }
    for pid in "${zrc_pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${zrc_pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
}
trap zrc_cleanup EXIT

# zrc_configure_build <dir> <configure preset> [cmake options...]
# Configures <dir> once from the preset (its toolchain, generator and settings), then
# builds what changed.
zrc_configure_build() {
    local dir=$1 preset=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$ZRC_ROOT" --preset "$preset" -B "$dir" "$@" >/dev/null
    fi
    # ZRC_TARGETS (space-separated) narrows the build, for work on one area.
    # shellcheck disable=SC2086
    cmake --build "$dir" ${ZRC_TARGETS:+--target $ZRC_TARGETS}
}

# Builds the product and selects the tree whose binaries this machine can run.
zrc_build() {
    "$ZRC_ROOT/scripts/setup.sh"
    zrc_configure_build "$PRODUCT_DIR" default
    if "$ZRC_ROOT/scripts/can-run-i386.sh"; then
        RUN_DIR=$PRODUCT_DIR
        export ZRC_WINE_ARCH=win32
    else
        echo "This machine cannot execute 32-bit code: tests run the 64-bit build under 64-bit Wine."
        RUN_DIR=$PRODUCT_DIR/x86_64
        export ZRC_WINE_ARCH=win64
        zrc_configure_build "$RUN_DIR" x86_64 -DZRC_PRODUCT_EXE="$PRODUCT_DIR/bin/ZrcUpdater.exe"
    fi
    export WINEPREFIX=$RUN_DIR/wineprefix
    . "$ZRC_ROOT/scripts/wine-env.sh"
}

# Without a display (a server, CI) Wine gets a virtual X server of its own.
zrc_start_display() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fifo number
    fifo=$(mktemp -u)
    mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    zrc_pids+=($!)
    read -r number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=:$number
}

# The prefix is made once; then one wineserver serves every Wine process of this run.
zrc_start_wine() {
    "$ZRC_ROOT/scripts/wine-prefix.sh" "$WINEPREFIX"
    "$WINESERVER" -f -p >/dev/null 2>&1 &
    zrc_pids+=($!)
    zrc_wine_started=1
    # Wine's background services outlive the process that starts them; start them here,
    # detached from the output pipes that ctest waits on.
    "$ZRC_WINE" wineboot >/dev/null 2>&1 </dev/null
}
