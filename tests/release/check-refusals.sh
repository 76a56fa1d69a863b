#!/usr/bin/env bash
# check-refusals.sh EXE SCRATCH: scripts/release.sh refuses a dirty work tree and bad
# signing inputs before it builds anything, and scripts/package.sh, failing at any step,
# leaves the previous release byte for byte as it was and nothing named like a release.
# release.sh runs in a repository of its own that holds the scripts alone (it refuses
# before it needs the rest), with its build folder in SCRATCH.
set -eu
# Signing, dates and overrides of the caller's environment would change what is checked.
unset "${!ZRC_SIGN_@}" ZRC_ALLOW_DIRTY ZRC_COMMIT ZRC_PACKAGE_SUFFIX ZRC_SIGNING_CHECKED SOURCE_DATE_EPOCH
export LC_ALL=C
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=$(realpath "$1") scratch=$(realpath -m "$2")
rm -rf "$scratch"
mkdir -p "$scratch"
repo=$scratch/repo build=$scratch/build release=$scratch/build/release
mkdir -p "$repo" "$release"
cp -r "$root/scripts" "$repo/"
git -C "$repo" init -q
git -C "$repo" add -A
git -C "$repo" -c user.name=test -c user.email=test@example.invalid commit -q -m scripts

# The previous release, and a certificate with its key and another key.
echo "previous zip" >"$release/ZrcUpdater-2.1.4-win32.zip"
echo "previous program" >"$release/ZrcUpdater-unsigned.exe"
keys=$scratch/keys
mkdir -p "$keys"
openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=refusals test" \
    -addext extendedKeyUsage=codeSigning -keyout "$keys/key.pem" -out "$keys/cert.pem" 2>/dev/null
openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$keys/other-key.pem" 2>/dev/null
# Nothing listens on port 9 (discard) here: an unreachable time-stamp server.
unreachable=http://127.0.0.1:9/

state() { # the release folder's files and checksums, and every zip under SCRATCH
    (cd "$release" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
    find "$scratch" -name 'ZrcUpdater-*.zip' | sort
}
before=$(state)
failures=0

# expect_refused WHAT MESSAGE COMMAND...: COMMAND fails with MESSAGE, the release is as it
# was, and nothing was built.
expect_refused() {
    local what=$1 message=$2 log
    shift 2
    if log=$("$@" 2>&1 </dev/null); then
        echo "NOT refused: $what"$'\n'"$log"
        failures=$((failures + 1))
    elif ! grep -qF -- "$message" <<<"$log"; then
        echo "failed without \"$message\": $what"$'\n'"$log"
        failures=$((failures + 1))
    elif [ "$(state)" != "$before" ]; then
        echo "the previous release changed: $what"$'\n'"$(state)"
        failures=$((failures + 1))
    elif [ -e "$build/release-tree" ]; then
        echo "a build started: $what"
        failures=$((failures + 1))
    else
        echo "refused, release untouched: $what"
    fi
}
release() {
    env BUILD_DIR="$build" "$@" "$repo/scripts/release.sh"
}

echo "changed" >>"$repo/scripts/bench.sh"
expect_refused "a changed file" "release refused: the work tree has changes" release
git -C "$repo" checkout -q -- scripts/bench.sh
touch "$repo/untracked.txt"
expect_refused "an untracked file" "release refused: the work tree has changes" release
rm "$repo/untracked.txt"

expect_refused "a missing certificate" "ZRC_SIGN_CERT=$keys/missing.pem is not a readable file" \
    release ZRC_SIGN_CERT="$keys/missing.pem" ZRC_SIGN_KEY="$keys/key.pem" \
    ZRC_SIGN_TIMESTAMP_URL=$unreachable
expect_refused "a key that is not the certificate's" "the probe program could not be signed" \
    release ZRC_SIGN_CERT="$keys/cert.pem" ZRC_SIGN_KEY="$keys/other-key.pem" \
    ZRC_SIGN_TIMESTAMP_URL=$unreachable
expect_refused "a real certificate without a time-stamp server" "needs ZRC_SIGN_TIMESTAMP_URL" \
    release ZRC_SIGN_CERT="$keys/cert.pem" ZRC_SIGN_KEY="$keys/key.pem"
expect_refused "an unreachable time-stamp server" "the probe program could not be signed" \
    release ZRC_SIGN_CERT="$keys/cert.pem" ZRC_SIGN_KEY="$keys/key.pem" \
    ZRC_SIGN_TIMESTAMP_URL=$unreachable
expect_refused "a missing password file" "ZRC_SIGN_PASS_FILE=$keys/missing is not a readable file" \
    release ZRC_SIGN_PKCS12="$keys/cert.pem" ZRC_SIGN_PASS_FILE="$keys/missing" \
    ZRC_SIGN_TIMESTAMP_URL=$unreachable

# package.sh alone: a wrong key, and a failure after the zip is made (a program not in the
# form signing leaves it in: its signature removed, it is not the program that was signed).
expect_refused "package.sh with a wrong key" "the probe program could not be signed" \
    env ZRC_SIGN_CERT="$keys/cert.pem" ZRC_SIGN_KEY="$keys/other-key.pem" \
    ZRC_SIGN_TIMESTAMP_URL=$unreachable "$root/scripts/package.sh" "$exe" 2.1.4 "$release"
mkdir -p "$scratch/unpadded"
cp "$exe" "$scratch/unpadded/ZrcUpdater.exe"
printf 'abc' >>"$scratch/unpadded/ZrcUpdater.exe"
cp "$(dirname "$exe")/ZrcUpdater.debug" "$scratch/unpadded/"
expect_refused "package.sh failing its round trip" "signature removed: NOT the unsigned program" \
    "$root/scripts/package.sh" "$scratch/unpadded/ZrcUpdater.exe" 2.1.4 "$release"
leftovers=$(find "$build" -mindepth 1 -maxdepth 1 -name '.package.*')
[ -z "$leftovers" ] || { echo "scratch folders left: $leftovers"; failures=$((failures + 1)); }

# A good package replaces the previous release whole.
"$root/scripts/package.sh" "$exe" 2.1.4 "$release" >/dev/null
now=$(cd "$release" && ls | tr '\n' ' ')
[ "$now" = "ZrcUpdater-2.1.4-win32-testsigned.zip ZrcUpdater-unsigned.exe ZrcUpdater.debug " ] ||
    { echo "after a good package, the release holds: $now"; failures=$((failures + 1)); }

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "every refusal left the previous release untouched"
