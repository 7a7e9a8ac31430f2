// Lower bounds on the slides a position still needs, from pattern tables: the fewest slides a set
// of pieces needs among themselves, every other piece lifted off the board.
#pragma once

#include "solver/bigalloc.h"
#include "solver/puzzle.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

namespace nudgeboard::solver {

// The fewest slides a set of pieces needs, among themselves and between the walls, to stand where
// the goal wants them, for every place they can take: measured breadth-first from the goal, the
// other pieces lifted off the board. Or, for a tile puzzle, following the empty square: the
// others stay and move for free, but a table piece slides only into the one empty square, which
// then lies where the piece was, so the empty square wanders among the others, not through the
// table's pieces; the table keeps the fewest over the empty square's places. That is the
// stronger bound, but a slide can raise it by more than one. A place is a mixed-radix number, one
// digit per piece, the digit the piece's anchor numbered among the anchors where it fits.
class PatternTable {
public:
    enum class Empty { Lifted, Followed };
    PatternTable(const Puzzle& puzzle, std::vector<int> pieces, Empty empty = Empty::Lifted);

    // The table's size for these pieces, or 0 if it would pass `most`.
    static std::size_t sizeFor(const Puzzle& puzzle, const std::vector<int>& pieces,
                               std::size_t most);

    std::size_t indexOf(const Position& p) const;
    // The place after piece k of this table moves from anchor `from` to `to`.
    std::size_t moved(std::size_t index, int k, int from, int to) const {
        return index - weight_[k][from] + weight_[k][to];
    }
    // Puzzle::never where the goal is out of reach.
    int distance(std::size_t index) const { return distance_[index]; }
    const std::vector<int>& pieces() const { return pieces_; }
    bool holds(int k) const { return in_[k] != 0; }

private:
    struct Sweep;
    void measure();
    void expand(Sweep& sweep, std::size_t head);
    void measureTiles();
    template <class Squares> void measureTiles(std::vector<std::uint8_t>& at, Mask tiles, int low);

    const Puzzle& puzzle_;
    std::vector<int> pieces_;
    std::vector<std::uint8_t> in_;                             // by piece: in the table or not
    std::vector<std::array<std::uint32_t, playCells>> weight_; // by piece: its part of a place
    std::vector<std::uint8_t, BigAllocator<std::uint8_t>> distance_; // Puzzle::never where none
};

// Every slide moves one piece, so the slides of a solution split into those of the table's pieces
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
    std::size_t indexOf(const Position& p) const { return table_ ? table_->indexOf(p) : 0; }
    // The bound of p, whose table place is `index`; Puzzle::never or more if no goal is in reach.
    int of(const Position& p, std::size_t index) const;
    // How the bound changes when piece k of p, whose table place is `index`, goes to `anchor`.
    int change(const Position& p, std::size_t index, int k, int anchor) const;

    int chosen() const { return table_ ? static_cast<int>(table_->pieces().size()) : 0; }

private:
    const Puzzle& puzzle_;
    std::optional<PatternTable> table_;
};

inline std::size_t PatternTable::indexOf(const Position& p) const {
    std::size_t index = 0;
    for (int k : pieces_)
        index += weight_[k][p.anchor[k]];
    return index;
}

inline int PatternBound::change(const Position& p, std::size_t index, int k, int anchor) const {
    int from = p.anchor[k];
    if (!table_ || !table_->holds(k))
        return puzzle_.slidesToGoal(k, anchor) - puzzle_.slidesToGoal(k, from);
    return table_->distance(table_->moved(index, k, from, anchor)) - table_->distance(index);
}

} // namespace nudgeboard::solver
