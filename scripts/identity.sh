# Sourced: the updater's identities, read from its headers so that no script copies them.
ZRC_IDENTITY_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../app" && pwd)

# zrc_id NAME: a dialog or control id from resource.h (IDC_STATUS gives 1053).
zrc_id() {
    sed -n "s/^#define $1 \{1,\}\([0-9]\{1,\}\).*/\1/p" "$ZRC_IDENTITY_DIR/resource.h"
}

# zrc_text NAME: a text from UpdaterIdentity.h or UpdaterMessages.h (kMainWindowTitle,
# ZRC_ABOUT_TITLE, kRunEndUpdateOk), written there as one literal or as one macro that is.
zrc_text() {
    local headers=("$ZRC_IDENTITY_DIR/UpdaterIdentity.h" "$ZRC_IDENTITY_DIR/UpdaterMessages.h")
    local text macro
    text=$(sed -n "s/.*\<$1\>[^\"]*\"\([^\"]*\)\".*/\1/p" "${headers[@]}")
    if [ -z "$text" ]; then
        macro=$(sed -n "s/.*\<$1\>\[\] *= *\([A-Z_]*\);.*/\1/p" "${headers[@]}")
        [ -n "$macro" ] && text=$(zrc_text "$macro")
    fi
    printf '%s' "$text"
}
