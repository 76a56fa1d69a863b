#!/usr/bin/env bash
# Checks that scripts/demo.sh waits for every text with which an update attempt can end:
# its RUN_ENDS list names each kRunEnd text of app/UpdaterMessages.h. One it did not know
# would keep the demo waiting for its whole timeout. Also that the texts the demo reads
# through scripts/identity.sh come out whole.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
ends=$(LC_ALL=C sed -n 's/.*constexpr char \(kRunEnd[A-Za-z]*\)\[\].*/\1/p' "$root/app/UpdaterMessages.h")
if [ -z "$ends" ]; then
    echo "no kRunEnd text found in app/UpdaterMessages.h" >&2
    exit 1
fi
waited=$(sed -n '/^RUN_ENDS=(/,/)$/p' "$root/scripts/demo.sh")
missing=0
for end in $ends; do
    if ! LC_ALL=C grep -q "\<$end\>" <<<"$waited"; then
        echo "scripts/demo.sh does not wait for $end" >&2
        missing=1
    fi
done
# The demo reads the texts through identity.sh: the composed ones must come out whole,
# as the user sees them (written out here, apart from the headers).
. "$root/scripts/identity.sh"
for expected in 'kMainWindowTitle=TAVO ZRC-MT40 Updater v0214' \
    'kRunEndNotReady=USB Device is Not Ready!!\r\n' 'kNewVersion=0214' \
    'kStatusUpdatingFlash=Updating Flash... ' 'ZRC_STAGING_FILE_NAME=update_temp.bin'; do
    if [ "$(zrc_text "${expected%%=*}")" != "${expected#*=}" ]; then
        echo "identity.sh reads ${expected%%=*} as \"$(zrc_text "${expected%%=*}")\"" >&2
        missing=1
    fi
done
[ "$missing" -eq 0 ] && echo "scripts/demo.sh waits for every end of an update attempt:" $ends
exit "$missing"
