#!/usr/bin/env bash
# package.sh EXE VERSION OUT: signs the product EXE (ZrcUpdater.debug beside it) and packs
# it into the folder OUT:
#   ZrcUpdater-VERSION-win32.zip   the signed ZrcUpdater.exe, README.txt, BUILD (the version,
#                                  commit and commit date) and SHA256SUMS
#   ZrcUpdater-unsigned.exe        EXE as built
#   ZrcUpdater.debug               its debug information
# The package is assembled in a scratch folder beside OUT and replaces OUT only once the
# signed copy in the zip verifies and, with its signature removed, is EXE byte for byte. On
# any failure OUT is left as it was and nothing named like a release is left behind.
#
# The zip is the same, byte for byte, for the same commit: its entries are in a fixed order
# with fixed modes and the commit's date (SOURCE_DATE_EPOCH, default: the commit's), and a
# test signing takes that date as its signing time with a key kept beside OUT. ZRC_COMMIT
# names the commit (default: HEAD's), ZRC_PACKAGE_SUFFIX marks the zip's name (release.sh
# gives -dirty for an uncommitted tree). scripts/signing.sh tells how the program is signed.
set -eu
export LC_ALL=C
exe=$(realpath "$1") version=$2 out=$(realpath -m "$3")
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/signing.sh"

commit=${ZRC_COMMIT:-$(git -C "$root" rev-parse HEAD)}
epoch=${SOURCE_DATE_EPOCH:-$(git -C "$root" log -1 --format=%ct "$commit")}
parent=$(dirname "$out")
zrc_signing_setup "$parent/test-signing"
[ -n "${ZRC_SIGNING_CHECKED:-}" ] || zrc_signing_check

mkdir -p "$parent"
scratch=$(mktemp -d "$parent/.package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
files=$scratch/files
mkdir "$files" "$scratch/out"
unsigned=$scratch/out/ZrcUpdater-unsigned.exe
cp "$exe" "$unsigned"
cp "$(dirname "$exe")/ZrcUpdater.debug" "$scratch/out/"

zrc_sign "$unsigned" "$files/ZrcUpdater.exe" "$epoch" >/dev/null
# Read on Windows: CRLF line ends.
sed 's/$/\r/' "$root/docs/README.txt" >"$files/README.txt"
printf 'ZrcUpdater %s\ncommit %s\ndate %s\n' "$version" "$commit" \
    "$(date -u -d "@$epoch" +%Y-%m-%dT%H:%M:%SZ)" | sed 's/$/\r/' >"$files/BUILD"
(cd "$files" && sha256sum BUILD README.txt ZrcUpdater.exe >SHA256SUMS)
entries=(BUILD README.txt SHA256SUMS ZrcUpdater.exe)
zip=$scratch/out/ZrcUpdater-$version-win32${ZRC_PACKAGE_SUFFIX:-}$zrc_sign_suffix.zip
(
    cd "$files"
    chmod 0644 "${entries[@]}"
    touch -d "@$epoch" "${entries[@]}"
    # No extra fields (-X), no folder entries (-D); the times zip stores are local: UTC.
    TZ=UTC zip -q -X -D "$zip" "${entries[@]}"
)

# The files as shipped, taken back out of the zip.
unzip -q "$zip" -d "$scratch/shipped"
shipped=$scratch/shipped/ZrcUpdater.exe
if ! log=$(zrc_verify "$shipped" 2>&1); then
    echo "$log" >&2
    echo "signature: NOT verified (the line above); $out left as it was" >&2
    exit 1
fi
osslsigncode remove-signature -in "$shipped" -out "$scratch/round-trip.exe" >/dev/null
if ! cmp -s "$scratch/round-trip.exe" "$unsigned"; then
    echo "signature removed: NOT the unsigned program; $out left as it was" >&2
    exit 1
fi

# Only now is the previous release replaced.
if [ -e "$out" ]; then
    mv -T "$out" "$scratch/previous"
fi
if ! mv -T "$scratch/out" "$out"; then
    [ -e "$scratch/previous" ] && mv -T "$scratch/previous" "$out"
    exit 1
fi
zip=$out/$(basename "$zip")

echo "zip: $zip"
echo "  $(sha256sum <"$zip" | cut -d' ' -f1)  $(basename "$zip")"
sed 's/^/  /' "$scratch/shipped/SHA256SUMS"
echo "signed ZrcUpdater.exe: $(stat -c %s "$shipped") bytes"
echo "signature: verified against $zrc_sign_ca (SHA-256 digests)"
[ -z "$zrc_sign_tsa_ca" ] || echo "time stamp: verified against $zrc_sign_tsa_ca"
echo "signature removed: the unsigned program byte for byte"
echo "commit: $commit"
