#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
mkdir -p build
# The build speaks only when it fails, so that the game's own words stand out.
if ! { cmake --preset default && cmake --build --preset default --target nudgeboard; } \
    >build/run-build.log 2>&1; then
    cat build/run-build.log
    exit 1
fi
exec ./build/default/nudgeboard
