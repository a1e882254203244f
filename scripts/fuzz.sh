#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang and runs each for SECONDS seconds (default 10) on a
# copy of its seed corpus in fuzz/corpus. Findings land in build-fuzz/findings.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is not installed, nothing to do"
    exit 0
fi
CXX=clang++ CC=clang cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DTRASSOLIN_WERROR=ON -DTRASSOLIN_SANITIZE=ON -DTRASSOLIN_BUILD_FUZZ=ON \
    -DTRASSOLIN_BUILD_GUI=OFF -DTRASSOLIN_BUILD_TESTS=OFF -DTRASSOLIN_BUILD_BENCH=OFF
cmake --build build-fuzz
mkdir -p build-fuzz/findings
for pair in parse_real:real ini:ini spline_import:import parameter_roundtrip:ini generate:ini; do
    name="${pair%%:*}"
    corpus="build-fuzz/corpus-$name"
    rm -rf "$corpus"
    mkdir -p "$corpus"
    cp "fuzz/corpus/${pair##*:}"/* "$corpus"/
    echo "== fuzz_$name for ${seconds}s"
    log="build-fuzz/fuzz_$name.log"
    if ! "build-fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix=build-fuzz/findings/ "$corpus" >"$log" 2>&1; then
        tail -n 60 "$log"
        echo "fuzz_$name found a fault; the input is in build-fuzz/findings"
        exit 1
    fi
    grep -E "^stat::number_of_executed_units" "$log"
done
