#!/usr/bin/env bash
# The release in one command: installs what is missing, builds the product in a clean
# build tree (build/release-tree), proves the build reproducible by building it again
# elsewhere, then signs and packs it into build/release/ (see scripts/package.sh for
# what goes there and for the signing key's environment variables).
set -eu
. "$(dirname "$0")/session.sh"

"$ZRC_ROOT/scripts/setup.sh"
tree=$PRODUCT_DIR/release-tree
rm -rf "$tree"
ZRC_TARGETS=ZrcUpdater zrc_configure_build "$tree" product
exe=$tree/bin/ZrcUpdater.exe
"$ZRC_ROOT/scripts/check-pe.sh" "$exe"
"$ZRC_ROOT/scripts/check-reproducible.sh" "$exe"
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
"$ZRC_ROOT/scripts/package.sh" "$exe" "$version" "$PRODUCT_DIR/release"
echo "reproducible: yes"
