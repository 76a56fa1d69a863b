#!/usr/bin/env bash
# The release in one command: installs what is missing, refuses a work tree with changes
# or untracked files, checks the signing inputs by signing a probe program, builds the
# product in a clean build tree (build/release-tree), checks its imports and hardening,
# proves the build reproducible by building it again from `git archive` of HEAD elsewhere,
# then signs and packs it into build/release/ (see scripts/package.sh for what goes there,
# scripts/signing.sh for the signing key's environment variables). The previous release
# stays as it was until the new one is complete and verified.
#
# ZRC_ALLOW_DIRTY=1 releases an uncommitted tree all the same: the second build copies the
# work tree, and the zip's name and BUILD file are marked -dirty.
set -eu
export LC_ALL=C
. "$(dirname "$0")/session.sh"
. "$ZRC_ROOT/scripts/signing.sh"

commit=$(git -C "$ZRC_ROOT" rev-parse HEAD)
changes=$(git -C "$ZRC_ROOT" status --porcelain --untracked-files=all)
suffix=
if [ -n "$changes" ]; then
    if [ "${ZRC_ALLOW_DIRTY:-}" != 1 ]; then
        echo "release refused: the work tree has changes or untracked files:" >&2
        sed 's/^/  /' <<<"$changes" >&2
        echo "Commit or remove them (ZRC_ALLOW_DIRTY=1 makes a zip marked -dirty)." >&2
        exit 1
    fi
    echo "The work tree has changes or untracked files: the zip is marked -dirty."
    suffix=-dirty
fi

"$ZRC_ROOT/scripts/setup.sh"
zrc_signing_setup "$PRODUCT_DIR/test-signing"
zrc_signing_check
export ZRC_SIGNING_CHECKED=1

tree=$PRODUCT_DIR/release-tree
rm -rf "$tree"
ZRC_TARGETS=ZrcUpdater zrc_configure_build "$tree" product
exe=$tree/bin/ZrcUpdater.exe
"$ZRC_ROOT/scripts/check-pe.sh" "$exe"
"$ZRC_ROOT/scripts/check-hardening.sh" "$exe"
if [ -z "$suffix" ]; then
    ZRC_SOURCE_COMMIT=$commit "$ZRC_ROOT/scripts/check-reproducible.sh" "$exe"
else
    "$ZRC_ROOT/scripts/check-reproducible.sh" "$exe"
fi
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
ZRC_COMMIT=$commit$suffix ZRC_PACKAGE_SUFFIX=$suffix \
    SOURCE_DATE_EPOCH=$(git -C "$ZRC_ROOT" log -1 --format=%ct "$commit") \
    "$ZRC_ROOT/scripts/package.sh" "$exe" "$version" "$PRODUCT_DIR/release"
echo "reproducible: yes"
