// The pattern bound: choosing its pieces and measuring their table breadth-first from the goal.
#include "solver/pattern.h"

#include <algorithm>
#include <bit>
#include <numeric>
#include <optional>

namespace nudgeboard::solver {

PatternBound::PatternBound(const Puzzle& puzzle, std::size_t maxEntries)
    : puzzle_(puzzle), in_(static_cast<std::size_t>(puzzle.pieceCount()), 0),
      place_(static_cast<std::size_t>(puzzle.pieceCount())),
      weight_(static_cast<std::size_t>(puzzle.pieceCount())) {
    std::vector<int> places = numberPlaces();
    std::size_t entries = choosePieces(places, maxEntries);
    if (pattern_.size() < 2) {
        pattern_.clear(); // one piece alone is no better than its own fewest slides
        return;
    }
    std::uint32_t radix = 1;
    for (int k : pattern_) {
        in_[k] = 1;
        for (int a = 0; a < playCells; ++a)
            weight_[k][a] = place_[k][a] * radix;
        radix *= static_cast<std::uint32_t>(places[k]);
    }
    distance_.assign(entries, Puzzle::never);
    measure();
}

std::vector<int> PatternBound::numberPlaces() {
    int n = puzzle_.pieceCount();
    std::vector<int> places(static_cast<std::size_t>(n), 0);
    for (int k = 0; k < n; ++k) {
        place_[k].fill(0);
        for (int a = 0; a < playCells; ++a)
            if (puzzle_.piece(k).fitsAt(a, puzzle_.walls()))
                place_[k][a] = static_cast<std::uint32_t>(places[k]++);
    }
    return places;
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

} // namespace

std::size_t PatternBound::choosePieces(const std::vector<int>& places, std::size_t maxEntries) {
    std::vector<std::vector<int>> members(static_cast<std::size_t>(puzzle_.groupCount()));
    for (int k = 0; k < puzzle_.pieceCount(); ++k)
        members[puzzle_.piece(k).group].push_back(k);
    // The table's size with the groups of `set` added to `entries`, or 0 past the limit.
    auto grown = [&](std::size_t entries, const std::vector<int>& set) -> std::size_t {
        for (int h : set)
            for (int k : members[h]) {
                if (places[k] == 0 || entries > maxEntries / static_cast<std::size_t>(places[k]))
                    return 0;
                entries *= static_cast<std::size_t>(places[k]);
            }
        return entries;
    };
    std::vector<bool> taken(members.size(), false);
    std::size_t entries = 1;
    for (int g : groupOrder(puzzle_, members)) {
        if (taken[g])
            continue;
        std::vector<int> set{g};
        if (puzzle_.mirrorSymmetric() && puzzle_.mirrorGroupOf(g) != g)
            set.push_back(puzzle_.mirrorGroupOf(g));
        if (std::size_t size = grown(entries, set)) {
            entries = size;
            for (int h : set)
                taken[h] = true;
        }
    }
    for (int k = 0; k < puzzle_.pieceCount(); ++k)
        if (taken[puzzle_.piece(k).group])
            pattern_.push_back(k);
    return entries;
}

// The breadth-first sweep over the table: each queued table place comes with its pieces'
// anchors, n to a place, in `seats`, and `at` holds the anchors of the place at hand.
struct PatternBound::Sweep {
    explicit Sweep(const PatternBound& measured)
        : bound(measured), n(measured.pattern_.size()), at(n), masks(n) {}

    const PatternBound& bound;
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
            int k = bound.pattern_[i];
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

void PatternBound::measure() {
    std::size_t n = pattern_.size();
    // Breadth-first from every place where each chosen piece stands as the goal wants it.
    std::vector<std::vector<int>> accepted(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (int a = 0; a < playCells; ++a)
            if (puzzle_.slidesToGoal(pattern_[i], a) == 0)
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
void PatternBound::expand(Sweep& sweep, std::size_t head) {
    std::size_t n = pattern_.size();
    std::size_t index = sweep.queue[head];
    for (std::size_t i = 0; i < n; ++i)
        sweep.at[i] = sweep.seats[head * n + i];
    sweep.settle();
    Mask all = puzzle_.walls();
    for (Mask m : sweep.masks)
        all |= m;
    auto next = static_cast<std::uint8_t>(std::min(distance_[index] + 1, Puzzle::never - 1));
    for (std::size_t i = 0; i < n; ++i) {
        int k = pattern_[i], from = sweep.at[i];
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
        if (in_[k])
            continue;
        int slides = puzzle_.slidesToGoal(k, p.anchor[k]);
        if (slides == Puzzle::never)
            return Puzzle::never;
        bound += slides;
    }
    if (!pattern_.empty()) {
        if (distance_[index] == Puzzle::never)
            return Puzzle::never;
        bound += distance_[index];
    }
    return bound;
}

} // namespace nudgeboard::solver
