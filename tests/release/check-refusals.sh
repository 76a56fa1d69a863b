#!/usr/bin/env bash
# check-refusals.sh EXE VERSION SCRATCH: the release's signing, run for real with a key in
# a software token (SoftHSM2, in SCRATCH) and a time-stamp authority on 127.0.0.1
# (time-stamp-server.py beside this script), both ending with the test:
# - scripts/release.sh, whole, signs with the token's key and the authority's time stamp;
#   scripts/package.sh does the same with a PKCS#12 file and with a key and certificate;
# - release.sh refuses a dirty work tree and bad signing inputs before it builds anything,
#   and package.sh, failing at any step, leaves the previous release byte for byte as it
#   was and nothing named like a release.
# The refusals run release.sh in a repository of its own that holds the scripts alone (it
# refuses before it needs the rest), with its build folder in SCRATCH; the whole release
# runs from this work tree (ZRC_ALLOW_DIRTY=1) with a build folder of its own in SCRATCH.
set -eu
# Signing, dates and overrides of the caller's environment would change what is checked.
unset "${!ZRC_SIGN_@}" ZRC_ALLOW_DIRTY ZRC_COMMIT ZRC_PACKAGE_SUFFIX ZRC_SIGNING_CHECKED SOURCE_DATE_EPOCH
export LC_ALL=C
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(realpath "$1") version=$2 scratch=$(realpath -m "$3")
rm -rf "$scratch"
mkdir -p "$scratch"
repo=$scratch/repo build=$scratch/build release=$scratch/build/release
mkdir -p "$repo" "$release"
cp -r "$root/scripts" "$repo/"
git -C "$repo" init -q
git -C "$repo" add -A
git -C "$repo" -c user.name=test -c user.email=test@example.invalid commit -q -m scripts

# The previous release.
echo "previous zip" >"$release/ZrcUpdater-$version-win32.zip"
echo "previous program" >"$release/ZrcUpdater-unsigned.exe"

# What this test starts ends with it (a process, or a process group: -PID), and the token
# goes with it.
pki=$scratch/pki token=$scratch/token
started=()
end_test() {
    [ ${#started[@]} -eq 0 ] || kill -- "${started[@]}" 2>/dev/null || true
    wait || true
    rm -rf "$token"
}
trap end_test EXIT
mkdir -p "$pki" "$token/tokens"
cd "$pki"

# A code-signing root and a time-stamping root, each with a leaf: the code-signing leaf's
# key is made in the token; a second code-signing leaf has its key in a file, and is packed
# with it into a PKCS#12 file; other.key belongs to no certificate.
root_ca() { # NAME CN
    openssl req -x509 -newkey rsa:2048 -nodes -days 30 -subj "/CN=$2" \
        -addext basicConstraints=critical,CA:TRUE -addext keyUsage=critical,keyCertSign \
        -keyout "$1.key" -out "$1.pem" 2>/dev/null
}
key() { # NAME: NAME.key and its public half NAME.pub
    openssl genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out "$1.key" 2>/dev/null
    openssl pkey -in "$1.key" -pubout -out "$1.pub"
}
issue() { # NAME CN CA USAGE: NAME.pem for the public key NAME.pub, issued by CA
    printf 'basicConstraints=CA:FALSE\nkeyUsage=critical,digitalSignature\nextendedKeyUsage=%s\n' \
        "$4" >"$1.ext"
    openssl x509 -new -subj "/CN=$2" -force_pubkey "$1.pub" -CA "$3.pem" -CAkey "$3.key" \
        -days 30 -extfile "$1.ext" -out "$1.pem"
}
root_ca signing-root "zrc test code-signing root"
root_ca tsa-root "zrc test time-stamping root"
key tsa
issue tsa "zrc test time-stamp authority" tsa-root critical,timeStamping
key file-leaf
issue file-leaf "zrc test code signing, key in a file" signing-root codeSigning
cat file-leaf.pem signing-root.pem >file-chain.pem
echo "p12 password" >p12-pass
openssl pkcs12 -export -inkey file-leaf.key -in file-leaf.pem -certfile signing-root.pem \
    -passout file:p12-pass -out file-leaf.p12
key other

module=/usr/lib/softhsm/libsofthsm2.so
export SOFTHSM2_CONF=$token/softhsm2.conf
printf 'directories.tokendir = %s\nobjectstore.backend = file\nlog.level = ERROR\n' \
    "$token/tokens" >"$SOFTHSM2_CONF"
echo 1234 >pin
echo 4321 >wrong-pin
softhsm2-util --init-token --free --label zrc-test --pin 1234 --so-pin 12345678 >/dev/null
p11() { pkcs11-tool --module "$module" --login --pin 1234 "$@" 2>/dev/null; }
p11 --keypairgen --key-type rsa:2048 --label code-signing --id 01 >/dev/null
p11 --read-object --type pubkey --id 01 -o token-leaf.der
openssl pkey -pubin -inform DER -in token-leaf.der -out token-leaf.pub
issue token-leaf "zrc test code signing, key in a token" signing-root codeSigning
# The key cannot leave the token: sensitive, and not extractable.
access=$(p11 --list-objects --type privkey | sed -n 's/^ *Access: *//p')
if ! grep -q '^sensitive,' <<<"$access" || grep -q '\(^\|, \)extractable' <<<"$access"; then
    echo "the token's key can be read out of it: $access"
    exit 1
fi

# The time-stamp authority: its first port answers, its second never does.
printf '%s\n' '[tsa]' 'default_tsa = authority' '[authority]' "serial = $pki/tsa-serial" \
    "signer_cert = $pki/tsa.pem" "signer_key = $pki/tsa.key" 'signer_digest = sha256' \
    'default_policy = 1.3.6.1.4.1.99999.1' 'digests = sha256, sha384, sha512' \
    'ess_cert_id_alg = sha256' >tsa.cnf
echo 01 >tsa-serial
python3 "$here/time-stamp-server.py" tsa.cnf >tsa-ports 2>tsa.log &
started+=("$!")
for _ in $(seq 50); do
    [ -s tsa-ports ] && break
    sleep 0.1
done
read -r answering silent <tsa-ports || { echo "no time-stamp server:"; cat tsa.log; exit 1; }
tsa=("ZRC_SIGN_TIMESTAMP_URL=http://127.0.0.1:$answering/" "ZRC_SIGN_TSA_CA=$pki/tsa-root.pem")
token_key='pkcs11:token=zrc-test;object=code-signing;type=private'
in_token=("ZRC_SIGN_PKCS11_MODULE=$module" "ZRC_SIGN_KEY=$token_key"
          "ZRC_SIGN_CERT=$pki/token-leaf.pem" "ZRC_SIGN_CA=$pki/signing-root.pem"
          "ZRC_SIGN_PASS_FILE=$pki/pin" "${tsa[@]}")

# The whole release, beside the rest of the test: it builds the product twice, in a
# process group of its own. From a work tree with changes, its zip is marked -dirty.
whole=$scratch/whole-release
dirty=
[ -z "$(git -C "$root" status --porcelain --untracked-files=all)" ] || dirty=-dirty
setsid env BUILD_DIR="$whole" ZRC_ALLOW_DIRTY=1 "${in_token[@]}" "$root/scripts/release.sh" \
    >"$scratch/whole-release.log" 2>&1 </dev/null &
whole_pid=$!
started+=("-$whole_pid")

state() { # the release folder's files and checksums, and every zip of the refusals' runs
    (cd "$release" && find . -type f -print0 | sort -z | xargs -0 sha256sum)
    find "$build" "$repo" -name 'ZrcUpdater-*.zip' | sort
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

# A time-stamp server that never answers is given up on within about 30 s; this one waits
# beside the others, and a release still waiting after 45 s has not given up.
(
    start=$SECONDS
    expect_refused "a time-stamp server that never answers" "did not answer within 30 s" \
        timeout 45 env "${in_token[@]}" "ZRC_SIGN_TIMESTAMP_URL=http://127.0.0.1:$silent/" \
        BUILD_DIR="$build" "$repo/scripts/release.sh"
    echo "given up after $((SECONDS - start)) s"
    [ $((SECONDS - start)) -le 40 ] || failures=$((failures + 1))
    exit $failures
) >"$scratch/silent.log" 2>&1 &
silent_pid=$!
started+=("$silent_pid")

expect_refused "a missing certificate" "ZRC_SIGN_CERT=$pki/missing.pem is not a readable file" \
    release ZRC_SIGN_CERT="$pki/missing.pem" ZRC_SIGN_KEY="$pki/file-leaf.key" "${tsa[@]}"
expect_refused "a key that is not the certificate's" "the probe program could not be signed" \
    release ZRC_SIGN_CERT="$pki/file-chain.pem" ZRC_SIGN_KEY="$pki/other.key" "${tsa[@]}"
expect_refused "a real certificate without a time-stamp server" "needs ZRC_SIGN_TIMESTAMP_URL" \
    release ZRC_SIGN_CERT="$pki/file-chain.pem" ZRC_SIGN_KEY="$pki/file-leaf.key"
expect_refused "a time-stamp server without its root" "needs ZRC_SIGN_TSA_CA" \
    release ZRC_SIGN_CERT="$pki/file-chain.pem" ZRC_SIGN_KEY="$pki/file-leaf.key" \
    "${tsa[0]}"
expect_refused "a missing password file" "ZRC_SIGN_PASS_FILE=$pki/missing is not a readable file" \
    release ZRC_SIGN_PKCS12="$pki/file-leaf.p12" ZRC_SIGN_PASS_FILE="$pki/missing" "${tsa[@]}"
expect_refused "a wrong PIN" "could not be signed: the token refused: PIN incorrect" \
    release "${in_token[@]}" ZRC_SIGN_PASS_FILE="$pki/wrong-pin"
expect_refused "a key URI that names no key" \
    "could not be signed: no private key at ZRC_SIGN_KEY=pkcs11:token=zrc-test;object=none" \
    release "${in_token[@]}" "ZRC_SIGN_KEY=pkcs11:token=zrc-test;object=none;type=private"
# Nothing listens on port 9 (discard) here.
expect_refused "a time-stamp server that refuses the connection" \
    "the time-stamp server http://127.0.0.1:9/ refused the connection" \
    release "${in_token[@]}" ZRC_SIGN_TIMESTAMP_URL=http://127.0.0.1:9/
expect_refused "a time stamp from an authority of another root" \
    "the time stamp does not verify against ZRC_SIGN_TSA_CA=$pki/signing-root.pem" \
    release "${in_token[@]}" ZRC_SIGN_TSA_CA="$pki/signing-root.pem"

# package.sh alone: a wrong key, and a failure after the zip is made (a program not in the
# form signing leaves it in: its signature removed, it is not the program that was signed).
expect_refused "package.sh with a wrong key" "the probe program could not be signed" \
    env ZRC_SIGN_CERT="$pki/file-chain.pem" ZRC_SIGN_KEY="$pki/other.key" "${tsa[@]}" \
    "$root/scripts/package.sh" "$exe" "$version" "$release"
mkdir -p "$scratch/unpadded"
cp "$exe" "$scratch/unpadded/ZrcUpdater.exe"
printf 'abc' >>"$scratch/unpadded/ZrcUpdater.exe"
cp "$(dirname "$exe")/ZrcUpdater.debug" "$scratch/unpadded/"
expect_refused "package.sh failing its round trip" "signature removed: NOT the unsigned program" \
    "$root/scripts/package.sh" "$scratch/unpadded/ZrcUpdater.exe" "$version" "$release"
leftovers=$(find "$build" -mindepth 1 -maxdepth 1 -name '.package.*')
[ -z "$leftovers" ] || { echo "scratch folders left: $leftovers"; failures=$((failures + 1)); }

wait $silent_pid || failures=$((failures + $?))
cat "$scratch/silent.log"

# A good package replaces the previous release whole.
"$root/scripts/package.sh" "$exe" "$version" "$release" >/dev/null
now=$(cd "$release" && ls | tr '\n' ' ')
[ "$now" = "ZrcUpdater-$version-win32-testsigned.zip ZrcUpdater-unsigned.exe ZrcUpdater.debug " ] ||
    { echo "after a good package, the release holds: $now"; failures=$((failures + 1)); }

# expect_signed WHAT FOLDER ZIP CN BUILT: FOLDER holds ZIP alone, whose program is signed
# by the code-signing leaf CN and time-stamped by the local authority, both verified
# against their roots, and is BUILT once the signature is removed.
expect_signed() {
    local what=$1 folder=$2 zip=$3 cn=$4 built=$5 zips verified fault=
    zips=$(cd "$folder" 2>/dev/null && ls ./*.zip 2>/dev/null || true)
    rm -rf "$scratch/shipped"
    if [ "$zips" != "./$zip" ]; then
        fault="zips made: $zips"
    elif ! unzip -q "$folder/$zip" ZrcUpdater.exe -d "$scratch/shipped" ||
        ! verified=$(osslsigncode verify -CAfile "$pki/signing-root.pem" \
            -TSA-CAfile "$pki/tsa-root.pem" -in "$scratch/shipped/ZrcUpdater.exe"); then
        fault="does not verify"
    elif [ "$(sed -n "/^Signer's certificate:/,/Subject:/s/^[[:space:]]*Subject: //p" \
        <<<"$verified")" != "/CN=$cn" ] ||
        ! sed -n '/^Timestamp verified using:/,/^Timestamp Server/p' <<<"$verified" |
        grep -qx '[[:space:]]*Subject: /CN=zrc test time-stamp authority'; then
        fault="not signed by $cn and the authority:"$'\n'"$verified"
    elif ! grep -qx 'Timestamp Server Signature verification: ok' <<<"$verified"; then
        fault="the time stamp does not verify:"$'\n'"$verified"
    elif ! osslsigncode remove-signature -in "$scratch/shipped/ZrcUpdater.exe" \
        -out "$scratch/shipped/unsigned.exe" >/dev/null ||
        ! cmp -s "$scratch/shipped/unsigned.exe" "$built"; then
        fault="with its signature removed, not the program as built"
    fi
    if [ -n "$fault" ]; then
        echo "NOT signed as it should: $what: $fault"
        failures=$((failures + 1))
    else
        echo "signed by $cn, time-stamped, verified: $what"
    fi
}
mkdir -p "$scratch/pkcs12" "$scratch/pair"
# A failing package.sh leaves no zip, which expect_signed reports.
env ZRC_SIGN_PKCS12="$pki/file-leaf.p12" ZRC_SIGN_PASS_FILE="$pki/p12-pass" "${tsa[@]}" \
    "$root/scripts/package.sh" "$exe" "$version" "$scratch/pkcs12/release" >/dev/null || true
expect_signed "a PKCS#12 file" "$scratch/pkcs12/release" "ZrcUpdater-$version-win32.zip" \
    "zrc test code signing, key in a file" "$exe"
env ZRC_SIGN_CERT="$pki/file-chain.pem" ZRC_SIGN_KEY="$pki/file-leaf.key" "${tsa[@]}" \
    "$root/scripts/package.sh" "$exe" "$version" "$scratch/pair/release" >/dev/null || true
expect_signed "a key and certificate pair" "$scratch/pair/release" "ZrcUpdater-$version-win32.zip" \
    "zrc test code signing, key in a file" "$exe"

if ! wait $whole_pid; then
    cat "$scratch/whole-release.log"
    echo "the whole release with the token's key failed"
    failures=$((failures + 1))
else
    expect_signed "scripts/release.sh with the token's key" "$whole/release" \
        "ZrcUpdater-$version-win32$dirty.zip" "zrc test code signing, key in a token" \
        "$whole/release-tree/bin/ZrcUpdater.exe"
fi

[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "every signing form signed and verified; every refusal left the previous release untouched"
