#!/usr/bin/env bash
# The updater against the simulated device, without a screen: the program runs in a
# Wine virtual desktop on a virtual X server, the UI driver presses Update, and every
# status text, the flash's progress and the verdict are printed as they appear, with a
# screenshot of each stage in build/demo/. The exit code says whether the update
# succeeded. Run on its own, or by run.sh when there is no display.
#
# Sourced, it only defines the functions that run.sh uses.

# The simulated flash takes this long here (a real one, and the simulator's default,
# takes about 30 s).
ZRC_DEMO_FLASH_MS=${ZRC_DEMO_FLASH_MS:-15000}
. "$(dirname "${BASH_SOURCE[0]}")/identity.sh"
ZRC_MAIN_TITLE=$(zrc_text kMainWindowTitle)
ZRC_ABOUT_TITLE=$(zrc_text ZRC_ABOUT_TITLE)
ZRC_UPDATING_FLASH=$(zrc_text kStatusUpdatingFlash)
ID_STATUS=$(zrc_id IDC_STATUS)
ID_PROGRESS=$(zrc_id IDC_PROGRESS)
ID_UPDATE=$(zrc_id IDC_UPDATE)
ID_ABOUT=$(zrc_id IDC_ABOUT)
ID_CURRENT_VERSION=$(zrc_id IDC_CURRENT_VERSION)
ID_NEW_VERSION=$(zrc_id IDC_NEW_VERSION)
# What the status log reads at the end of the device check and of an update attempt.
DEVICE_CHECK_ENDS=("$(zrc_text kStatusReady)" "$(zrc_text kStatusVersionError)"
    "$(zrc_text kStatusDeviceCheck)\r\n$(zrc_text kRunEndNotReady)")
RUN_ENDS=("$(zrc_text kRunEndUpdateOk)" "$(zrc_text kRunEndUpdateNg)"
    "$ZRC_UPDATING_FLASH$(zrc_text kStatusDone)$(zrc_text kRunEndUpdateNg)"
    "$(zrc_text kRunEndNotReady)" "$(zrc_text kRunEndFileAccessError)"
    "$(zrc_text kRunEndFileVersionError)" "$(zrc_text kRunEndNotStarted)")
ZRC_DEMO_DESKTOP=ZrcDemo
ZRC_DEMO_SIZE=640x480

# Windows sees the Linux file system as drive Z:.
zrc_winpath() {
    local path=$1
    printf 'Z:%s' "${path//\//\\}"
}

# A fresh simulated device at 0211 and a made image in a working folder under build/.
zrc_prepare_demo() {
    DEMO_DIR=$PRODUCT_DIR/demo
    DEMO_WORK=$DEMO_DIR/work
    mkdir -p "$DEMO_WORK" "$DEMO_DIR/device"
    rm -f "$DEMO_DIR"/*.png "$DEMO_WORK/$(zrc_text ZRC_STAGING_FILE_NAME)"
    export ZRCSIM_STATE
    ZRCSIM_STATE=$(zrc_winpath "$DEMO_DIR/device")
    "$ZRC_WINE" regsvr32 /s "$RUN_DIR/bin/zrcsim.dll"
    (cd "$DEMO_WORK" && "$ZRC_WINE" "$RUN_DIR/bin/mkfirmware.exe" >/dev/null)
    "$ZRC_WINE" "$RUN_DIR/bin/zrcsim.exe" reset >/dev/null
    "$ZRC_WINE" "$RUN_DIR/bin/zrcsim.exe" set flash_ms="$ZRC_DEMO_FLASH_MS" read_ms=2000 >/dev/null
    echo "Simulated device at 0211 in $DEMO_DIR/device; image and working folder: $DEMO_WORK"
}

zrc_driver() {
    "$ZRC_WINE" "$RUN_DIR/bin/uidriver.exe" --desktop "$ZRC_DEMO_DESKTOP" "$@"
}

# zrc_shot NAME: the virtual desktop as build/demo/NN-NAME.png.
zrc_shot() {
    demo_shots=$((demo_shots + 1))
    local file
    file=$(printf '%s/%02d-%s.png' "$DEMO_DIR" "$demo_shots" "$1")
    if import -window root -display "$DISPLAY" -crop "$ZRC_DEMO_SIZE+0+0" +repage "$file" 2>/dev/null; then
        echo "  screenshot: ${file#"$ZRC_ROOT"/}"
    else
        echo "  (no screenshot: ImageMagick's import failed)"
    fi
}

# A status text as a file name: "Update OK.\r\n" becomes update-ok.
zrc_slug() {
    local text=${1//\\r/ }
    text=${text//\\n/ }
    text=$(printf '%s' "$text" | tr 'A-Z' 'a-z' | tr -cs 'a-z0-9' '-')
    text=${text#-}
    printf '%s' "${text%-}"
}

# zrc_watch_status TIMEOUT-MS UNTIL...: prints each new status text until one of the
# UNTIL texts; while the flash runs, says every 5 s for how long. The last text is left
# in demo_status.
zrc_watch_status() {
    local timeout=$1 line flash_start=0 status_fd watcher
    shift
    exec {status_fd}< <(zrc_driver watch "$ZRC_MAIN_TITLE" "$ID_STATUS" "$timeout" "$@" 2>/dev/null)
    watcher=$!
    demo_status=
    while :; do
        if IFS= read -r -t 5 line <&"$status_fd"; then
            demo_status=$line
            if [ -z "$line" ]; then
                echo "  status: (empty)"
                continue
            fi
            echo "  status: \"$line\""
            if [ "$line" = "$ZRC_UPDATING_FLASH" ]; then
                flash_start=$SECONDS
                echo "  the flash is under way"
            fi
            zrc_shot "$(zrc_slug "$line")"
        elif [ $? -gt 128 ]; then
            if [ "$flash_start" -gt 0 ] && [ "$demo_status" = "$ZRC_UPDATING_FLASH" ]; then
                # The bar moves with time alone, one step every kProgressPeriodMs
                # (UpdaterIdentity.h).
                local progress
                progress=$(zrc_driver progress "$ZRC_MAIN_TITLE" "$ID_PROGRESS" 2>/dev/null) || progress=
                # 0 after the flash: the completion has already reset the bar.
                [ "$progress" = 0 ] && progress=
                echo "  flash under way for $((SECONDS - flash_start)) s${progress:+, progress bar at $progress%}"
            fi
        else
            break
        fi
    done
    exec {status_fd}<&-
    wait "$watcher" 2>/dev/null || true
    [ "$flash_start" -gt 0 ] && echo "  the flash and its check took $((SECONDS - flash_start)) s"
    return 0
}

zrc_headless_demo() {
    demo_shots=0
    echo "Starting ZrcUpdater.exe in a Wine virtual desktop ($ZRC_DEMO_SIZE) on display $DISPLAY"
    (cd "$DEMO_WORK" &&
        exec "$ZRC_WINE" explorer "/desktop=$ZRC_DEMO_DESKTOP,$ZRC_DEMO_SIZE" \
            "$(zrc_winpath "$RUN_DIR/bin/ZrcUpdater.exe")") >/dev/null 2>&1 &
    local app=$!
    if ! zrc_driver wait-window "$ZRC_MAIN_TITLE" 60000; then
        echo "The updater's window did not appear." >&2
        return 1
    fi
    zrc_shot start
    echo "Device check:"
    zrc_watch_status 60000 "${DEVICE_CHECK_ENDS[@]}"
    echo "  current version: $(zrc_driver get "$ZRC_MAIN_TITLE" "$ID_CURRENT_VERSION")," \
        "new version: $(zrc_driver get "$ZRC_MAIN_TITLE" "$ID_NEW_VERSION")"

    local verdict=$demo_status
    if zrc_driver wait-enabled "$ZRC_MAIN_TITLE" "$ID_UPDATE" 1 1000 &&
        zrc_driver click "$ZRC_MAIN_TITLE" "$ID_UPDATE"; then
        echo "Update pressed:"
        zrc_watch_status 600000 "${RUN_ENDS[@]}"
        verdict=$demo_status
    else
        echo "Update cannot be pressed."
    fi
    local version
    version=$(zrc_driver get "$ZRC_MAIN_TITLE" "$ID_CURRENT_VERSION") || version="(not read)"

    if zrc_driver wait-enabled "$ZRC_MAIN_TITLE" "$ID_ABOUT" 1 5000 &&
        zrc_driver click "$ZRC_MAIN_TITLE" "$ID_ABOUT" &&
        zrc_driver wait-window "$ZRC_ABOUT_TITLE" 10000; then
        zrc_shot about
        zrc_driver close "$ZRC_ABOUT_TITLE" escape || true
        zrc_driver wait-gone "$ZRC_ABOUT_TITLE" 10000 || true
    fi
    zrc_driver click "$ZRC_MAIN_TITLE" 1 || zrc_driver close "$ZRC_MAIN_TITLE" sysmenu || true
    zrc_driver wait-gone "$ZRC_MAIN_TITLE" 20000 || true
    wait "$app" 2>/dev/null || true

    echo "Verdict: \"$verdict\"  version read back: $version"
    echo "Screenshots: ${DEMO_DIR#"$ZRC_ROOT"/}/"
    [ "$verdict" = "$(zrc_text kRunEndUpdateOk)" ] && [ "$version" = "$(zrc_text kNewVersion)" ]
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    set -eu
    . "$(dirname "$0")/session.sh"
    zrc_build
    # Always a virtual X server of its own, even where a display exists.
    unset DISPLAY
    zrc_start_display
    zrc_start_wine
    zrc_prepare_demo
    zrc_headless_demo
fi
