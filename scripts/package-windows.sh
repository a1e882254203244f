#!/usr/bin/env bash
# Builds trassolin-cli.exe for 64-bit Windows (MinGW-w64, see cmake/mingw-w64-x86_64.cmake) and
# packs it with the examples and a German LIESMICH.txt into out/trassolin-windows-x64.zip.
# Needs the packages of scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

toolchain=()
# CMake takes the toolchain only when it creates the build folder.
[ -f build-windows/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B build-windows -G Ninja "${toolchain[@]}" \
      -DTRASSOLIN_GTEST_SOURCE_DIR=/usr/src/googletest -DTRASSOLIN_BUILD_GUI=OFF \
      -DTRASSOLIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-windows --target trassolin-cli

name=trassolin-windows-x64
stage="build-windows/package/$name"
rm -rf build-windows/package
mkdir -p "$stage/examples" out
x86_64-w64-mingw32-strip -o "$stage/trassolin-cli.exe" build-windows/src/cli/trassolin-cli.exe
cp -R examples/. "$stage/examples/"
# Notepad reads UTF-8 safely with a byte order mark, and wants CR LF.
{
    printf '\xef\xbb\xbf'
    sed 's/$/\r/' packaging/windows/LIESMICH.txt
} >"$stage/LIESMICH.txt"

rm -f "out/$name.zip"
(cd build-windows/package && cmake -E tar cf "../../out/$name.zip" --format=zip "$name")
echo "Geschrieben: out/$name.zip"
