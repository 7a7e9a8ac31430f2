#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it; `run.sh web` makes and opens the
# browser page instead.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = web ]; then
    exec bash scripts/run-web.sh
fi
bash scripts/deps.sh
mkdir -p build
# The build speaks only when it fails, so that the game's own words stand out.
if ! { cmake --preset default && cmake --build --preset default --target nudgeboard; } \
    >build/run-build.log 2>&1; then
    cat build/run-build.log
    exit 1
fi
exec ./build/default/nudgeboard
