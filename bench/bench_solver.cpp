// The solver's speed: each level and all eight together for fewest counted moves, with the
// positions stored per second of wall time (the search uses both cores). Peak memory: run under
// /usr/bin/time -v (see README).
#include "levels/catalogue.h"
#include "solver/search.h"

#include <benchmark/benchmark.h>

#include <vector>

using namespace nudgeboard;
using namespace nudgeboard::solver;

namespace {

std::vector<Puzzle> allLevels() {
    std::vector<Puzzle> puzzles;
    for (int level = 1; level <= levelCountBuiltIn; ++level)
        puzzles.push_back(*Puzzle::builtIn(level));
    return puzzles;
}

void report(benchmark::State& state, double positions, int moves) {
    state.counters["positions"] = positions;
    state.counters["positions/s"] = benchmark::Counter(
        positions * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["moves"] = moves;
}

} // namespace

// All eight levels, one after the other, as nudgeboard-solve's table does them.
void BM_AllLevelsFewestMoves(benchmark::State& state) {
    auto puzzles = allLevels();
    double positions = 0;
    int moves = 0;
    for (auto _ : state) {
        positions = 0;
        moves = 0;
        for (const Puzzle& p : puzzles) {
            Solution s = solve(p, Metric::Moves);
            positions += static_cast<double>(s.states);
            moves += s.moves;
        }
        benchmark::DoNotOptimize(moves);
    }
    report(state, positions, moves);
}
BENCHMARK(BM_AllLevelsFewestMoves)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// One level, by the number the benchmark's argument gives.
void solveLevel(benchmark::State& state, Metric metric) {
    Puzzle puzzle = *Puzzle::builtIn(static_cast<int>(state.range(0)));
    Solution s;
    for (auto _ : state) {
        s = solve(puzzle, metric);
        benchmark::DoNotOptimize(s.states);
    }
    report(state, static_cast<double>(s.states), metric == Metric::Moves ? s.moves : s.slides);
}

void BM_LevelFewestMoves(benchmark::State& state) {
    solveLevel(state, Metric::Moves);
}
BENCHMARK(BM_LevelFewestMoves)
    ->DenseRange(1, levelCountBuiltIn)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_LevelFewestSlides(benchmark::State& state) {
    solveLevel(state, Metric::Slides);
}
BENCHMARK(BM_LevelFewestSlides)
    ->DenseRange(1, levelCountBuiltIn)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
