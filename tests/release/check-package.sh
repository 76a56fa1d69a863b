#!/usr/bin/env bash
# check-package.sh EXE VERSION OUT: packs EXE with scripts/package.sh, which checks the
# signature and its round trip itself, then checks the zip: exactly the program, the
# guide and SHA256SUMS, and the checksums those of the files in it.
set -eu
"$(dirname "$0")/../../scripts/package.sh" "$@"
out=$3
zips=("$out/ZrcUpdater-$2-win32"*.zip)
[ ${#zips[@]} -eq 1 ] || { echo "not one zip: ${zips[*]}"; exit 1; }
listed=$(unzip -Z1 "${zips[0]}" | sort | tr '\n' ' ')
[ "$listed" = "README.txt SHA256SUMS ZrcUpdater.exe " ] || { echo "zip holds: $listed"; exit 1; }

unpacked=$out/unpacked
rm -rf "$unpacked"
unzip -q "${zips[0]}" -d "$unpacked"
cd "$unpacked"
summed=$(cut -c67- SHA256SUMS | sort | tr '\n' ' ')
[ "$summed" = "README.txt ZrcUpdater.exe " ] || { echo "SHA256SUMS lists: $summed"; exit 1; }
sha256sum --check --strict SHA256SUMS
