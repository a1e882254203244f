#!/usr/bin/env bash
# Installs what is missing, builds everything with warnings as errors and runs every test.
# Configures build/ exactly as scripts/demo.sh does, so running both builds everything once.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja -DTRASSOLIN_WERROR=ON
cmake --build build
ctest --test-dir build --output-on-failure
