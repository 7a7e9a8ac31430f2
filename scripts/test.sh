#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite (the C++ formatting check
# among it) through CTest in each build: the default one, the address and undefined-behaviour
# sanitizer one, the Windows one (cross-built, run under Wine) and the browser page (core tests
# under Node.js, the page in Chromium). Name presets to run only those: scripts/test.sh default
set -euo pipefail
cd "$(dirname "$0")/.."
presets=("$@")
[ ${#presets[@]} -gt 0 ] || presets=(default sanitize windows web)
# Every build needs the game's and the tests' packages; the rest only where a build uses them.
purposes=(play test packaging)
for preset in "${presets[@]}"; do
    case $preset in
    windows) purposes+=(windows) ;;
    web) purposes+=(web) ;;
    esac
done
bash scripts/deps.sh "${purposes[@]}"
for preset in "${presets[@]}"; do
    echo "== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
