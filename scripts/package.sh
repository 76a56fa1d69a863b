#!/usr/bin/env bash
# package.sh EXE VERSION OUT: signs the product EXE (ZrcUpdater.debug beside it) and packs
# it into the folder OUT, emptied first:
#   ZrcUpdater-VERSION-win32.zip   the signed ZrcUpdater.exe, README.txt, SHA256SUMS
#   ZrcUpdater-unsigned.exe        EXE as built
#   ZrcUpdater.debug               its debug information
# The signed copy in the zip must verify, and with its signature removed must be EXE
# byte for byte.
#
# ZRC_SIGN_CERT and ZRC_SIGN_KEY name the files of the code-signing certificate (with its
# chain) and its private key (PEM or DER, the key not encrypted). ZRC_SIGN_CA names the
# root certificate that the signature is verified against (default: ZRC_SIGN_CERT), and
# ZRC_SIGN_TIMESTAMP_URL an RFC 3161 time-stamp server, so that the signature outlives the
# certificate (optional). Without ZRC_SIGN_CERT, a throwaway self-signed certificate is
# made in test-signing/ beside OUT and the zip's name ends in -testsigned.
set -eu
exe=$(realpath "$1") version=$2 out=$(realpath -m "$3")
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -n "${ZRC_SIGN_CERT:-}" ]; then
    cert=$ZRC_SIGN_CERT
    key=${ZRC_SIGN_KEY:?ZRC_SIGN_KEY must name the private key of ZRC_SIGN_CERT}
    ca=${ZRC_SIGN_CA:-$cert}
    suffix=
else
    signing=$(dirname "$out")/test-signing
    cert=$signing/cert.pem key=$signing/key.pem ca=$signing/cert.pem suffix=-testsigned
    rm -rf "$signing"
    mkdir -p "$signing"
    openssl req -x509 -newkey rsa:3072 -nodes -days 30 -subj "/CN=ZRC-MT40 Updater test signing" \
        -addext extendedKeyUsage=codeSigning -keyout "$key" -out "$cert" 2>/dev/null
fi

rm -rf "$out"
mkdir -p "$out/files"
work=$out/files
trap 'rm -rf "$work"' EXIT
unsigned=$out/ZrcUpdater-unsigned.exe
cp "$exe" "$unsigned"
cp "$(dirname "$exe")/ZrcUpdater.debug" "$out/"

osslsigncode sign -h sha256 -certs "$cert" -key "$key" -n "ZRC-MT40 Updater" \
    ${ZRC_SIGN_TIMESTAMP_URL:+-ts "$ZRC_SIGN_TIMESTAMP_URL"} \
    -in "$unsigned" -out "$work/ZrcUpdater.exe" >/dev/null
# The guide is read on Windows: CRLF line ends.
sed 's/$/\r/' "$root/docs/README.txt" >"$work/README.txt"
(cd "$work" && sha256sum ZrcUpdater.exe README.txt >SHA256SUMS)
zip=$out/ZrcUpdater-$version-win32$suffix.zip
(cd "$work" && zip -q -X "$zip" ZrcUpdater.exe README.txt SHA256SUMS)

# The files as shipped, taken back out of the zip.
unzip -q "$zip" -d "$work/shipped"
shipped=$work/shipped/ZrcUpdater.exe
if ! log=$(osslsigncode verify -CAfile "$ca" -in "$shipped" 2>&1); then
    echo "$log" >&2
    echo "signature: NOT verified against $ca" >&2
    exit 1
fi
osslsigncode remove-signature -in "$shipped" -out "$work/unsigned.exe" >/dev/null
if ! cmp -s "$work/unsigned.exe" "$unsigned"; then
    echo "signature removed: NOT the unsigned program" >&2
    exit 1
fi

echo "zip: $zip"
sed 's/^/  /' "$work/shipped/SHA256SUMS"
echo "signed ZrcUpdater.exe: $(stat -c %s "$shipped") bytes"
echo "signature: verified against $ca (SHA-256 digests)"
echo "signature removed: the unsigned program byte for byte"
