#!/usr/bin/env bash
# Installs what is missing, builds everything and runs the whole test suite through CTest.
# With "sanitize" as argument it does the same in the address and undefined-behaviour build.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
bash scripts/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset"
