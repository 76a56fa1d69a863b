#!/usr/bin/env bash
# check-session-cleanup.sh: a script that sources scripts/session.sh under set -e leaves
# nothing running when it ends, even when wineserver -k fails in its exit handler.
set -eu
root=$(cd "$(dirname "$0")/../.." && pwd)
pids=$(mktemp)
trap 'rm -f "$pids"' EXIT
env -u DISPLAY bash -c '
    set -eu
    . "$1/scripts/session.sh"
    zrc_start_display
    kill -0 "${zrc_pids[0]}"
    echo "${zrc_pids[*]}" >"$2"
    # As if Wine had been started and its server had already gone: -k fails.
    zrc_wine_started=1 WINESERVER=false
' _ "$root" "$pids" || echo "the script ended with status $?"
read -ra started <"$pids"
[ ${#started[@]} -gt 0 ] || { echo "the display was not started"; exit 1; }
left=()
for pid in "${started[@]}"; do
    if kill -0 "$pid" 2>/dev/null; then
        left+=("$pid")
        kill "$pid"
    fi
done
[ ${#left[@]} -eq 0 ] || { echo "left running: ${left[*]}"; exit 1; }
echo "nothing left running (started: ${started[*]})"
