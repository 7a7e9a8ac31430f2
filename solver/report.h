// What nudgeboard-solve prints: the table of all levels and one level's solution as keystrokes.
#pragma once

#include "solver/search.h"

#include <string>
#include <string_view>
#include <vector>

namespace nudgeboard::solver {

// What the table and a listing call a level.
struct LevelTitle {
    int number = 0; // its place in the "Load Level" menu, from 1; 0 for a level from a file
    std::string name;
    int par = 0;
    static LevelTitle builtIn(int number);
};

struct LevelReport {
    LevelTitle title;
    Solution moves;  // fewest counted moves
    Solution slides; // fewest single-cell slides
};

// Solves a built-in level both ways.
LevelReport solveLevel(int level, const Limits& limits = {});
// Solves a puzzle both ways, the two searches within one time limit; with no solution by moves,
// the slides search is left out.
LevelReport solveLevel(const Puzzle& puzzle, LevelTitle title, const Limits& limits = {});

// The table: one header line, one line per level, then a note on what lies below par.
std::string tableText(const std::vector<LevelReport>& reports);

// One solution as a player enters it: cell to click (row and column from 1 at the top left of
// the play board), arrow keys to release, and the counter text after each counted move.
std::string planText(const LevelTitle& title, const Solution& solution, Metric metric);

} // namespace nudgeboard::solver
