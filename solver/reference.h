// What the solver computes, said as plainly as it can be: the tests' yardstick for the fast
// searches, and the place to start reading them.
#pragma once

#include "levels/catalogue.h"
#include "solver/search.h"

#include <vector>

namespace nudgeboard::solver {

struct ReferenceAnswer {
    int optimum = -1; // counted moves or slides; -1 if no play reaches the goal
    std::vector<Step> steps;
};

// Breadth-first over every board the level can show (and, under Metric::Moves, the piece that
// moved last), each stored with the step that first reached it, then traced back from the first
// goal. Every position is kept, so only small levels fit.
ReferenceAnswer referenceSolve(const Layout& start, const Layout& goal, Metric metric);

} // namespace nudgeboard::solver
