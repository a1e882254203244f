#!/usr/bin/env bash
# The Windows build, checked on Linux: cross-builds the core, trassolin-cli, the window trassolin
# and their tests with MinGW-w64 into build-windows/, runs the tests under Wine, and compares the
# Windows programs with the Linux ones (build/, built here when missing):
#   - the documents of every bundled example, byte for byte, and the status logs; their glTF
#     files (.glb and .gltf), byte for byte;
#   - a road for the game (profile, chunks, AI road): its document, glTF and status log, and
#     the lines of pruefen for it and the examples;
#   - the parameter files of init and import-splines (CR LF, cp1252), byte for byte, the
#     FileName line allowing for the Windows spelling of the same path;
#   - gelaende on a sample map: its report, the parameter file with the points on the ground,
#     the table of heights, the flattened height map and the masks, byte for byte;
#   - file names beyond the ANSI code page (the command line is taken as UTF-16);
#   - failed runs (read-only target, missing folder) leave the old files byte for byte and
#     say the same German words as on Linux;
#   - the package: both programs alone, without DLLs to hunt for; its window, started under
#     Wine on a private X display with the country road, presses Go and writes the document
#     of the Linux window and command line; a picture of it lands in
#     build-windows/check/fenster-windows.png.
# The window needs Qt for Windows (scripts/build-qt-windows.sh); without it the window's part is
# skipped and says so. Needs the packages of scripts/install-deps.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS

window=OFF
qt_options=()
if scripts/build-qt-windows.sh --check; then
    window=ON
    qt_options=(-DTRASSOLIN_QT_WINDOWS="$(scripts/build-qt-windows.sh --prefix)")
else
    echo "== Windows: das Fenster wird übersprungen: Qt für Windows ist nicht gebaut" \
         "($(scripts/build-qt-windows.sh --prefix) fehlt; scripts/build-qt-windows.sh baut es)"
fi

echo "== Windows: cross build (MinGW-w64)"
toolchain=()
# CMake takes the toolchain only when it creates the build folder.
[ -f build-windows/CMakeCache.txt ] || toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake)
cmake -S . -B build-windows -G Ninja "${toolchain[@]}" \
      -DTRASSOLIN_GTEST_SOURCE_DIR=/usr/src/googletest -DTRASSOLIN_WERROR=ON \
      -DTRASSOLIN_BUILD_GUI="$window" "${qt_options[@]}" -DTRASSOLIN_BUILD_BENCH=OFF >/dev/null
cmake --build build-windows
built=$SECONDS

echo "== Windows: tests under Wine (the core's$([ "$window" = OFF ] || echo " and the window's"))"
ctest --test-dir build-windows --output-on-failure

linux_cli="$PWD/build/src/cli/trassolin-cli"
linux_window="$PWD/build/src/gui/trassolin"
sample_map="$PWD/build/bench/trassolin-bench-map"
linux_targets=(trassolin-cli trassolin-bench-map)
[ "$window" = OFF ] || linux_targets+=(trassolin)
if [ ! -x "$linux_cli" ] || [ ! -x "$sample_map" ] || { [ "$window" = ON ] && [ ! -x "$linux_window" ]; }; then
    [ -f build/CMakeCache.txt ] || cmake -S . -B build -G Ninja >/dev/null
    cmake --build build --target "${linux_targets[@]}"
fi
windows_cli="$PWD/build-windows/src/cli/trassolin-cli.exe"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
wine_prefix="$PWD/build-windows/wine-prefix"

# Both programs see the same UTF-8 locale: Wine turns the host's arguments into the UTF-16
# command line with it, and the default decimal separator follows it.
export LANG=C.UTF-8 LC_ALL=C.UTF-8
run_linux() { "$linux_cli" "$@"; }
# The same settings as the toolchain file's emulator (cmake/mingw-w64-x86_64.cmake).
wine_run() { WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml= WINEPREFIX="$wine_prefix" "$wine" "$@"; }
run_windows() { wine_run "$windows_cli" "$@"; }

failures=0
fail() {
    echo "FEHLER: $*"
    failures=$((failures + 1))
}
same_file() { # same_file LINUX WINDOWS WHAT
    if cmp -s "$1" "$2"; then echo "gleich: $3"; else fail "$3 unterscheidet sich ($1, $2)"; fi
}
# The status log is the same text; Windows ends its console lines with CR LF.
same_log() { # same_log LINUX WINDOWS WHAT
    if cmp -s "$1" <(tr -d '\r' <"$2"); then echo "gleich: $3"; else fail "$3 unterscheidet sich"; fi
}
# A parameter file after import-splines names the export by its absolute path, which Wine
# spells Z:\… (and which lies in the other side's folder); every other byte must be the same.
same_parameter_file() { # same_parameter_file LINUX WINDOWS WHAT
    local line
    line=$(LC_ALL=C grep -n -m1 '^FileName=/' "$1" | cut -d: -f1)
    if [ -z "$line" ]; then
        fail "$3: keine Zeile FileName="
        return
    fi
    if cmp -s <(head -n $((line - 1)) "$1") <(head -n $((line - 1)) "$2") &&
       cmp -s <(tail -n +$((line + 1)) "$1") <(tail -n +$((line + 1)) "$2") &&
       cmp -s <(sed -n "${line}p" "$1" |
                LC_ALL=C sed 's#/check/linux/#/check/windows/#; s#^FileName=#FileName=Z:#; s#/#\\#g') \
              <(sed -n "${line}p" "$2"); then
        echo "gleich: $3 (FileName als Z:\\…)"
    else
        fail "$3 unterscheidet sich ($1, $2)"
    fi
}
snapshot() { (cd "$1" && find . -type f -print0 | LC_ALL=C sort -z | xargs -0 sha256sum) }

work="$PWD/build-windows/check"
rm -rf "$work"
# A modder's folder with a German name, as cp1252 holds it.
for side in linux windows; do
    mkdir -p "$work/$side/Straßen"
    cp examples/*.ini examples/*.i3d "$work/$side/Straßen/"
done

echo "== Windows: documents of the examples"
for example in examples/*.ini; do
    name=$(basename "$example" .ini)
    (cd "$work/linux/Straßen" && run_linux generate "$name.ini" "$name.i3d" >"$name.log")
    (cd "$work/windows/Straßen" && run_windows generate "$name.ini" "$name.i3d" >"$name.log")
    same_file "$work/linux/Straßen/$name.i3d" "$work/windows/Straßen/$name.i3d" "$name.i3d"
    same_log "$work/linux/Straßen/$name.log" "$work/windows/Straßen/$name.log" "Statusprotokoll $name"
done

echo "== Windows: glTF of the examples"
for example in examples/*.ini; do
    name=$(basename "$example" .ini)
    for gltf in "$name.glb" "$name.gltf"; do
        (cd "$work/linux/Straßen" && run_linux generate --gltf "$gltf" "$name.ini" "$name-gltf.i3d" >/dev/null)
        (cd "$work/windows/Straßen" && run_windows generate --gltf "$gltf" "$name.ini" "$name-gltf.i3d" >/dev/null)
        same_file "$work/linux/Straßen/$gltf" "$work/windows/Straßen/$gltf" "$gltf"
    done
done

echo "== Windows: a road for the game (profile, chunks, AI road) and pruefen"
for side in linux windows; do
    # The country road for the current game in chunks, with a turning radius that gives
    # findings: document, glTF and the check's lines must be the same on both systems.
    { cat examples/landstrasse.ini
      printf '[KI]\r\nGegenspurUmkehren=1\r\nKIStrassenspline=1\r\nMaxWenderadius=300\r\n'
      printf '[Spiel]\r\nProfil=FS25\r\nNormalmaps=1\r\nAbschnittslaenge=250\r\n'
    } >"$work/$side/Straßen/spiel.ini"
done
(cd "$work/linux/Straßen" && run_linux generate --gltf spiel.glb spiel.ini spiel.i3d >spiel.log)
(cd "$work/windows/Straßen" && run_windows generate --gltf spiel.glb spiel.ini spiel.i3d >spiel.log)
same_file "$work/linux/Straßen/spiel.i3d" "$work/windows/Straßen/spiel.i3d" "spiel.i3d"
same_file "$work/linux/Straßen/spiel.glb" "$work/windows/Straßen/spiel.glb" "spiel.glb"
same_log "$work/linux/Straßen/spiel.log" "$work/windows/Straßen/spiel.log" "Statusprotokoll spiel"
for name in spiel landstrasse dorfstrasse; do
    (cd "$work/linux/Straßen" && run_linux pruefen "$name.ini" >"$name-pruefen.txt" || true)
    (cd "$work/windows/Straßen" && run_windows pruefen "$name.ini" >"$name-pruefen.txt" || true)
    same_log "$work/linux/Straßen/$name-pruefen.txt" "$work/windows/Straßen/$name-pruefen.txt" \
             "pruefen $name"
done
grep -q '^Kurve ' "$work/linux/Straßen/spiel-pruefen.txt" || fail "pruefen spiel: keine Befunde"

echo "== Windows: parameter files of init and import-splines"
for separator in , .; do
    (cd "$work/linux/Straßen" && run_linux --decimal-separator "$separator" init "Start$separator.ini" >/dev/null)
    (cd "$work/windows/Straßen" && run_windows --decimal-separator "$separator" init "Start$separator.ini" >/dev/null)
    same_file "$work/linux/Straßen/Start$separator.ini" "$work/windows/Straßen/Start$separator.ini" \
              "init mit '$separator'"
done
for target in Neu.ini landstrasse.ini; do
    (cd "$work/linux/Straßen" && run_linux import-splines landstrasse-splines.i3d "$target" >/dev/null)
    (cd "$work/windows/Straßen" && run_windows import-splines landstrasse-splines.i3d "$target" >/dev/null)
    same_parameter_file "$work/linux/Straßen/$target" "$work/windows/Straßen/$target" \
                        "import-splines in $target"
done

echo "== Windows: the road on the ground of a map"
"$sample_map" examples/landstrasse.ini "$work/karte.i3d" >/dev/null
for side in linux windows; do
    cp "$work/karte.i3d" "$work/karte_dem.png" "$work/$side/Straßen/"
    cp examples/landstrasse.ini "$work/$side/Straßen/Gelände.ini"
done
# Every file gelaende writes, at once; the road is beyond the tolerance on the sample map, so
# both programs end with status 1 after writing them.
terrain_call=(gelaende --auf-gelaende --versatz 0,05 --csv Stationen.csv --dem-ausgabe karte_flach.png
              --uebergang 7,5 --maske-ausgabe Maske.png Gelände.ini karte.i3d)
for side in linux windows; do
    status=0
    (cd "$work/$side/Straßen" && "run_$side" "${terrain_call[@]}" >gelaende.log) || status=$?
    echo "$status" >"$work/$side/gelaende.status"
    (cd "$work/$side/Straßen" && "run_$side" gelaende --toleranz 5 --maske-ausgabe Maske-512.png \
         --maske-groesse 512 Gelände.ini karte.i3d >/dev/null)
done
same_file "$work/linux/gelaende.status" "$work/windows/gelaende.status" "gelaende: Rückgabewert"
for output in Gelände.ini Stationen.csv karte_flach.png Maske.png Maske-512.png; do
    same_file "$work/linux/Straßen/$output" "$work/windows/Straßen/$output" "gelaende: $output"
done
same_log "$work/linux/Straßen/gelaende.log" "$work/windows/Straßen/gelaende.log" "gelaende: Ausgabe"

echo "== Windows: names beyond the ANSI code page"
for side in linux windows; do
    mkdir -p "$work/$side/Łódź Ωmega"
    cp examples/dorfstrasse.ini "$work/$side/Łódź Ωmega/Dorfstraße.ini"
done
(cd "$work/linux" && run_linux generate "Łódź Ωmega/Dorfstraße.ini" "Łódź Ωmega/Dorfstraße.i3d" >/dev/null)
(cd "$work/windows" && run_windows generate "Łódź Ωmega/Dorfstraße.ini" "Łódź Ωmega/Dorfstraße.i3d" >/dev/null)
same_file "$work/linux/Łódź Ωmega/Dorfstraße.i3d" "$work/windows/Łódź Ωmega/Dorfstraße.i3d" \
          "Łódź Ωmega/Dorfstraße.i3d"

echo "== Windows: failed runs keep the old files"
# failed_run SIDE CASE ARGUMENTS...: runs the call in a folder of its own that holds a
# parameter file and a read-only old document, checks that it fails with status 1 and leaves
# every file as it was and no folder behind, and leaves its stderr in CASE-SIDE.err.
failed_run() {
    local side=$1 name=$2
    shift 2
    local folder="$work/failed/$name-$side"
    mkdir -p "$folder"
    cp examples/dorfstrasse.ini "$folder/P.ini"
    printf 'altes Dokument\r\n\xe4\r\n' >"$folder/alt.i3d"
    chmod a-w "$folder/alt.i3d"
    local before status=0
    before=$(snapshot "$folder")
    (cd "$folder" && "run_$side" "$@" >/dev/null 2>"$work/failed/$name-$side.err") || status=$?
    [ "$status" = 1 ] || fail "$name ($side): Status $status statt 1"
    [ "$(snapshot "$folder")" = "$before" ] || fail "$name ($side): Dateien verändert"
    [ -z "$(find "$folder" -mindepth 1 -type d)" ] || fail "$name ($side): Ordner angelegt"
}
message() { tr -d '\r' <"$work/failed/$1.err"; }
# A missing folder: both programs refuse with the same words.
for case in "ordner-fehlt --write-texl0 generate P.ini fehlt/neu.i3d" \
            "export-fehlt import-splines fehlt/export.i3d P.ini" \
            "init-ordner-fehlt init fehlt/P.ini"; do
    read -r -a call <<<"$case"
    failed_run linux "${call[@]}"
    failed_run windows "${call[@]}"
    if [ "$(message "${call[0]}-linux")" = "$(message "${call[0]}-windows")" ]; then
        echo "unverändert, gleiche Meldung: ${call[0]}: $(message "${call[0]}-windows")"
    else
        fail "${call[0]}: unter Windows '$(message "${call[0]}-windows")'"
    fi
done
# A read-only old document: root on Linux may replace it, so only Windows is checked here
# (core_tests check Linux as an ordinary user).
failed_run windows schreibgeschuetzt --write-texl0 generate P.ini alt.i3d
if [ "$(message schreibgeschuetzt-windows | head -n 1)" = "Fehler: Dateizugriff verweigert: alt.i3d" ]; then
    echo "unverändert: schreibgeschuetzt: $(message schreibgeschuetzt-windows | head -n 1)"
else
    fail "schreibgeschuetzt: unter Windows '$(message schreibgeschuetzt-windows)'"
fi

echo "== Windows: the package"
if [ "$window" = ON ]; then scripts/package-windows.sh; else scripts/package-windows.sh --ohne-fenster; fi
rm -rf "$work/zip"
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf ../../../out/trassolin-windows-x64.zip)
packaged="$work/zip/trassolin-windows-x64"
# Only libraries every Windows has: MinGW's runtime is linked in.
imports=$(x86_64-w64-mingw32-objdump -p "$packaged/trassolin-cli.exe" | sed -n 's/^\s*DLL Name: //p' |
          tr 'a-z' 'A-Z' | sort | tr '\n' ' ')
[ "$imports" = "KERNEL32.DLL MSVCRT.DLL SHELL32.DLL " ] || fail "trassolin-cli.exe braucht $imports"
(cd "$packaged" && wine_run ./trassolin-cli.exe \
     generate examples/landstrasse.ini landstrasse.i3d >/dev/null)
same_file "$work/linux/Straßen/landstrasse.i3d" "$packaged/landstrasse.i3d" \
          "landstrasse.i3d aus dem Paket"

if [ "$window" = ON ]; then
    echo "== Windows: the window from the package"
    # Qt and MinGW's runtime are linked in: the window needs only what Windows brings.
    headers=$(x86_64-w64-mingw32-objdump -p "$packaged/trassolin.exe")
    imports=$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")
    foreign=$(grep -i -E '^(lib|qt|icu)' <<<"$imports" | tr '\n' ' ' || true)
    [ -z "$foreign" ] || fail "trassolin.exe braucht $foreign"
    grep -q -i '^user32.dll$' <<<"$imports" || fail "trassolin.exe ist kein Fensterprogramm"
    grep -q '^Subsystem.*(Windows GUI)' <<<"$headers" || fail "trassolin.exe öffnet eine Konsole"

    # waits_for FILE SECONDS PID: true once FILE exists (a document appears only when complete),
    # false when the time is up or the process PID has ended without it.
    waits_for() {
        local i
        for ((i = 0; i < $2 * 2; i++)); do
            [ -f "$1" ] && return 0
            kill -0 "$3" 2>/dev/null || { [ -f "$1" ]; return; }
            sleep 0.5
        done
        return 1
    }

    # The Linux window, offscreen, with the same hook.
    mkdir -p "$work/fenster-linux"
    cp examples/landstrasse.ini "$work/fenster-linux/"
    (cd "$work/fenster-linux" && QT_QPA_PLATFORM=offscreen TRASSOLIN_TEST_GO=landstrasse.i3d \
         exec "$linux_window" landstrasse.ini >/dev/null 2>&1) &
    linux_pid=$!
    waits_for "$work/fenster-linux/landstrasse.i3d" 120 "$linux_pid" ||
        fail "das Linux-Fenster hat kein Dokument geschrieben"
    kill "$linux_pid" 2>/dev/null || true
    wait "$linux_pid" 2>/dev/null || true
    same_file "$work/linux/Straßen/landstrasse.i3d" "$work/fenster-linux/landstrasse.i3d" \
              "landstrasse.i3d aus dem Linux-Fenster"

    # The Windows window on an X display of its own, in a Wine desktop that draws the windows'
    # frames as Windows does. Xvfb picks a free display and keeps its screen in a file.
    screen_dir="$work/xvfb"
    mkdir -p "$screen_dir"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -fbdir "$screen_dir" -nolisten tcp \
         3>"$screen_dir/display" 2>"$screen_dir/xvfb.log" &
    xvfb_pid=$!
    trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
    for ((i = 0; i < 40; i++)); do [ -s "$screen_dir/display" ] && break; sleep 0.25; done
    display=:$(cat "$screen_dir/display")
    windows_path() { local p=${1//\//\\}; echo "Z:$p"; }
    (cd "$packaged" && DISPLAY=$display TRASSOLIN_TEST_GO=landstrasse-fenster.i3d \
         wine_run explorer /desktop=Trassolin,1280x1024 "$(windows_path "$packaged/trassolin.exe")" \
         'examples\landstrasse.ini' >/dev/null 2>&1) &
    window_pid=$!
    if waits_for "$packaged/landstrasse-fenster.i3d" 300 "$window_pid"; then
        same_file "$work/linux/Straßen/landstrasse.i3d" "$packaged/landstrasse-fenster.i3d" \
                  "landstrasse.i3d aus dem Windows-Fenster"
        sleep 3 # the status log's last lines reach the screen
        python3 scripts/xwd-to-png.py "$screen_dir/Xvfb_screen0" "$work/fenster-windows.png"
        echo "Bild des Fensters: $work/fenster-windows.png"
    else
        fail "das Windows-Fenster hat kein Dokument geschrieben"
    fi
    # Closing would ask whether to save the run's new TexL0; Wine's processes of this prefix
    # simply end.
    WINEPREFIX="$wine_prefix" "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    wait "$window_pid" 2>/dev/null || true
    kill "$xvfb_pid" 2>/dev/null || true
    wait "$xvfb_pid" 2>/dev/null || true
    trap - EXIT
fi

echo "== Windows: $((SECONDS - started)) s in all, of which $((built - started)) s building"
if [ "$failures" -ne 0 ]; then
    echo "Windows: $failures Prüfungen fehlgeschlagen"
    exit 1
fi
