// The second search: depth first to a growing limit on depth plus lower bound (IDA*). It keeps
// only the path it is on, so it needs no numbering of positions and next to no memory, and it
// serves where the best-first search's tables would not fit: the sliding-tile puzzles, and levels
// with more positions than a key numbers.
#pragma once

#include "solver/puzzle.h"
#include "solver/search.h"

namespace nudgeboard::solver {

// Whether a tile puzzle whose goal names every piece's square is out of reach by parity: on a
// board of squares a slide swaps the empty square with a tile, so the parity of the tiles'
// order flips with the colour of the empty square's square.
bool tileParityForbids(const Puzzle& puzzle);

// The optimum by deepening, as `solve` gives it, for one region. The lower bound under
// Metric::Slides (and for tile puzzles under both metrics) sums disjoint pattern tables over
// groups of the pieces the goal names, each piece outside them adding its own fewest slides.
Solution deepen(const Puzzle& puzzle, Metric metric, const Limits& limits = {});

} // namespace nudgeboard::solver
