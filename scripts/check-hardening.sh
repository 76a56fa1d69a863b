#!/usr/bin/env bash
# check-hardening.sh EXE [SYMBOLS]: checks the mitigations of the 32-bit program EXE, from
# its headers and its disassembly (objdump, read in the C locale). SYMBOLS is a file with
# EXE's symbol table (default: the .debug file beside EXE, else EXE itself).
#   headers  ASLR (DYNAMIC_BASE), DEP (NX_COMPAT), NO_SEH, TERMINAL_SERVICE_AWARE, and
#            Windows 7 (6.1) as the OS and subsystem version
#   no SEH   no instruction writes the SEH chain's head (%fs:0): the code registers no
#            SEH frame, so NO_SEH is true
#   stack    functions call __stack_chk_fail: the stack protector is in
#   SSE2     instructions on xmm registers (and SSE2's fences and non-temporal stores)
#            appear in the SSE2 record loop, ConvertWordsSse2, and nowhere else but its
#            digest loop, DigestRecordsSse2: the rest of the program runs on CPUs without
#            SSE2
# Prints one line for each check; exits 1 when one fails, or when what it reads holds
# none of what it looks for.
set -eu
export LC_ALL=C
exe=$1
symbols=${2:-${exe%.exe}.debug}
[ -f "$symbols" ] || symbols=$exe
objdump=i686-w64-mingw32-objdump
status=0
fail() {
    echo "$exe: $*" >&2
    status=1
}

headers=$($objdump -p "$exe")
field() {
    sed -n "s/^$1[[:space:]]\{1,\}\([0-9a-fA-F]\{1,\}\).*/\1/p" <<<"$headers"
}
characteristics=$(field DllCharacteristics)
if [ -z "$characteristics" ] || [ -z "$(field MajorSubsystemVersion)" ]; then
    echo "$exe: no PE headers in objdump's output" >&2
    exit 1
fi
for flag in DYNAMIC_BASE:0x40 NX_COMPAT:0x100 NO_SEH:0x400 TERMINAL_SERVICE_AWARE:0x8000; do
    if ((0x$characteristics & ${flag#*:})); then
        echo "header: ${flag%%:*}"
    else
        fail "header: ${flag%%:*} missing"
    fi
done
for version in OSystem Subsystem; do
    found=$(field "Major${version}Version").$(field "Minor${version}Version")
    if [ "$found" = 6.1 ]; then
        echo "header: ${version/OSystem/OS} version 6.1"
    else
        fail "header: ${version/OSystem/OS} version $found, not 6.1"
    fi
done

# The code section's symbols by address: "address name", one name for each address (a
# function's rather than its input section's). Sections of data that the linker places in
# .text (exception tables, constructor lists) have their section's or list's name.
addresses=$(i686-w64-mingw32-nm -n --defined-only "$symbols" | awk '
    $2 ~ /^[tT]$/ {
        if ($1 != address) { if (address != "") print address, name; address = $1; name = $3 }
        else if (name ~ /^\./ && $3 !~ /^\./) name = $3
    }
    END { if (address != "") print address, name }')
if [ -z "$addresses" ]; then
    echo "$exe: no code symbols in $symbols" >&2
    exit 1
fi

# Each instruction as "function: address: instruction", data in the code section left out.
code=$($objdump -d --no-show-raw-insn "$exe" | awk '
    function hex(a) { a = tolower(a); while (length(a) < 16) a = "0" a; return a }
    NR == FNR { start[NR] = hex($1); name[NR] = $2; n = NR; next }
    /^ *[0-9a-f]+:\t/ {
        address = hex(substr($1, 1, length($1) - 1))
        lo = 1; hi = n
        while (lo < hi) { mid = int((lo + hi + 1) / 2); if (start[mid] <= address) lo = mid; else hi = mid - 1 }
        if (start[lo] > address) next
        if (name[lo] ~ /^\./ && name[lo] !~ /^\.text/ || name[lo] ~ /^_*_[CD]TOR_LIST__$/) next
        print name[lo] ": " $0
    }' <(echo "$addresses") -)
if [ -z "$code" ]; then
    echo "$exe: no instructions in objdump's disassembly" >&2
    exit 1
fi

seh=$(grep -E '%fs:(0x0)?[[:space:]]*$' <<<"$code" || true)
if [ -z "$seh" ]; then
    echo "no SEH: no instruction writes %fs:0"
else
    fail "registers SEH frames (writes %fs:0):"$'\n'"$seh"
fi

guard=$(awk '$2 ~ /^_*stack_chk_fail$/ { sub(/^0+/, "", $1); print $1 }' <<<"$addresses")
calls=0
[ -n "$guard" ] && calls=$(grep -cE "call +(0x)?$guard( |\$)" <<<"$code" || true)
if [ "$calls" -gt 0 ]; then
    echo "stack protector: $calls calls to __stack_chk_fail"
else
    fail "stack protector: no call to __stack_chk_fail"
fi

# The SSE2 instructions, and those outside the SSE2 record loop and its digest loop.
loop='^_*ZN12_GLOBAL__N_1(16ConvertWordsSse2|17DigestRecordsSse2)E[^:]*: '
sse2=$(grep -E '%xmm|[[:space:]](mfence|lfence|movnti|clflush|maskmovdqu)' <<<"$code" || true)
inside=$(grep -cE "$loop" <<<"$sse2" || true)
outside=$(grep -vE "$loop" <<<"$sse2" | grep -c . || true)
if [ "$outside" -gt 0 ]; then
    fail "SSE2: $outside instructions outside the SSE2 record loop and its digest loop:"$'\n'"$(grep -vE "$loop" <<<"$sse2" | head -20)"
fi
if [ "$inside" -eq 0 ]; then
    fail "SSE2: no SSE2 instruction in the SSE2 record loop (ConvertWordsSse2): is it there?"
elif [ "$outside" -eq 0 ]; then
    echo "SSE2: $inside instructions, all in the SSE2 record loop and its digest loop"
fi
exit $status
