#!/usr/bin/env bash
# Exits 0 when this machine can execute 32-bit x86 code. Some virtual machines cannot
# (no IA-32 user mode), and then 32-bit Wine cannot run either. The probe is a
# 232-byte i386 ELF that only calls exit(0).
set -u
probe=$(mktemp)
trap 'rm -f "$probe"' EXIT
echo 'f0VMRgEBAQAAAAAAAAAAAAIAAwABAAAAVIAECDQAAABwAAAAAAAAADQAIAABACgAAwACAAEAAABUAAAAVIAECFSABAgJAAAACQAAAAcAAAABAAAAuAEAAAAx282AAC5zaHN0cnRhYgAudGV4dAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAALAAAAAQAAAAcAAABUgAQIVAAAAAkAAAAAAAAAAAAAAAEAAAAAAAAAAQAAAAMAAAAAAAAAAAAAAF0AAAARAAAAAAAAAAAAAAABAAAAAAAAAA==' | base64 -d >"$probe"
chmod +x "$probe"
"$probe" 2>/dev/null
