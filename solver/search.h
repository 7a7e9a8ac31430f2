// Exact shortest solutions: fewest counted moves or fewest single-cell slides.
#pragma once

#include "solver/puzzle.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <stdexcept>
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

// How far a running search has come, for a progress line.
struct Progress {
    std::uint64_t positions = 0; // stored so far
    int depth = 0;               // of the positions being expanded
    double seconds = 0;
    std::size_t bytes = 0; // held by the search's tables
};

struct Limits {
    // The most the search's tables and queues may hold at once; past it the search gives up.
    // The built-in levels need under 64 MiB.
    std::size_t maxBytes = std::size_t{1} << 30;
    // The search gives up after this long.
    double maxSeconds = 25;
    // Called now and then (a few times a second at most) on the calling thread while it runs.
    std::function<void(const Progress&)> onProgress;
};

struct Solution {
    enum class Outcome { Solved, NoSolution, GaveUp } outcome = Outcome::NoSolution;
    // What made a search give up: its memory limit, the system's memory, its time limit, or
    // more steps than it can count.
    enum class Shortage { None, Memory, SystemMemory, Time, Depth } ranOut = Shortage::None;
    int moves = 0;  // counted moves of `steps`, as the game's counter shows them at the end
    int slides = 0; // single-cell slides of `steps`
    std::vector<Step> steps;
    std::uint64_t states = 0; // distinct states stored
    std::size_t peakBytes = 0;
    double seconds = 0;
};

// A broken rule inside the search (a bound that rises too fast, a trace back that finds no way
// to the start): a fault of the solver, never of the level.
class InternalError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

// Shortest path over (position, piece moved last): under Metric::Moves a slide of the piece
// that moved last costs 0 and any other costs 1; under Metric::Slides every slide costs 1 and the
// piece moved last plays no part. Always an optimum: the search skips only positions that
// provably cannot lie on a shorter solution. The steps stop at the first position the game
// declares solved. A level whose walls part the board into separate regions is solved region by
// region. Throws InternalError on a broken invariant; one search runs at a time.
Solution solve(const Puzzle& puzzle, Metric metric, const Limits& limits = {});

} // namespace nudgeboard::solver
