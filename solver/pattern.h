// A lower bound on the slides a position still needs: the fewest slides a few big pieces need
// among themselves, every other piece lifted off the board, plus each other piece's own fewest.
#pragma once

#include "solver/bigalloc.h"
#include "solver/puzzle.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace nudgeboard::solver {

// Every slide moves one piece, so the slides of a solution split into those of the chosen pieces
// (no fewer than they need with the rest lifted off) and those of each other piece (no fewer than
// it needs alone): the sum never overestimates. A slide changes it by at most one, since a slide
// on the full board is one on the lighter board too, and slides can be undone.
class PatternBound {
public:
    // Chooses whole groups of pieces, the goal's first and then the largest, while their
    // table stays within `maxEntries`; a mirror-symmetric level gets a mirror-symmetric choice, so
    // a position and its image have one bound. Fewer than two pieces chosen: no table, and the
    // bound is the plain sum of each piece's own.
    explicit PatternBound(const Puzzle& puzzle, std::size_t maxEntries = std::size_t{1} << 19);

    // Where p stands in the table (0 when there is none).
    std::size_t indexOf(const Position& p) const;
    // The bound of p, whose table place is `index`; Puzzle::never or more if no goal is in reach.
    int of(const Position& p, std::size_t index) const;
    // How the bound changes when piece k of p, whose table place is `index`, goes to `anchor`.
    int change(const Position& p, std::size_t index, int k, int anchor) const;

    int chosen() const { return static_cast<int>(pattern_.size()); }

private:
    struct Sweep;
    // Numbers each piece's places on the board, walls apart; how many each piece has.
    std::vector<int> numberPlaces();
    // Chooses the pattern's pieces; the table's size.
    std::size_t choosePieces(const std::vector<int>& places, std::size_t maxEntries);
    void measure();
    void expand(Sweep& sweep, std::size_t head);

    const Puzzle& puzzle_;
    std::vector<int> pattern_;                                 // piece numbers
    std::vector<std::uint8_t> in_;                             // by piece: chosen or not
    std::vector<std::array<std::uint32_t, playCells>> place_;  // by piece: index of an anchor
    std::vector<std::array<std::uint32_t, playCells>> weight_; // by piece: its part of an index
    std::vector<std::uint8_t, BigAllocator<std::uint8_t>> distance_; // Puzzle::never where none
};

inline std::size_t PatternBound::indexOf(const Position& p) const {
    std::size_t index = 0;
    for (int k : pattern_)
        index += weight_[k][p.anchor[k]];
    return index;
}

inline int PatternBound::change(const Position& p, std::size_t index, int k, int anchor) const {
    int from = p.anchor[k];
    if (!in_[k])
        return puzzle_.slidesToGoal(k, anchor) - puzzle_.slidesToGoal(k, from);
    std::size_t to = index - weight_[k][from] + weight_[k][anchor];
    return distance_[to] - distance_[index];
}

} // namespace nudgeboard::solver
