#!/usr/bin/env bash
# Builds the event fuzzer with clang and runs it for the given seconds (default 300).
# Needs clang and libclang-rt-14-dev. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
    -DNUDGEBOARD_FUZZ=ON -DBUILD_TESTING=OFF \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build build/fuzz --target fuzz_events -j2
mkdir -p build/fuzz/corpus
./build/fuzz/fuzz/fuzz_events -max_total_time="$seconds" -max_len=3000 -print_final_stats=1 \
    build/fuzz/corpus
