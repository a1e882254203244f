#!/usr/bin/env bash
# Installs what is missing, builds the command line tool and the window, and generates the
# bundled country road into out/landstrasse.i3d, printing its status log and a summary.
# Configures build/ exactly as scripts/test.sh does, so running both builds everything once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DTRASSOLIN_WERROR=ON
cmake --build build --target trassolin-cli trassolin
mkdir -p out
./build/src/cli/trassolin-cli generate examples/landstrasse.ini out/landstrasse.i3d
