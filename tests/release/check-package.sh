#!/usr/bin/env bash
# check-package.sh EXE VERSION OUT [SECOND]: packs EXE with scripts/package.sh (which checks
# the signature and its round trip itself) and SECOND (another build's program, default
# EXE) in another time zone, umask and locale, and checks that the two zips are the same
# bytes; then the zip: exactly the program, the guide, BUILD with the commit and
# SHA256SUMS, in that order, with fixed modes and the commit's date, and the checksums
# those of the files in it.
set -eu
# Signing, dates and overrides of the caller's environment would change what is checked.
unset "${!ZRC_SIGN_@}" ZRC_ALLOW_DIRTY ZRC_COMMIT ZRC_PACKAGE_SUFFIX ZRC_SIGNING_CHECKED SOURCE_DATE_EPOCH
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$1 version=$2 out=$(realpath -m "$3") second=${4:-$1}
rm -rf "$out"
mkdir -p "$out"
(umask 022 && TZ=UTC "$root/scripts/package.sh" "$exe" "$version" "$out/first")
(umask 077 && TZ=Pacific/Kiritimati LC_ALL=C.UTF-8 \
    "$root/scripts/package.sh" "$second" "$version" "$out/second" >/dev/null)

zips=("$out/first/ZrcUpdater-$version-win32"*.zip)
[ ${#zips[@]} -eq 1 ] || { echo "not one zip: ${zips[*]}"; exit 1; }
zip=${zips[0]}
if ! cmp "$zip" "$out/second/$(basename "$zip")"; then
    echo "the two builds' zips differ"
    exit 1
fi
echo "the two builds' zips are the same: $(sha256sum <"$zip" | cut -d' ' -f1)"

export LC_ALL=C
listed=$(unzip -Z1 "$zip" | tr '\n' ' ')
[ "$listed" = "BUILD README.txt SHA256SUMS ZrcUpdater.exe " ] || { echo "zip holds: $listed"; exit 1; }
# The commit's date, in UTC; zip keeps even seconds, rounding up.
epoch=$(git -C "$root" log -1 --format=%ct)
dated=$(TZ=UTC date -d "@$((epoch + epoch % 2))" +%Y%m%d.%H%M%S)
entries=$(unzip -Z -T "$zip" | grep -c "^-rw-r--r-- .* $dated ")
[ "$entries" -eq 4 ] || { echo "not 4 entries of mode 644 dated $dated:"; unzip -Z -T "$zip"; exit 1; }

unpacked=$out/unpacked
unzip -q "$zip" -d "$unpacked"
cd "$unpacked"
grep -qx "commit $(git -C "$root" rev-parse HEAD)"$'\r' BUILD || { echo "BUILD:"; cat BUILD; exit 1; }
signed=$(osslsigncode verify -CAfile "$out/test-signing/cert.pem" -in ZrcUpdater.exe |
    sed -n 's/^[[:space:]]*Signing time: //p')
[ "$signed" = "$(TZ=UTC date -d "@$epoch" '+%b %e %H:%M:%S %Y GMT')" ] ||
    { echo "signing time: $signed, not the commit's"; exit 1; }
summed=$(cut -c67- SHA256SUMS | tr '\n' ' ')
[ "$summed" = "BUILD README.txt ZrcUpdater.exe " ] || { echo "SHA256SUMS lists: $summed"; exit 1; }
sha256sum --check --strict SHA256SUMS
