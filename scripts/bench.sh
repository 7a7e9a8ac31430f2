#!/usr/bin/env bash
# Builds and runs the benchmarks: core and window events, the restart soak's memory, start-up,
# key latency, the solver on Korf's 100 15-puzzles.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh play test
cmake --preset default >/dev/null
cmake --build --preset default
b=build/default/bench
"$b/bench_core"
QT_QPA_PLATFORM=offscreen "$b/bench_window" 2>/dev/null
QT_QPA_PLATFORM=offscreen "$b/soak_memory" 2>/dev/null
"$b/bench_solver" --benchmark_filter='WholeTable|AllLevels|FewestMoves'
/usr/bin/time -f "nudgeboard-solve: %e s wall, %M KiB peak resident" \
    build/default/solver/nudgeboard-solve >/dev/null
python3 bench/korf100.py build/default/solver/nudgeboard-solve | tail -n 2
xvfb-run -a -s "-screen 0 640x480x24" /usr/bin/python3 scripts/startup.py \
    build/default/nudgeboard "$b/minimal_window" 15
/usr/bin/python3 scripts/latency.py --strokes 100 --game build/default/nudgeboard \
    --floor "$b/latency_floor"
