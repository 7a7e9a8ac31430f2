// Pattern tables measured breadth-first from the goal, and the pattern bound that chooses one.
#include "solver/pattern.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <optional>

namespace nudgeboard::solver {

namespace {

// How many anchors piece k fits at between the walls.
int placeCount(const Puzzle& puzzle, int k) {
    int places = 0;
    for (int a = 0; a < playCells; ++a)
        places += puzzle.piece(k).fitsAt(a, puzzle.walls());
    return places;
}

} // namespace

std::size_t PatternTable::sizeFor(const Puzzle& puzzle, const std::vector<int>& pieces,
                                  std::size_t most) {
    std::size_t size = 1;
    for (int k : pieces) {
        auto places = static_cast<std::size_t>(placeCount(puzzle, k));
        if (places == 0 || size > most / places)
            return 0;
        size *= places;
    }
    return size;
}

PatternTable::PatternTable(const Puzzle& puzzle, std::vector<int> pieces)
    : puzzle_(puzzle), pieces_(std::move(pieces)),
      in_(static_cast<std::size_t>(puzzle.pieceCount()), 0),
      weight_(static_cast<std::size_t>(puzzle.pieceCount())) {
    std::uint32_t radix = 1;
    for (int k : pieces_) {
        in_[k] = 1;
        std::uint32_t place = 0;
        for (int a = 0; a < playCells; ++a)
            weight_[k][a] = puzzle.piece(k).fitsAt(a, puzzle.walls()) ? radix * place++ : 0;
        radix *= place;
    }
    distance_.assign(radix, Puzzle::never);
    measure();
}

namespace {

// The groups in the order the pattern takes them: those the goal names first, then the larger.
std::vector<int> groupOrder(const Puzzle& puzzle, const std::vector<std::vector<int>>& members) {
    auto named = [&](int g) { return puzzle.piece(members[g][0]).inGoal; };
    auto cells = [&](int g) { return std::popcount(puzzle.piece(members[g][0]).shape); };
    std::vector<int> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return named(a) != named(b) ? named(a) : cells(a) > cells(b);
    });
    return order;
}

// The pattern's pieces: whole groups, in groupOrder, while the table stays within `maxEntries`.
std::vector<int> choosePieces(const Puzzle& puzzle, std::size_t maxEntries) {
    std::vector<std::vector<int>> members(static_cast<std::size_t>(puzzle.groupCount()));
    for (int k = 0; k < puzzle.pieceCount(); ++k)
        members[puzzle.piece(k).group].push_back(k);
    std::vector<bool> taken(members.size(), false);
    std::vector<int> chosen;
    for (int g : groupOrder(puzzle, members)) {
        if (taken[g])
            continue;
        std::vector<int> set{g};
        if (puzzle.mirrorSymmetric() && puzzle.mirrorGroupOf(g) != g)
            set.push_back(puzzle.mirrorGroupOf(g));
        std::vector<int> more = chosen;
        for (int h : set)
            more.insert(more.end(), members[h].begin(), members[h].end());
        if (PatternTable::sizeFor(puzzle, more, maxEntries) != 0) {
            chosen = std::move(more);
            for (int h : set)
                taken[h] = true;
        }
    }
    std::sort(chosen.begin(), chosen.end());
    return chosen;
}

} // namespace

PatternBound::PatternBound(const Puzzle& puzzle, std::size_t maxEntries) : puzzle_(puzzle) {
    std::vector<int> pattern = choosePieces(puzzle, maxEntries);
    // One piece alone is no better than its own fewest slides.
    if (pattern.size() >= 2)
        table_.emplace(puzzle, std::move(pattern));
}

// The breadth-first sweep over the table: each queued table place comes with its pieces'
// anchors, n to a place, in `seats`, and `at` holds the anchors of the place at hand.
struct PatternTable::Sweep {
    explicit Sweep(const PatternTable& measured)
        : bound(measured), n(measured.pieces_.size()), at(n), masks(n) {}

    const PatternTable& bound;
    std::size_t n;
    std::vector<std::uint32_t, BigAllocator<std::uint32_t>> queue;
    std::vector<std::uint8_t, BigAllocator<std::uint8_t>> seats;
    std::vector<int> at;
    std::vector<Mask> masks;

    // Where the anchors in `at` lie in the table, if the pieces stand clear of each other.
    std::optional<std::size_t> settle() {
        Mask all = 0;
        std::size_t index = 0;
        for (std::size_t i = 0; i < n; ++i) {
            int k = bound.pieces_[i];
            masks[i] = bound.puzzle_.piece(k).shape << at[i];
            if ((all & masks[i]) != 0)
                return std::nullopt;
            all |= masks[i];
            index += bound.weight_[k][at[i]];
        }
        return index;
    }
    void enqueue(std::vector<std::uint8_t, BigAllocator<std::uint8_t>>& distance, std::size_t index,
                 std::uint8_t steps) {
        distance[index] = steps;
        queue.push_back(static_cast<std::uint32_t>(index));
        for (int a : at)
            seats.push_back(static_cast<std::uint8_t>(a));
    }
};

void PatternTable::measure() {
    std::size_t n = pieces_.size();
    // Breadth-first from every place where each chosen piece stands as the goal wants it.
    std::vector<std::vector<int>> accepted(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (int a = 0; a < playCells; ++a)
            if (puzzle_.slidesToGoal(pieces_[i], a) == 0)
                accepted[i].push_back(a);
        if (accepted[i].empty())
            return; // no goal: every place stays at Puzzle::never
    }
    Sweep sweep(*this);
    std::vector<std::size_t> digit(n, 0); // counting through every choice of accepted anchors
    for (std::size_t i = 0; i < n;) {
        for (std::size_t j = 0; j < n; ++j)
            sweep.at[j] = accepted[j][digit[j]];
        if (auto index = sweep.settle())
            sweep.enqueue(distance_, *index, 0);
        for (i = 0; i < n && ++digit[i] == accepted[i].size(); ++i)
            digit[i] = 0;
    }
    for (std::size_t head = 0; head < sweep.queue.size(); ++head)
        expand(sweep, head);
}

// Queues every table place one slide of one chosen piece away from the sweep's place `head`.
void PatternTable::expand(Sweep& sweep, std::size_t head) {
    std::size_t n = pieces_.size();
    std::size_t index = sweep.queue[head];
    for (std::size_t i = 0; i < n; ++i)
        sweep.at[i] = sweep.seats[head * n + i];
    sweep.settle();
    Mask all = puzzle_.walls();
    for (Mask m : sweep.masks)
        all |= m;
    auto next = static_cast<std::uint8_t>(std::min(distance_[index] + 1, Puzzle::never - 1));
    for (std::size_t i = 0; i < n; ++i) {
        int k = pieces_[i], from = sweep.at[i];
        for (int d = 0; d < directionCount; ++d) {
            if (!slideAllowed(sweep.masks[i], all & ~sweep.masks[i], d))
                continue;
            std::size_t to = index - weight_[k][from] + weight_[k][from + cellOffset[d]];
            if (distance_[to] != Puzzle::never)
                continue;
            sweep.at[i] = from + cellOffset[d];
            sweep.enqueue(distance_, to, next);
            sweep.at[i] = from;
        }
    }
}

int PatternBound::of(const Position& p, std::size_t index) const {
    int bound = 0;
    for (int k = 0; k < puzzle_.pieceCount(); ++k) {
        if (table_ && table_->holds(k))
            continue;
        int slides = puzzle_.slidesToGoal(k, p.anchor[k]);
        if (slides == Puzzle::never)
            return Puzzle::never;
        bound += slides;
    }
    if (table_) {
        if (table_->distance(index) == Puzzle::never)
            return Puzzle::never;
        bound += table_->distance(index);
    }
    return bound;
}

} // namespace nudgeboard::solver
