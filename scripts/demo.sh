#!/usr/bin/env bash
# Installs what is missing, builds the command line tool and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -G Ninja
cmake --build build --target trassolin-cli
./build/src/cli/trassolin-cli --help
