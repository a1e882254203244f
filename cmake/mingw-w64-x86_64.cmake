# Cross build for 64-bit Windows with Debian's MinGW-w64 (packages g++-mingw-w64-x86-64-posix
# and wine64):
#   cmake -S . -B build-windows -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DTRASSOLIN_GTEST_SOURCE_DIR=/usr/src/googletest -DTRASSOLIN_BUILD_GUI=OFF \
#         -DTRASSOLIN_BUILD_BENCH=OFF
# (with the window: -DTRASSOLIN_BUILD_GUI=ON -DTRASSOLIN_QT_WINDOWS=..., see below)
# The posix thread model gives std::thread and std::mutex; the executables are linked
# statically (see trassolin_standalone_executable), so they run on a plain Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TRASSOLIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TRASSOLIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TRASSOLIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${TRASSOLIN_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TRASSOLIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The window needs a Qt for Windows: -DTRASSOLIN_QT_WINDOWS=<its install folder> (what
# scripts/build-qt-windows.sh --prefix prints). Its packages are then found like MinGW's own;
# its build tools (moc, rcc, uic) are the host's of the same version, which that Qt names itself.
if(TRASSOLIN_QT_WINDOWS)
    list(APPEND CMAKE_FIND_ROOT_PATH ${TRASSOLIN_QT_WINDOWS})
    list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES TRASSOLIN_QT_WINDOWS)
endif()

# Tests run under Wine, in a prefix of the build folder's own (Wine needs a writable one),
# without Wine's debug chatter on stderr and without its offer to install Mono and Gecko
# (a dialog on a desktop) when it creates the prefix.
find_program(TRASSOLIN_WINE NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(TRASSOLIN_WINE)
    set(CMAKE_CROSSCOMPILING_EMULATOR
        env WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
            ${TRASSOLIN_WINE})
endif()

# Wine shows the host's root folder as drive Z:, so the build's absolute host paths
# (examples, shared data) become Z: paths inside the tests.
set(TRASSOLIN_HOST_ROOT_ON_TARGET "Z:")
