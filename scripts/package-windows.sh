#!/usr/bin/env bash
# Builds out/trassolin-windows-x64.zip: the window trassolin.exe beside the command line
# trassolin-cli.exe for 64-bit Windows (MinGW-w64, see cmake/mingw-w64-x86_64.cmake), the
# examples and a German LIESMICH.txt. Both programs stand alone: MinGW's runtime, and for the
# window Qt with its German texts, are linked in, so the zip needs no DLLs beside them.
#
#   scripts/package-windows.sh                  the whole package; on a fresh machine this one
#                                               command installs the packages and builds Qt for
#                                               Windows first (scripts/build-qt-windows.sh, about
#                                               half an hour on two cores, once)
#   scripts/package-windows.sh --ohne-fenster   the command line alone, without Qt
set -euo pipefail
cd "$(dirname "$0")/.."

window=ON
case "${1:-}" in
    "") ;;
    --ohne-fenster) window=OFF ;;
    *) echo "Aufruf: $0 [--ohne-fenster]" >&2; exit 2 ;;
esac

scripts/install-deps.sh >/dev/null
qt_options=()
targets=(trassolin-cli)
if [ "$window" = ON ]; then
    scripts/build-qt-windows.sh
    qt_options=(-DTRASSOLIN_QT_WINDOWS="$(scripts/build-qt-windows.sh --prefix)")
    targets+=(trassolin)
fi

toolchain=()
# CMake takes the toolchain only when it creates the build folder.
[ -f build-windows/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B build-windows -G Ninja "${toolchain[@]}" \
      -DTRASSOLIN_GTEST_SOURCE_DIR=/usr/src/googletest -DTRASSOLIN_BUILD_GUI="$window" \
      "${qt_options[@]}" -DTRASSOLIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-windows --target "${targets[@]}"

name=trassolin-windows-x64
stage="build-windows/package/$name"
rm -rf build-windows/package
mkdir -p "$stage/examples" out
x86_64-w64-mingw32-strip -o "$stage/trassolin-cli.exe" build-windows/src/cli/trassolin-cli.exe
if [ "$window" = ON ]; then
    x86_64-w64-mingw32-strip -o "$stage/trassolin.exe" build-windows/src/gui/trassolin.exe
fi
cp -R examples/. "$stage/examples/"
# LIESMICH.txt describes the package with the window; the lines between "[ohne Fenster]" and
# "[/ohne Fenster]" replace those between "[Fenster]" and "[/Fenster]" when it is left out.
# Notepad reads UTF-8 safely with a byte order mark, and wants CR LF.
if [ "$window" = ON ]; then keep=Fenster drop="ohne Fenster"; else keep="ohne Fenster" drop=Fenster; fi
{
    printf '\xef\xbb\xbf'
    awk -v keep="[$keep]" -v drop="[$drop]" '
        $0 == keep || $0 == "[/" substr(keep, 2) { next }
        $0 == drop { skipping = 1; next }
        $0 == "[/" substr(drop, 2) { skipping = 0; next }
        !skipping { print $0 "\r" }' packaging/windows/LIESMICH.txt
} >"$stage/LIESMICH.txt"

rm -f "out/$name.zip"
(cd build-windows/package && cmake -E tar cf "../../out/$name.zip" --format=zip "$name")
echo "Geschrieben: out/$name.zip ($(( ($(stat -c %s "out/$name.zip") + 1023) / 1024 )) kB)"
