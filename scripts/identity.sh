# Sourced: the updater's identities, read from its headers so that no script copies them.
ZRC_IDENTITY_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../app" && pwd)

# zrc_id NAME: a dialog or control id from resource.h (IDC_STATUS gives 1053).
zrc_id() {
    sed -n "s/^#define $1 \{1,\}\([0-9]\{1,\}\).*/\1/p" "$ZRC_IDENTITY_DIR/resource.h"
}

# zrc_text NAME: a text from UpdaterIdentity.h (kMainWindowTitle, ZRC_ABOUT_TITLE).
zrc_text() {
    sed -n "s/.*\<$1\>[^\"]*\"\([^\"]*\)\".*/\1/p" "$ZRC_IDENTITY_DIR/UpdaterIdentity.h"
}
