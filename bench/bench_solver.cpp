// The solver's speed: the whole table as nudgeboard-solve prints it, each level and all levels
// together for fewest counted moves, with the positions stored per second of wall time (the
// search uses a power of two of the cores, eight at most), and the most its tables held at once.
// The whole process's peak memory: run nudgeboard-solve under /usr/bin/time (see docs/solver.md).
#include "levels/catalogue.h"
#include "solver/report.h"
#include "solver/search.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <string>
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

// The table: both searches of every level, as nudgeboard-solve without options runs them. Each
// search's rate is a counter of its own: "8 slides/s" for level 8's fewest slides, say.
void BM_WholeTable(benchmark::State& state) {
    std::vector<LevelReport> reports;
    double seconds = 0;
    for (auto _ : state) {
        reports.clear();
        for (int level = 1; level <= levelCountBuiltIn; ++level)
            reports.push_back(solveLevel(level));
        benchmark::DoNotOptimize(reports.data());
        seconds = 0;
        for (const LevelReport& r : reports)
            seconds += r.moves.seconds + r.slides.seconds;
    }
    double positions = 0, peak = 0;
    for (const LevelReport& r : reports) {
        peak = std::max({peak, static_cast<double>(r.moves.peakBytes),
                         static_cast<double>(r.slides.peakBytes)});
        for (const auto& [name, s] : {std::pair{"moves", &r.moves}, std::pair{"slides", &r.slides}})
            state.counters["L" + std::to_string(r.title.number) + "_" + name + "/s"] =
                s->seconds > 0 ? static_cast<double>(s->states) / s->seconds : 0;
        positions += static_cast<double>(r.moves.states + r.slides.states);
    }
    state.counters["positions"] = positions;
    state.counters["positions/s"] = seconds > 0 ? positions / seconds : 0;
    state.counters["table_MiB"] = peak / (1 << 20);
}
BENCHMARK(BM_WholeTable)->Unit(benchmark::kMillisecond)->MinTime(3.0)->UseRealTime();

// Every built-in level, one after the other, for fewest counted moves only.
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
void oneLevel(benchmark::State& state, Metric metric) {
    Puzzle puzzle = *Puzzle::builtIn(static_cast<int>(state.range(0)));
    Solution s;
    for (auto _ : state) {
        s = solve(puzzle, metric);
        benchmark::DoNotOptimize(s.states);
    }
    report(state, static_cast<double>(s.states), metric == Metric::Moves ? s.moves : s.slides);
}

// Each level each way: BM_LevelFewestMoves/N and BM_LevelFewestSlides/N for level N.
[[maybe_unused]] const bool levelsRegistered = [] {
    for (auto [name, metric] : {std::pair{"BM_LevelFewestMoves", Metric::Moves},
                                {"BM_LevelFewestSlides", Metric::Slides}})
        benchmark::RegisterBenchmark(name, oneLevel, metric)
            ->DenseRange(1, levelCountBuiltIn)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    return true;
}();

BENCHMARK_MAIN();
