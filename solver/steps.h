// The one neighbour generator, shared by both searches: which places one step takes a piece to.
#pragma once

#include "solver/puzzle.h"
#include "solver/search.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <vector>

namespace nudgeboard::solver {

// No piece: what a start's last move was, or a step that may move any piece.
constexpr int noPiece = -1;
// Both searches store depths in 16 bits; a search that would go deeper gives up.
constexpr int deepest = 65535;

// Calls f(anchor, path) for every place piece k reaches by its own slides while the others stand
// still, nearest first; path(v) fills v with the directions of the slides from p.
template <class F>
void forEachReach(const Puzzle& puzzle, const Position& p, int k, Mask others, F&& f) {
    struct Visit {
        std::uint8_t anchor;
        std::int8_t from;      // index of the visit it came from
        std::int8_t direction; // the slide that led here
    };
    std::array<Visit, playCells> queue; // filled as it goes
    int size = 0;
    Mask seen = Mask{1} << p.anchor[k];
    queue[size++] = {p.anchor[k], -1, -1};
    Mask shape = puzzle.piece(k).shape;
    for (int i = 0; i < size; ++i) {
        int at = queue[i].anchor;
        for (int d = 0; d < directionCount; ++d) {
            if (!slideAllowed(shape << at, others, d))
                continue;
            int to = at + cellOffset[d];
            if ((seen >> to) & 1)
                continue;
            seen |= Mask{1} << to;
            int here = size++;
            queue[here] = {static_cast<std::uint8_t>(to), static_cast<std::int8_t>(i),
                           static_cast<std::int8_t>(d)};
            f(to, [&queue, here](std::vector<int>& path) {
                path.clear();
                for (int j = here; queue[j].from >= 0; j = queue[j].from)
                    path.push_back(queue[j].direction);
                std::reverse(path.begin(), path.end());
            });
        }
    }
}

// The one neighbour generator: calls f(k, anchor, path) for every place one step takes a piece
// of p, one run under Metric::Moves, one slide under Metric::Slides; path(v) fills v with the
// directions of its slides. Piece `skip` stays put.
template <class F>
void forEachStep(const Puzzle& puzzle, Metric metric, const Position& p, int skip, F&& f) {
    std::array<Mask, maxPieces> masks;
    Mask all = puzzle.walls();
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        masks[k] = puzzle.maskOf(p, k);
        all |= masks[k];
    }
    Mask movable = besideOf(boardCells & ~all); // only a piece next to an empty square moves
    std::uint32_t moving = 0;                   // by piece number, as bits
    for (int k = 0; k < puzzle.pieceCount(); ++k)
        moving |= std::uint32_t{(masks[k] & movable) != 0} << k;
    if (skip >= 0)
        moving &= ~(std::uint32_t{1} << skip);
    for (; moving != 0; moving &= moving - 1) {
        int k = std::countr_zero(moving);
        Mask others = all & ~masks[k];
        if (metric == Metric::Slides) {
            for (int d = 0; d < directionCount; ++d)
                if (slideAllowed(masks[k], others, d))
                    f(k, p.anchor[k] + cellOffset[d],
                      [d](std::vector<int>& path) { path.assign(1, d); });
            continue;
        }
        forEachReach(puzzle, p, k, others,
                     [&](int anchor, auto&& pathTo) { f(k, anchor, pathTo); });
    }
}

} // namespace nudgeboard::solver
