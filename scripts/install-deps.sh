#!/usr/bin/env bash
# Installs, on Debian 12 as root, what building, running and testing need.
# Asks apt only for what is missing.
set -euo pipefail
packages=(cmake make g++ g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64
    wine wine64 xvfb xauth x11-apps imagemagick xdotool libgtest-dev libgmock-dev googletest python3
    python3-aiosmtpd python3-pyftpdlib iproute2 procps cups printer-driver-cups-pdf poppler-utils
    clang libclang-rt-14-dev wixl msitools osslsigncode openssl prometheus prometheus-node-exporter
    prometheus-alertmanager)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
