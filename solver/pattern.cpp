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
    int n = puzzle.pieceCount();
    std::vector<int> places(static_cast<std::size_t>(n), 0);
    for (int k = 0; k < n; ++k) {
        const Piece& piece = puzzle.piece(k);
        place_[k].fill(0);
        for (int a = 0; a < playCells; ++a)
            if (columnOf(a) + piece.width <= boardSide && rowOf(a) + piece.height <= boardSide &&
                ((piece.shape << a) & puzzle.walls()) == 0)
                place_[k][a] = static_cast<std::uint32_t>(places[k]++);
    }
    std::vector<std::vector<int>> members(static_cast<std::size_t>(puzzle.groupCount()));
    for (int k = 0; k < n; ++k)
        members[puzzle.piece(k).group].push_back(k);
    auto named = [&](int g) { return puzzle.piece(members[g][0]).inGoal; };
    auto cells = [&](int g) { return std::popcount(puzzle.piece(members[g][0]).shape); };
    std::vector<int> order(members.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        return named(a) != named(b) ? named(a) : cells(a) > cells(b);
    });
    std::vector<bool> taken(members.size(), false);
    std::size_t entries = 1;
    for (int g : order) {
        if (taken[g])
            continue;
        std::vector<int> set{g};
        if (puzzle.mirrorSymmetric() && puzzle.mirrorGroupOf(g) != g)
            set.push_back(puzzle.mirrorGroupOf(g));
        std::size_t size = entries;
        bool fits = true;
        for (int h : set)
            for (int k : members[h]) {
                if (places[k] == 0 || size > maxEntries / static_cast<std::size_t>(places[k])) {
                    fits = false;
                    break;
                }
                size *= static_cast<std::size_t>(places[k]);
            }
        if (!fits)
            continue;
        entries = size;
        for (int h : set)
            taken[h] = true;
    }
    for (int k = 0; k < n; ++k)
        if (taken[puzzle.piece(k).group])
            pattern_.push_back(k);
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

void PatternBound::measure() {
    std::size_t n = pattern_.size();
    // Breadth-first from every place where each chosen piece stands as the goal wants it; each
    // queued table place comes with its pieces' anchors, n to a place, in `seats`.
    std::vector<std::vector<int>> accepted(n);
    for (std::size_t i = 0; i < n; ++i) {
        for (int a = 0; a < playCells; ++a)
            if (puzzle_.slidesToGoal(pattern_[i], a) == 0)
                accepted[i].push_back(a);
        if (accepted[i].empty())
            return; // no goal: every place stays at Puzzle::never
    }
    std::vector<std::uint32_t, BigAllocator<std::uint32_t>> queue;
    std::vector<std::uint8_t, BigAllocator<std::uint8_t>> seats;
    std::vector<int> at(n);
    std::vector<Mask> masks(n);
    // Where the anchors in `at` lie in the table, if the pieces stand clear of each other.
    auto settle = [&]() -> std::optional<std::size_t> {
        Mask all = 0;
        std::size_t index = 0;
        for (std::size_t i = 0; i < n; ++i) {
            int k = pattern_[i];
            masks[i] = puzzle_.piece(k).shape << at[i];
            if ((all & masks[i]) != 0)
                return std::nullopt;
            all |= masks[i];
            index += weight_[k][at[i]];
        }
        return index;
    };
    auto enqueue = [&](std::size_t index, std::uint8_t distance) {
        distance_[index] = distance;
        queue.push_back(static_cast<std::uint32_t>(index));
        for (int a : at)
            seats.push_back(static_cast<std::uint8_t>(a));
    };
    std::vector<std::size_t> digit(n, 0); // counting through every choice of accepted anchors
    for (std::size_t i = 0; i < n;) {
        for (std::size_t j = 0; j < n; ++j)
            at[j] = accepted[j][digit[j]];
        if (auto index = settle())
            enqueue(*index, 0);
        for (i = 0; i < n && ++digit[i] == accepted[i].size(); ++i)
            digit[i] = 0;
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        std::size_t index = queue[head];
        for (std::size_t i = 0; i < n; ++i)
            at[i] = seats[head * n + i];
        settle();
        Mask all = puzzle_.walls();
        for (Mask m : masks)
            all |= m;
        auto next = static_cast<std::uint8_t>(std::min(distance_[index] + 1, Puzzle::never - 1));
        for (std::size_t i = 0; i < n; ++i) {
            int k = pattern_[i], from = at[i];
            for (int d = 0; d < directionCount; ++d) {
                if (!slideAllowed(masks[i], all & ~masks[i], d))
                    continue;
                std::size_t to = index - weight_[k][from] + weight_[k][from + cellOffset[d]];
                if (distance_[to] != Puzzle::never)
                    continue;
                at[i] = from + cellOffset[d];
                enqueue(to, next);
                at[i] = from;
            }
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
