# Sourced: the updater's identities, read from its headers so that no script copies them.
ZRC_IDENTITY_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../app" && pwd)

# zrc_id NAME: a dialog or control id from resource.h (IDC_STATUS gives 1053).
zrc_id() {
    sed -n "s/^#define $1 \{1,\}\([0-9]\{1,\}\).*/\1/p" "$ZRC_IDENTITY_DIR/resource.h"
}

# zrc_text NAME: a text from UpdaterIdentity.h, UpdaterMessages.h, the shipped firmware's
# header or the staging file's (kMainWindowTitle, ZRC_ABOUT_TITLE, kRunEndUpdateOk,
# ZRC_STAGING_FILE_NAME), written there as string literals and macros that are texts in
# turn, in any order, over one or two lines. Escapes such as \r\n stay as written.
zrc_text() {
    local headers=("$ZRC_IDENTITY_DIR/UpdaterIdentity.h" "$ZRC_IDENTITY_DIR/UpdaterMessages.h"
        "$ZRC_IDENTITY_DIR/../firmware/ShippedFirmware.h"
        "$ZRC_IDENTITY_DIR/../firmware/StagingFile.h")
    local value token text=
    # A definition whose value starts on the next line is joined to it first.
    value=$(sed -e ':join' -e '/= *$/{N;s/= *\n */= /;b join' -e '}' "${headers[@]}" |
        sed -n -e "s/.*\<$1\>\[\] *= *\(.*\);.*/\1/p" -e "s/^#define $1 \{1,\}\(.*\)/\1/p")
    while read -r token; do
        case $token in
        \"*) text+=${token:1:${#token}-2} ;;
        *) text+=$(zrc_text "$token") ;;
        esac
    done < <(grep -oE '"[^"]*"|[A-Z_][A-Z0-9_]*' <<<"$value")
    printf '%s' "$text"
}
