# Sourced by release.sh and package.sh: how the program is signed, from the environment.
#
# A real certificate, in one of three forms (osslsigncode's own options):
#   ZRC_SIGN_CERT + ZRC_SIGN_KEY     certificate with its chain and private key, PEM or DER
#   ZRC_SIGN_PKCS12                  a PKCS#12 file holding both
#   ZRC_SIGN_PKCS11_MODULE + ZRC_SIGN_KEY (a pkcs11: URI) + ZRC_SIGN_CERT (the certificate
#                                    file) or ZRC_SIGN_PKCS11_CERT (its pkcs11: URI): a key
#                                    in a hardware token; ZRC_SIGN_PKCS11_ENGINE optionally
#                                    names the OpenSSL engine that loads the module
# ZRC_SIGN_PASS_FILE names a file whose first line is the key's password (or the token's
# PIN). ZRC_SIGN_TIMESTAMP_URL, an RFC 3161 time-stamp server, is required with a real
# certificate, so that the signature outlives it, and so is ZRC_SIGN_TSA_CA, the root
# certificate its time stamps chain to (the system's TLS roots are not time-stamping
# ones). ZRC_SIGN_CA names the root certificate the signature is verified against
# (default: ZRC_SIGN_CERT, or the PKCS#12 file's certificates).
#
# Without any of them, a self-signed test certificate is made once in SIGNING_DIR (the
# test-signing/ folder beside the release folder) and kept, and the zip's name ends in
# -testsigned.
#
# zrc_signing_setup SIGNING_DIR sets zrc_sign_options (for osslsigncode sign),
# zrc_sign_timestamp_url, zrc_sign_ca, zrc_sign_tsa_ca and zrc_sign_suffix;
# zrc_signing_check then signs and verifies a small probe program with them, so that a
# wrong key, password, token or time-stamp server is found before anything is built. Both
# print the reason and return 1 on a fault.

# How long the time-stamp server may take to answer: one that accepts the connection and
# never answers would otherwise hold the release forever.
zrc_sign_timeout=30

zrc_sign_readable() { # NAME VALUE
    if [ ! -f "$2" ] || [ ! -r "$2" ]; then
        echo "signing: $1=$2 is not a readable file" >&2
        return 1
    fi
}

zrc_signing_setup() {
    local signing=$1
    zrc_sign_options=() zrc_sign_suffix= zrc_sign_ca= zrc_sign_tsa_ca= zrc_sign_timestamp_url=
    if [ -z "${ZRC_SIGN_CERT:-}${ZRC_SIGN_PKCS12:-}${ZRC_SIGN_PKCS11_MODULE:-}" ]; then
        zrc_sign_suffix=-testsigned
        if [ ! -f "$signing/cert.pem" ]; then
            # Made in a folder of its own and moved into place whole: never half a key.
            local new
            mkdir -p "$(dirname "$signing")"
            new=$(mktemp -d "$signing.XXXXXX")
            openssl req -x509 -newkey rsa:3072 -nodes -days 36500 \
                -subj "/CN=ZRC-MT40 Updater test signing" -addext extendedKeyUsage=codeSigning \
                -keyout "$new/key.pem" -out "$new/cert.pem" 2>/dev/null
            mv -T "$new" "$signing" 2>/dev/null || rm -rf "$new"
        fi
        zrc_sign_options=(-certs "$signing/cert.pem" -key "$signing/key.pem")
        zrc_sign_ca=$signing/cert.pem
        return 0
    fi

    local pass=()
    if [ -n "${ZRC_SIGN_PASS_FILE:-}" ]; then
        zrc_sign_readable ZRC_SIGN_PASS_FILE "$ZRC_SIGN_PASS_FILE" || return 1
        pass=(-readpass "$ZRC_SIGN_PASS_FILE")
    fi
    if [ -n "${ZRC_SIGN_PKCS11_MODULE:-}" ]; then
        zrc_sign_readable ZRC_SIGN_PKCS11_MODULE "$ZRC_SIGN_PKCS11_MODULE" || return 1
        if [ "${ZRC_SIGN_KEY:-}" = "${ZRC_SIGN_KEY#pkcs11:}" ]; then
            echo "signing: with ZRC_SIGN_PKCS11_MODULE, ZRC_SIGN_KEY must be the key's pkcs11: URI" >&2
            return 1
        fi
        zrc_sign_options=(${ZRC_SIGN_PKCS11_ENGINE:+-pkcs11engine "$ZRC_SIGN_PKCS11_ENGINE"}
                          -pkcs11module "$ZRC_SIGN_PKCS11_MODULE")
        if [ -n "${ZRC_SIGN_PKCS11_CERT:-}" ]; then
            zrc_sign_options+=(-pkcs11cert "$ZRC_SIGN_PKCS11_CERT")
        else
            zrc_sign_readable ZRC_SIGN_CERT "${ZRC_SIGN_CERT:-}" || return 1
            zrc_sign_options+=(-certs "$ZRC_SIGN_CERT")
        fi
        zrc_sign_options+=(-key "$ZRC_SIGN_KEY" "${pass[@]}")
        zrc_sign_ca=${ZRC_SIGN_CA:-${ZRC_SIGN_CERT:-}}
    elif [ -n "${ZRC_SIGN_PKCS12:-}" ]; then
        zrc_sign_readable ZRC_SIGN_PKCS12 "$ZRC_SIGN_PKCS12" || return 1
        zrc_sign_options=(-pkcs12 "$ZRC_SIGN_PKCS12" "${pass[@]}")
        zrc_sign_ca=${ZRC_SIGN_CA:-}
        if [ -z "$zrc_sign_ca" ]; then
            # The PKCS#12 file's certificates, as the default root to verify against.
            mkdir -p "$signing"
            zrc_sign_ca=$signing/pkcs12-certificates.pem
            if ! openssl pkcs12 -in "$ZRC_SIGN_PKCS12" -nokeys -out "$zrc_sign_ca" \
                    -passin "file:${ZRC_SIGN_PASS_FILE:-/dev/null}" 2>/dev/null; then
                echo "signing: cannot read the certificates of ZRC_SIGN_PKCS12=$ZRC_SIGN_PKCS12 (password?)" >&2
                return 1
            fi
        fi
    else
        zrc_sign_readable ZRC_SIGN_CERT "${ZRC_SIGN_CERT:-}" || return 1
        zrc_sign_readable ZRC_SIGN_KEY "${ZRC_SIGN_KEY:-}" || return 1
        zrc_sign_options=(-certs "$ZRC_SIGN_CERT" -key "$ZRC_SIGN_KEY" "${pass[@]}")
        zrc_sign_ca=${ZRC_SIGN_CA:-$ZRC_SIGN_CERT}
    fi
    if [ -z "$zrc_sign_ca" ]; then
        echo "signing: ZRC_SIGN_CA must name the root certificate to verify against" >&2
        return 1
    fi
    zrc_sign_readable ZRC_SIGN_CA "$zrc_sign_ca" || return 1
    if [ -z "${ZRC_SIGN_TIMESTAMP_URL:-}" ]; then
        echo "signing: a real certificate needs ZRC_SIGN_TIMESTAMP_URL (an RFC 3161 time-stamp" >&2
        echo "  server), or the signature lapses when the certificate expires" >&2
        return 1
    fi
    if [ -z "${ZRC_SIGN_TSA_CA:-}" ]; then
        echo "signing: ZRC_SIGN_TIMESTAMP_URL needs ZRC_SIGN_TSA_CA, the root certificate its" >&2
        echo "  time stamps are verified against" >&2
        return 1
    fi
    zrc_sign_readable ZRC_SIGN_TSA_CA "$ZRC_SIGN_TSA_CA" || return 1
    zrc_sign_tsa_ca=$ZRC_SIGN_TSA_CA
    zrc_sign_timestamp_url=$ZRC_SIGN_TIMESTAMP_URL
}

# zrc_sign IN OUT [EPOCH]: signs IN into OUT with SHA-256 digests, then has the
# time-stamp server, if any, stamp the signature; a test signing takes EPOCH as its signing
# time, so that the same program signs to the same bytes. The time stamp is asked for on
# its own, so that only the server's answer is timed, not the token. Returns 1 when the
# signing failed, 2 when the time stamp did, 124 when the server did not answer within
# zrc_sign_timeout seconds.
zrc_sign() {
    local time=() signed=$2 status=0
    [ -n "$zrc_sign_suffix" ] && [ -n "${3:-}" ] && time=(-time "$3")
    [ -n "$zrc_sign_timestamp_url" ] && signed=$2.unstamped
    LC_ALL=C osslsigncode sign -h sha256 "${zrc_sign_options[@]}" -n "ZRC-MT40 Updater" \
        "${time[@]}" -in "$1" -out "$signed" || return 1
    [ -n "$zrc_sign_timestamp_url" ] || return 0
    LC_ALL=C timeout "$zrc_sign_timeout" osslsigncode add -h sha256 \
        -ts "$zrc_sign_timestamp_url" -in "$signed" -out "$2" || status=$?
    rm -f "$signed"
    [ $status -eq 0 ] || [ $status -eq 124 ] || status=2
    return $status
}

# zrc_verify FILE: verifies FILE's signature against zrc_sign_ca and, with a real
# certificate, its time stamp against zrc_sign_tsa_ca. osslsigncode reports a time stamp
# that does not verify and still succeeds: its report is read for the time stamp's verdict.
# The last line printed on a fault names it.
zrc_verify() {
    local log
    if ! log=$(LC_ALL=C osslsigncode verify -CAfile "$zrc_sign_ca" \
            ${zrc_sign_tsa_ca:+-TSA-CAfile "$zrc_sign_tsa_ca"} -in "$1" 2>&1); then
        echo "$log"
        echo "signing: the signature does not verify against $zrc_sign_ca"
        return 1
    fi
    echo "$log"
    [ -n "$zrc_sign_tsa_ca" ] || return 0
    if ! grep -q '^[[:space:]]*Timestamp time: ' <<<"$log"; then
        echo "signing: the signature carries no time stamp"
        return 1
    elif ! grep -qx 'Timestamp Server Signature verification: ok' <<<"$log"; then
        echo "signing: the time stamp does not verify against ZRC_SIGN_TSA_CA=$zrc_sign_tsa_ca"
        return 1
    fi
}

# zrc_sign_fault STATUS LOG: what a failed zrc_sign's status and log show, in a few words.
# The token's answers are PKCS#11 return codes, which its OpenSSL engine prints by name.
zrc_sign_fault() {
    local answer
    answer=$(sed -n 's/.*PKCS#11 module:ERR_CKR_error:\([^:]*\):.*/\1/p' <<<"$2" | head -n 1)
    if [ "$1" -eq 124 ]; then
        echo "the time-stamp server $zrc_sign_timestamp_url did not answer within $zrc_sign_timeout s"
    elif [ "$1" -eq 2 ] && grep -q 'Connection refused' <<<"$2"; then
        echo "the time-stamp server $zrc_sign_timestamp_url refused the connection"
    elif [ "$1" -eq 2 ]; then
        echo "the time-stamp server $zrc_sign_timestamp_url gave no time stamp (above)"
    elif [ -n "$answer" ]; then
        echo "the token refused: $answer (ZRC_SIGN_PASS_FILE holds the PIN)"
    elif grep -q 'The private key was not found at' <<<"$2"; then
        echo "no private key at ZRC_SIGN_KEY=${ZRC_SIGN_KEY:-}"
    else
        echo "key, certificate, password or token above"
    fi
}

# zrc_signing_check: signs and verifies a probe program (the toolchain's smallest) in a
# scratch folder, removed after.
zrc_signing_check() {
    local scratch log status=0
    scratch=$(mktemp -d)
    printf 'int main(void) { return 0; }\n' >"$scratch/probe.c"
    if ! log=$(i686-w64-mingw32-gcc-posix -s "$scratch/probe.c" -o "$scratch/probe.exe" 2>&1); then
        echo "$log" >&2
        echo "signing: cannot build the probe program" >&2
        status=1
    else
        log=$(zrc_sign "$scratch/probe.exe" "$scratch/signed.exe" 0 2>&1) || status=$?
        if [ $status -ne 0 ]; then
            echo "$log" >&2
            echo "signing: the probe program could not be signed: $(zrc_sign_fault $status "$log");" >&2
            echo "  nothing was built" >&2
            status=1
        elif ! log=$(zrc_verify "$scratch/signed.exe" 2>&1); then
            echo "$log" >&2
            echo "signing: the probe program does not verify (the line above); nothing was built" >&2
            status=1
        fi
    fi
    rm -rf "$scratch"
    return $status
}
