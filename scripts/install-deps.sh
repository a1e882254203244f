#!/usr/bin/env bash
# Installs every Debian package Trassolin needs to build, test and benchmark, and to build the
# Windows program with MinGW-w64 and test it under Wine (scripts/windows.sh), to build Qt for
# Windows from Debian's sources (scripts/build-qt-windows.sh: dpkg-source checks them against
# debian-keyring) and to show the Windows window on a private X display (xvfb, with Wine's
# own fonts for the window frames).
# Idempotent: packages already present are skipped, and the package lists are
# refreshed only when something has to be installed.
set -euo pipefail

packages=(
    cmake
    ninja-build
    g++
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    libxml2-utils
    time
    libcli11-dev
    qt6-base-dev
    qt6-translations-l10n
    fonts-dejavu-core
    g++-mingw-w64-x86-64-posix
    googletest
    wine64
    xvfb
    fonts-wine
    dpkg-dev
    debian-keyring
    python3
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

echo "install-deps: installing ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
