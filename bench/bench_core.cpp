// The game's rules alone: a moving key release, a selecting click, the goal check, a restart.
#include "app/form1.h"

#include <benchmark/benchmark.h>

using namespace nudgeboard;

namespace {

// The window shown at a level, as a player finds it after choosing it.
Form1 shownAt(int level) {
    Form1 form;
    form.Show();
    form.mnuL_Click(level);
    return form;
}

void KeyReleaseMovesPiece(benchmark::State& state) {
    Form1 form = shownAt(1);
    form.Grid_Click(20); // piece "1", beside the empty square
    int key = vkRight;
    for (auto _ : state) {
        form.Form_KeyUp(key, 0);
        key = key == vkRight ? vkLeft : vkRight; // back and forth
    }
    if (form.moveCount != 1)
        state.SkipWithError("the piece did not move");
}
BENCHMARK(KeyReleaseMovesPiece);

void ClickSelectsPiece(benchmark::State& state) {
    Form1 form = shownAt(8); // Traffic: large pieces
    int cell = 14;
    for (auto _ : state) {
        form.Grid_Click(cell);
        cell = cell == 14 ? 4 : 14;
    }
    benchmark::DoNotOptimize(form.Grid(14).borderStyle);
}
BENCHMARK(ClickSelectsPiece);

void GoalCheck(benchmark::State& state) {
    Form1 form = shownAt(1);
    for (auto _ : state)
        form.wincheck();
    if (form.solved != 0)
        state.SkipWithError("level 1 solved at its start");
}
BENCHMARK(GoalCheck);

void Restart(benchmark::State& state) {
    Form1 form = shownAt(1);
    for (auto _ : state)
        form.mnuReset_Click();
    benchmark::DoNotOptimize(form.Grid.count());
}
BENCHMARK(Restart);

} // namespace

BENCHMARK_MAIN();
