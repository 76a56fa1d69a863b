#!/usr/bin/env bash
# check-plants.sh PRODUCT PLANTED_DIR SCRATCH: scripts/check-pe.sh and check-hardening.sh
# pass the product and the clean planted program, and fail each program planted with one
# fault (built by tests/release/CMakeLists.txt in PLANTED_DIR; each header flag cleared in a
# copy of the product in SCRATCH), for that fault. What objdump's output is read for is
# checked once more in a translated locale.
set -eu
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
product=$1 planted=$2 scratch=$(realpath -m "$3")
rm -rf "$scratch"
mkdir -p "$scratch"
failures=0

expect_pass() { # CHECK...
    local log
    if ! log=$("$@" 2>&1); then
        echo "FAILED, expected to pass: $*"$'\n'"$log"
        failures=$((failures + 1))
    fi
}
expect_fail() { # MESSAGE CHECK...
    local message=$1 log
    shift
    if log=$("$@" 2>&1); then
        echo "PASSED, expected to fail with \"$message\": $*"$'\n'"$log"
        failures=$((failures + 1))
    elif ! grep -qF -- "$message" <<<"$log"; then
        echo "FAILED without \"$message\": $*"$'\n'"$log"
        failures=$((failures + 1))
    else
        echo "caught: $(basename "$2"): $message"
    fi
}

# What objdump's output is read for: the headers, the imports and the code pass, and an
# import is caught.
reads() {
    expect_pass "$scripts/check-pe.sh" "$product"
    expect_pass "$scripts/check-hardening.sh" "$product"
    expect_pass "$scripts/check-pe.sh" "$planted/planted_clean.exe"
    expect_pass "$scripts/check-hardening.sh" "$planted/planted_clean.exe"
    expect_fail "imports dbghelp.dll, which is not a Windows system DLL" \
        "$scripts/check-pe.sh" "$planted/planted_import.exe"
}

checks() {
    reads
    expect_fail "instructions outside the SSE2 record loop" \
        "$scripts/check-hardening.sh" "$planted/planted_sse2.exe"
    expect_fail "registers SEH frames" "$scripts/check-hardening.sh" "$planted/planted_seh.exe"
    expect_fail "stack protector: no call" "$scripts/check-hardening.sh" "$planted/planted_no_ssp.exe"
    # The product with one header field changed (PE32 optional header offsets).
    local plant field offset value copy
    for plant in DYNAMIC_BASE:70:0x40 NX_COMPAT:70:0x100 NO_SEH:70:0x400 \
                 TERMINAL_SERVICE_AWARE:70:0x8000 "OS version":40:4 "Subsystem version":48:4; do
        IFS=: read -r field offset value <<<"$plant"
        copy=$scratch/planted-${field// /-}.exe
        python3 - "$product" "$copy" "$offset" "$value" "$field" <<'PY'
import struct, sys
source, target, offset, value, field = sys.argv[1:]
image = bytearray(open(source, "rb").read())
at = struct.unpack_from("<I", image, 0x3C)[0] + 24 + int(offset)
if field.endswith("version"):
    struct.pack_into("<H", image, at, int(value, 0))          # major version
else:
    flags = struct.unpack_from("<H", image, at)[0]
    struct.pack_into("<H", image, at, flags & ~int(value, 0))  # the flag cleared
open(target, "wb").write(image)
PY
        expect_fail "header: $field" "$scripts/check-hardening.sh" "$copy" "${product%.exe}.debug"
    done
}

echo "In the C locale:"
checks

# French: objdump translates "file format" and "DLL Name:" there, which the checks must
# not depend on: what they read is read once more. The locale is made here, so that the
# test needs no locale installed on the machine.
mkdir -p "$scratch/locale"
# localedef warns (exit 1) about the locale's own quirks but writes it.
localedef -i fr_FR -f UTF-8 "$scratch/locale/fr_FR.UTF-8" || [ -f "$scratch/locale/fr_FR.UTF-8/LC_MESSAGES/SYS_LC_MESSAGES" ]
export LOCPATH=$scratch/locale
export LC_ALL=fr_FR.UTF-8
if i686-w64-mingw32-objdump -p "$product" | grep -q 'DLL Name:'; then
    echo "objdump is not translated under $LC_ALL: this part would prove nothing"
    failures=$((failures + 1))
else
    echo "In $LC_ALL (objdump says \"$(i686-w64-mingw32-objdump -p "$product" | grep -m1 -o '[^[:space:]]* DLL:' || true)\"):"
    reads
fi
[ "$failures" -eq 0 ] || { echo "$failures failures"; exit 1; }
echo "all checks pass the product and catch every plant"
