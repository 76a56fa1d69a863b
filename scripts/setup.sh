#!/usr/bin/env bash
# Installs what the build, the tests and the release need on Debian 12, once. A second run
# installs nothing.
set -eu

packages=(cmake ninja-build g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest
          wine wine64 wine32:i386 xvfb xauth imagemagick python3
          osslsigncode openssl zip unzip locales
          softhsm2 opensc libengine-pkcs11-openssl)

missing=()
for p in "${packages[@]}"; do
    LC_ALL=C dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages: ${missing[*]}" >&2
    echo "Run this command as root, or install them first:" >&2
    echo "  dpkg --add-architecture i386 && apt-get update && apt-get install ${missing[*]}" >&2
    exit 1
fi

echo "Installing: ${missing[*]}"
dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
