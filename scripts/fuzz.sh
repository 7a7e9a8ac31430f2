#!/usr/bin/env bash
# Builds the event fuzzer with clang and runs it for the given seconds (default 300).
# Needs clang and libclang-rt-14-dev; without them it says so and exits 77 (CTest's "skipped").
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
if ! command -v clang++ >/dev/null ||
    ! echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, long) { return 0; }' |
        clang++ -x c++ -fsanitize=fuzzer - -o /dev/null 2>/dev/null; then
    echo "skipped: clang++ with libFuzzer (clang, libclang-rt-14-dev) not installed" >&2
    exit 77
fi
# At -O1 with assertions on and line tables, as libFuzzer's runs are usually built.
cmake -S . -B build/fuzz -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g1" \
    -DCMAKE_CXX_COMPILER=clang++ \
    -DNUDGEBOARD_FUZZ=ON -DNUDGEBOARD_QT=OFF -DBUILD_TESTING=OFF -DNUDGEBOARD_WERROR=ON \
    -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" \
    >/dev/null
cmake --build build/fuzz --target fuzz_events -j2
mkdir -p build/fuzz/corpus
./build/fuzz/fuzz/fuzz_events -max_total_time="$seconds" -max_len=3000 -print_final_stats=1 \
    build/fuzz/corpus
