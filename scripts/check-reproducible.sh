#!/usr/bin/env bash
# check-reproducible.sh EXE [FOLDER]: builds the product once more, from a copy of the
# sources in another folder (default build/reproducible, emptied first), and compares
# its ZrcUpdater.exe with EXE by SHA-256. Prints "reproducible: yes" and exits 0 when
# they are the same. Only the product is built, and nothing of EXE's build is reused.
# The copy is of the work tree, or with ZRC_SOURCE_COMMIT set, `git archive` of that commit.
set -eu
export LC_ALL=C
exe=$(realpath "$1")
. "$(dirname "$0")/session.sh"
folder=${2:-$PRODUCT_DIR/reproducible}

rm -rf "$folder"
mkdir -p "$folder/src"
if [ -n "${ZRC_SOURCE_COMMIT:-}" ]; then
    echo "second build: from git archive of $ZRC_SOURCE_COMMIT"
    git -C "$ZRC_ROOT" archive --format=tar "$ZRC_SOURCE_COMMIT" | tar -C "$folder/src" -x
else
    tar -C "$ZRC_ROOT" --exclude=./.git --exclude='./build*' -c . | tar -C "$folder/src" -x
fi
# The copy's own sources and toolchain files, in a build folder of a different name.
ZRC_ROOT=$folder/src ZRC_TARGETS=ZrcUpdater \
    zrc_configure_build "$folder/second-build" product

first=$(sha256sum <"$exe")
second=$(sha256sum <"$folder/second-build/bin/ZrcUpdater.exe")
echo "first build:  ${first%% *}  $exe"
echo "second build: ${second%% *}  $folder/second-build/bin/ZrcUpdater.exe"
if [ "$first" = "$second" ]; then
    echo "reproducible: yes"
else
    echo "reproducible: no"
    exit 1
fi
