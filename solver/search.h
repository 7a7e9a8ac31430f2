// Exact shortest solutions: fewest counted moves or fewest single-cell slides.
#pragma once

#include "solver/puzzle.h"

#include <cstdint>
#include <vector>

namespace nudgeboard::solver {

enum class Metric {
    Moves,  // the game's counter: sliding the piece that moved last again is free
    Slides, // every single-cell slide counts
};

// One key stroke as a player makes it: click `cell` on the play board (a cell of the piece to
// move), then release the arrow key `keyCode` (37..40).
struct Step {
    int cell;
    int keyCode;
    bool operator==(const Step&) const = default;
};

struct Limits {
    // The search gives up after storing this many states rather than exhaust memory: at some
    // 60 bytes a state, about 1 GiB. The built-in levels need under 1.2 million.
    std::uint64_t maxStates = 16'000'000;
};

struct Solution {
    enum class Outcome { Solved, NoSolution, GaveUp } outcome = Outcome::NoSolution;
    int moves = 0;  // counted moves of `steps`, as the game's counter shows them at the end
    int slides = 0; // single-cell slides of `steps`
    std::vector<Step> steps;
    std::uint64_t states = 0; // distinct states stored
    double seconds = 0;
};

// Shortest path over (position, piece moved last): under Metric::Moves a slide of the piece
// that moved last costs 0 and any other costs 1; under Metric::Slides every slide costs 1 and the
// piece moved last plays no part. Always an optimum: the search skips only positions that
// provably cannot lie on a shorter solution.
Solution solve(const Puzzle& puzzle, Metric metric, const Limits& limits = {});

} // namespace nudgeboard::solver
