#!/usr/bin/env bash
# Installs what building and running the game needs, builds only the game, and starts it.
# "bash scripts/run.sh web" builds and opens the browser version instead.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ "${1:-}" = web ]; then
    exec bash scripts/run-web.sh
fi
bash scripts/deps.sh play
mkdir -p build
# The build speaks only when it fails, so that the game's own words stand out.
# The solver is left out: its options need CLI11, which the game does not.
if ! { cmake --preset default -DNUDGEBOARD_SOLVER=OFF &&
    cmake --build --preset default --target nudgeboard; } \
    >build/run-build.log 2>&1; then
    cat build/run-build.log
    exit 1
fi
exec ./build/default/nudgeboard
