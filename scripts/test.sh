#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite through CTest in each build:
# the default one, the address and undefined-behaviour sanitizer one, the Windows one (cross-
# built, run under Wine) and the browser page (core tests under Node.js, the page in chromium).
# Name presets to run only those: scripts/test.sh default
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default sanitize windows web)
bash scripts/deps.sh
for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
