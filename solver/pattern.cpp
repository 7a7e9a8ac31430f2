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

PatternTable::PatternTable(const Puzzle& puzzle, std::vector<int> pieces, Empty empty)
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
    if (empty == Empty::Followed && puzzle.isTilePuzzle())
        measureTiles();
    else
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
    std::array<std::uint8_t, maxPieces> at{};
    std::array<Mask, maxPieces> masks{};
    Mask all = puzzle_.walls();
    for (std::size_t i = 0; i < n; ++i) {
        at[i] = sweep.seats[head * n + i];
        masks[i] = puzzle_.piece(pieces_[i]).shape << at[i];
        all |= masks[i];
    }
    auto next = static_cast<std::uint8_t>(std::min(distance_[index] + 1, Puzzle::never - 1));
    for (std::size_t i = 0; i < n; ++i) {
        const auto& weight = weight_[pieces_[i]];
        int from = at[i];
        Mask others = all & ~masks[i];
        for (int d = 0; d < directionCount; ++d) {
            if (!slideAllowed(masks[i], others, d))
                continue;
            int to = from + cellOffset[d];
            std::size_t place = index - weight[from] + weight[to];
            if (distance_[place] != Puzzle::never)
                continue;
            distance_[place] = next;
            sweep.queue.push_back(static_cast<std::uint32_t>(place));
            at[i] = static_cast<std::uint8_t>(to);
            sweep.seats.insert(sweep.seats.end(), at.begin(), at.begin() + static_cast<long>(n));
            at[i] = static_cast<std::uint8_t>(from);
        }
    }
}

namespace {

// The squares of `open` that `from` reaches through open squares.
Mask flood(Mask from, Mask open) {
    for (Mask m = from;;) {
        Mask grown = (m | besideOf(m)) & open;
        if (grown == m)
            return m;
        m = grown;
    }
}

} // namespace

void PatternTable::measureTiles() {
    std::size_t n = pieces_.size();
    Mask open = boardCells & ~puzzle_.walls();
    std::vector<std::uint8_t> at(n);
    Mask tiles = 0;
    for (std::size_t i = 0; i < n; ++i) {
        std::optional<int> goal = puzzle_.goalAnchor(pieces_[i]);
        if (!goal)
            return measure(); // a goal with a choice of squares: the plainer table
        at[i] = static_cast<std::uint8_t>(*goal);
        tiles |= Mask{1} << at[i];
    }
    // The empty square's squares are kept from the lowest open square on, in 32 bits where they
    // fit: the table's sweep spends most of its time fetching them.
    int low = std::countr_zero(open);
    if (std::bit_width(open >> low) <= 32)
        measureTiles<std::uint32_t>(at, tiles, low);
    else
        measureTiles<Mask>(at, tiles, low);
}

template <class Squares>
void PatternTable::measureTiles(std::vector<std::uint8_t>& at, Mask tiles, int low) {
    std::size_t n = pieces_.size();
    Mask open = boardCells & ~puzzle_.walls();
    // By place, the squares where the empty square has been at the fewest slides; by visit, the
    // place, the squares the empty square wanders (the table's pieces stand still) and, n to a
    // visit in `seats`, the pieces' anchors.
    std::vector<Squares, BigAllocator<Squares>> reached(distance_.size(), 0);
    std::vector<std::pair<std::uint32_t, Squares>, BigAllocator<std::pair<std::uint32_t, Squares>>>
        queue;
    std::vector<std::uint8_t, BigAllocator<std::uint8_t>> seats;
    // Most places are visited about once: room for that many, touched only as it fills.
    queue.reserve(distance_.size());
    seats.reserve(distance_.size() * n);
    auto visit = [&](std::size_t place, Mask wander, std::uint8_t steps) {
        auto squares = static_cast<Squares>(wander >> low);
        reached[place] |= squares;
        distance_[place] = std::min(distance_[place], steps);
        queue.emplace_back(static_cast<std::uint32_t>(place), squares);
        seats.insert(seats.end(), at.begin(), at.end());
    };
    std::size_t goal = 0;
    for (std::size_t i = 0; i < n; ++i)
        goal += weight_[pieces_[i]][at[i]];
    for (Mask left = open & ~tiles; left != 0;) {
        Mask wander = flood(left & -left, open & ~tiles);
        visit(goal, wander, 0);
        left &= ~wander;
    }
    for (std::size_t head = 0; head < queue.size(); ++head) {
        std::size_t place = queue[head].first;
        Mask wander = Mask{queue[head].second} << low;
        std::copy_n(seats.begin() + static_cast<long>(head * n), n, at.begin());
        tiles = 0;
        for (std::uint8_t a : at)
            tiles |= Mask{1} << a;
        auto next = static_cast<std::uint8_t>(std::min(distance_[place] + 1, Puzzle::never - 1));
        // Every slide first, their places fetched together: nearly every fetch misses the cache.
        struct Slide {
            std::size_t i;
            int to;
            std::size_t moved;
        };
        std::array<Slide, maxPieces * directionCount> slides;
        std::size_t count = 0;
        for (std::size_t i = 0; i < n; ++i) {
            int from = at[i];
            const auto& weight = weight_[pieces_[i]];
            for (int d = 0; d < directionCount; ++d) {
                if (!slideAllowed(Mask{1} << from, ~wander & boardCells, d))
                    continue; // the empty square cannot get there
                int to = from + cellOffset[d];
                std::size_t moved = place - weight[from] + weight[to];
#if defined(__GNUC__)
                __builtin_prefetch(&reached[moved]);
#endif
                slides[count++] = {i, to, moved};
            }
        }
        for (std::size_t j = 0; j < count; ++j) {
            auto [i, to, moved] = slides[j];
            int from = at[i];
            if ((reached[moved] >> (from - low)) & 1)
                continue;
            Mask piece = Mask{1} << from;
            at[i] = static_cast<std::uint8_t>(to);
            visit(moved, flood(piece, (open & ~tiles & ~(Mask{1} << to)) | piece), next);
            at[i] = static_cast<std::uint8_t>(from);
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
