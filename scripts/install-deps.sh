#!/usr/bin/env bash
# Installs every Debian package Trassolin needs to build, test and benchmark (the preview's
# pictures are tested on a virtual X server with Mesa's software OpenGL), and to build the
# Windows program with MinGW-w64 and test it under Wine (scripts/windows.sh), to build Qt for
# Windows from Debian's sources (scripts/build-qt-windows.sh: dpkg-source checks them against
# debian-keyring) and to show the Windows window on a private X display (xvfb, with Wine's
# own fonts for the window frames); then the Khronos glTF validator (npm package
# gltf-validator, pinned in tools/gltf-validator/package-lock.json) that the tests run through
# Node.
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
    libstb-dev
    qt6-base-dev
    libqt6opengl6-dev
    xvfb
    xauth
    libgl1-mesa-dri
    qt6-translations-l10n
    fonts-dejavu-core
    g++-mingw-w64-x86-64-posix
    googletest
    wine64
    fonts-wine
    dpkg-dev
    debian-keyring
    python3
    libtinygltf-dev
    nodejs
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

# Debian ships npm apart from Node; a Node from elsewhere brings its own.
if ! command -v npm >/dev/null 2>&1 && ! dpkg-query -W -f='${Status}' npm 2>/dev/null | grep -q 'install ok installed'; then
    missing+=(npm)
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

if [ ${#missing[@]} -eq 0 ]; then
    echo "install-deps: all ${#packages[@]} packages present"
else
    echo "install-deps: installing ${missing[*]}"
    "${sudo_cmd[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The glTF validator, exactly the version of the lock file, beside its script.
validator_dir="$(dirname "$0")/../tools/gltf-validator"
if [ ! -f "$validator_dir/node_modules/gltf-validator/package.json" ] ||
   [ "$validator_dir/package-lock.json" -nt "$validator_dir/node_modules/.package-lock.json" ]; then
    echo "install-deps: installing the glTF validator (npm ci)"
    (cd "$validator_dir" && npm ci --no-audit --no-fund --loglevel=error)
else
    echo "install-deps: glTF validator present"
fi
