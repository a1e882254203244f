#!/usr/bin/env bash
# Builds the Qt the Windows window links: Debian's own qt6-base source package (the version the
# Linux build uses), cross-compiled with MinGW-w64 against the host Qt tools of qt6-base-dev,
# static, with only what the window needs: Core, Gui, Widgets, OpenGL and OpenGLWidgets (dynamic
# OpenGL, Qt's default on Windows), Test, the Windows and offscreen platform plugins and PNG. No
# SQL, network, D-Bus, printing, tablets, examples or tests.
#
# The result lands in a cache folder outside the project, named by the Qt version and a key of
# everything that shapes the build (Debian version, options, toolchain), so a second run returns at
# once and a change of options builds afresh beside the old one:
#   ${TRASSOLIN_CACHE:-~/.cache/trassolin}/qt-6.4.2-mingw64-<key>
#
#   scripts/build-qt-windows.sh            builds (about 30 minutes on two cores) or reuses it
#   scripts/build-qt-windows.sh --prefix   prints the folder, built or not, and exits
#   scripts/build-qt-windows.sh --check    exit status 0 when the folder holds a finished build
#
# The source comes through apt-get with a sources list and state folder of its own (the machine's
# apt configuration stays untouched); apt checks it against Debian's signed index, and
# dpkg-source -x checks the .dsc's signature (debian-keyring) and the checksums of its files.
# An interrupted build continues where it stopped. Needs the packages of scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

mode=build
case "${1:-}" in
    "") ;;
    --prefix) mode=prefix ;;
    --check) mode=check ;;
    *) echo "Aufruf: $0 [--prefix|--check]" >&2; exit 2 ;;
esac

triple=x86_64-w64-mingw32
# The host tools (moc, rcc, uic) must be the same Qt version as the libraries.
version=$(dpkg-query -W -f='${Version}' qt6-base-dev 2>/dev/null || true)
if [ -z "$version" ]; then
    [ "$mode" = build ] && scripts/install-deps.sh
    version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
fi
upstream=${version%%+*}
upstream=${upstream%%-*}

# The toolchain Qt is built with; kept in the installed folder for qt-cmake.
toolchain_text="set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER $triple-gcc-posix)
set(CMAKE_CXX_COMPILER $triple-g++-posix)
set(CMAKE_RC_COMPILER $triple-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$triple)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
"
# Direct 2D stays on, as Qt's default: 6.4's Windows platform plugin needs Gui's DirectWrite font
# database, which Gui builds only together with Direct 2D.
options=(
    -DCMAKE_BUILD_TYPE=Release
    -DBUILD_SHARED_LIBS=OFF
    -DQT_HOST_PATH=/usr
    -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake
    -DQT_BUILD_EXAMPLES=OFF
    -DQT_BUILD_TESTS=OFF
    -DQT_BUILD_BENCHMARKS=OFF
    -DINPUT_opengl=dynamic
    -DFEATURE_opengl=ON
    -DFEATURE_png=ON
    -DFEATURE_system_png=OFF
    -DFEATURE_system_zlib=OFF
    -DFEATURE_system_freetype=OFF
    -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_pcre2=OFF
    -DFEATURE_system_doubleconversion=OFF
    -DFEATURE_jpeg=OFF
    -DFEATURE_tabletevent=OFF
    -DFEATURE_sql=OFF
    -DFEATURE_network=OFF
    -DFEATURE_dbus=OFF
    -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF
    -DFEATURE_xml=OFF
    -DFEATURE_zstd=OFF
    -DFEATURE_icu=OFF
    -DFEATURE_vulkan=OFF
    -DFEATURE_androiddeployqt=OFF
)
key=$(printf '%s\n' "qt6-base $version" "$toolchain_text" "${options[@]}" | sha256sum | cut -c1-12)
cache=${TRASSOLIN_CACHE:-$HOME/.cache/trassolin}
prefix="$cache/qt-$upstream-mingw64-$key"
stamp="$prefix/trassolin-fertig.txt"

case $mode in
    prefix) echo "$prefix"; exit 0 ;;
    check) [ -f "$stamp" ]; exit ;;
esac

if [ -f "$stamp" ]; then
    echo "Qt für Windows ist schon gebaut: $prefix"
    exit 0
fi

started=$SECONDS
step() { echo "== Qt für Windows ($((SECONDS - started)) s): $*"; }
mkdir -p "$cache"
# Two runs at once would build into the same folders.
exec 9>"$cache/qt-$upstream-mingw64-$key.lock"
if ! flock -n 9; then
    step "ein anderer Lauf baut gerade; warte auf ihn"
    flock 9
fi
if [ -f "$stamp" ]; then
    echo "Qt für Windows ist schon gebaut: $prefix"
    exit 0
fi
scripts/install-deps.sh

work="$cache/qt-$upstream-mingw64-$key.work"
source_dir="$work/qt6-base-$version"
build_dir="$work/build"
mkdir -p "$work"

if [ ! -f "$source_dir/.trassolin-entpackt" ]; then
    step "lade die Quellen von qt6-base $version (apt-get source)"
    apt_dir="$work/apt"
    rm -rf "$apt_dir" "$source_dir"
    mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$apt_dir/parts" \
             "$apt_dir/download"
    # The suites the machine installs from, as source entries; checked with Debian's archive key.
    for suite in "bookworm main" "bookworm-updates main"; do
        echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian $suite"
    done >"$apt_dir/sources.list"
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian-security bookworm-security main" \
        >>"$apt_dir/sources.list"
    apt_options=(-q -o "Dir::Etc::SourceList=$apt_dir/sources.list"
                 -o "Dir::Etc::SourceParts=$apt_dir/parts" -o "Dir::State::Lists=$apt_dir/lists"
                 -o "Dir::Cache=$apt_dir/cache")
    # As root apt would hand the download to its sandbox user, who may not write here.
    [ "$(id -u)" -ne 0 ] || apt_options+=(-o APT::Sandbox::User=root)
    apt-get "${apt_options[@]}" update >/dev/null
    (cd "$apt_dir/download" && apt-get "${apt_options[@]}" source --download-only "qt6-base=$version")
    step "prüfe und entpacke die Quellen (dpkg-source -x)"
    (cd "$apt_dir/download" &&
     dpkg-source --require-valid-signature -x ./qt6-base_*.dsc "$source_dir")
    touch "$source_dir/.trassolin-entpackt"
fi

mkdir -p "$prefix"
printf '%s' "$toolchain_text" >"$prefix/mingw-w64-x86_64.cmake"
if [ ! -f "$build_dir/build.ninja" ]; then
    step "konfiguriere (Core, Gui, Widgets, OpenGL, OpenGLWidgets, Test; statisch)"
    rm -rf "$build_dir"
    cmake -S "$source_dir" -B "$build_dir" -G Ninja \
          -DCMAKE_TOOLCHAIN_FILE="$prefix/mingw-w64-x86_64.cmake" \
          -DCMAKE_INSTALL_PREFIX="$prefix" "${options[@]}" >"$work/configure.log" ||
        { tail -n 40 "$work/configure.log"; rm -f "$build_dir/build.ninja"; exit 1; }
    grep -E '^(  )?(Qt Gui|Qt Widgets|Qt Network|Qt Sql|OpenGL|  Dynamic OpenGL|PNG|  Using system libpng|Windows)' \
        "$work/configure.log" | head -n 20 || true
fi

step "baue (nice; dauert auf zwei Kernen etwa eine halbe Stunde)"
# Compiler messages in full; of ninja's thousand status lines every tenth part.
nice -n 19 cmake --build "$build_dir" 2>&1 | awk '
    /^\[[0-9]+\/[0-9]+\] / {
        split(substr($1, 2), n, "/")
        part = int(n[1] * 10 / n[2])
        if (part > shown) { shown = part; printf "   %d %% (%s)\n", part * 10, substr($1, 2, length($1) - 2); fflush() }
        next
    }
    { print; fflush() }'
step "installiere nach $prefix"
cmake --install "$build_dir" >/dev/null
for module in Core Gui Widgets OpenGL OpenGLWidgets Test; do
    [ -f "$prefix/lib/cmake/Qt6$module/Qt6${module}Config.cmake" ] ||
        { echo "Fehler: Qt6$module fehlt in $prefix" >&2; exit 1; }
done
{
    echo "qt6-base $version für Windows (MinGW-w64), gebaut am $(date -u +%Y-%m-%dT%H:%M:%SZ)"
    echo "in $((SECONDS - started)) s mit:"
    printf '  %s\n' "${options[@]}"
} >"$stamp"
rm -rf "$work"
step "fertig: $prefix ($(du -sh "$prefix" | cut -f1))"
