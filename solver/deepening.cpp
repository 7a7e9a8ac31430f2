// Depth first to a limit on depth plus bound, the limit raised to the least value that passed it
// until a goal lies within it (IDA*). The first goal found within the limit is an optimum, since
// the bound never overestimates and every path within the limit is tried.
#include "solver/deepening.h"
#include "play/arrows.h"
#include "solver/bigalloc.h"
#include "solver/crew.h"
#include "solver/pattern.h"
#include "solver/steps.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <thread>

namespace nudgeboard::solver {

namespace {

// A pattern table holds at most this many places, a byte each: the three tables of the 15-puzzle
// measured in about a tenth of a second each.
constexpr std::size_t largestTable = std::size_t{1} << 20;
// While it is measured, a table that follows the empty square holds about this many bytes a
// place (the table, where the empty square has been, the queue).
constexpr std::size_t measuringBytes = 20;

// The largest tables that fit the memory limit while `crew` measure them at once.
std::size_t tableSizeWithin(std::size_t maxBytes, int crew) {
    std::size_t size = largestTable;
    while (size > 1 && size * measuringBytes * static_cast<std::size_t>(crew) > maxBytes)
        size /= 2;
    return size;
}

// No depth plus bound met past the limit yet.
constexpr int unbounded = std::numeric_limits<int>::max();

// Pieces by their goal anchors: (anchor, piece).
using Placed = std::vector<std::pair<int, int>>;

// The piece of `left` whose goal lies nearest any of `group`'s, the first in reading order among
// the nearest.
Placed::iterator nearest(const Placed& group, Placed& left) {
    auto apart = [](int a, int b) {
        return std::abs(rowOf(a) - rowOf(b)) + std::abs(columnOf(a) - columnOf(b));
    };
    auto best = left.end();
    int least = std::numeric_limits<int>::max();
    for (auto it = left.begin(); it != left.end(); ++it)
        for (auto [a, k] : group)
            if (apart(it->first, a) < least) {
                least = apart(it->first, a);
                best = it;
            }
    return best;
}

std::vector<int> piecesOf(const Placed& group) {
    std::vector<int> pieces;
    for (auto [a, k] : group)
        pieces.push_back(k);
    std::sort(pieces.begin(), pieces.end());
    return pieces;
}

// Groups of the pieces the goal places, each table within tableSize and with at most half of
// them (a table of nearly all is nearly the whole search, measured in advance): each group grown
// from the first piece left in reading order of goal squares by the piece whose goal lies nearest
// the group's, so that a table covers pieces that get in each other's way.
std::vector<std::vector<int>> tableGroups(const Puzzle& puzzle, std::size_t tableSize) {
    Placed left;
    for (int k = 0; k < puzzle.pieceCount(); ++k)
        if (auto a = puzzle.goalAnchor(k); a && puzzle.piece(k).inGoal)
            left.emplace_back(*a, k);
    std::sort(left.begin(), left.end());
    std::size_t half = (left.size() + 1) / 2;
    std::vector<std::vector<int>> groups;
    while (!left.empty()) {
        Placed group{left.front()};
        left.erase(left.begin());
        for (auto next = nearest(group, left); next != left.end() && group.size() < half;
             next = nearest(group, left)) {
            group.push_back(*next);
            if (PatternTable::sizeFor(puzzle, piecesOf(group), tableSize) == 0) {
                group.pop_back();
                break;
            }
            left.erase(next);
        }
        // One piece alone is no better than its own fewest slides.
        if (group.size() >= 2)
            groups.push_back(piecesOf(group));
    }
    return groups;
}

// A symmetry of a tile puzzle: a turn or flip of the board that maps the walls onto the walls and
// the goal onto itself, each tile's goal square onto another tile's. A position and its image
// then lie equally far from the goal, and both bounds hold.
struct Symmetry {
    std::array<int, playCells> square{}; // where each square goes
    std::array<int, maxPieces> piece{};  // the tile whose goal square is the image of k's
};

// The rows and columns a mask's squares span.
struct Box {
    int top = boardSide, bottom = 0, left = boardSide, right = 0;
};

Box boxOf(Mask m) {
    Box box;
    for (int c = 0; c < playCells; ++c)
        if ((m >> c) & 1) {
            box.top = std::min(box.top, rowOf(c)), box.bottom = std::max(box.bottom, rowOf(c));
            box.left = std::min(box.left, columnOf(c));
            box.right = std::max(box.right, columnOf(c));
        }
    return box;
}

// Square c turned or flipped within the box by t: bit 0 flips the rows, bit 1 the columns, bit
// 2 swaps rows and columns (the box is square then).
int transformed(int t, const Box& box, int c) {
    int r = rowOf(c) - box.top, col = columnOf(c) - box.left;
    if (t & 4)
        std::swap(r, col);
    if (t & 1)
        r = box.bottom - box.top - r;
    if (t & 2)
        col = box.right - box.left - col;
    return cellIndex(box.top + r, box.left + col);
}

std::optional<Symmetry> tileSymmetry(const Puzzle& puzzle) {
    if (!puzzle.isTilePuzzle())
        return std::nullopt;
    std::array<int, maxPieces> goal{};
    std::array<int, playCells> goalOf{}; // the tile the goal puts on a square, noPiece if none
    goalOf.fill(noPiece);
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        std::optional<int> g = puzzle.goalAnchor(k);
        if (!g)
            return std::nullopt;
        goal[k] = *g;
        goalOf[*g] = k;
    }
    Mask open = boardCells & ~puzzle.walls();
    Box box = boxOf(open);
    for (int t = 1; t < 8; ++t) {
        if ((t & 4) && box.bottom - box.top != box.right - box.left)
            continue;
        Symmetry s;
        bool fits = true;
        for (int c = 0; c < playCells && fits; ++c) {
            s.square[c] = transformed(t, box, c);
            fits =
                !((open >> c) & 1) || (((open >> s.square[c]) & 1) &&
                                       (goalOf[c] == noPiece) == (goalOf[s.square[c]] == noPiece));
        }
        if (!fits)
            continue;
        for (int k = 0; k < puzzle.pieceCount(); ++k)
            s.piece[k] = goalOf[s.square[goal[k]]];
        return s;
    }
    return std::nullopt;
}

// The lower bound, kept up to date along the path: under Metric::Slides the sum of the pattern
// tables and each other piece's own fewest slides, and for a symmetric tile puzzle the larger of
// that and the same for the position's image; under Metric::Moves one run for each piece not yet
// where the goal wants it.
class PathBound {
public:
    // The tables are measured on the crew, one table to a member at a time.
    PathBound(const Puzzle& puzzle, Metric metric, Crew& crew, std::size_t maxBytes)
        : puzzle_(puzzle), metric_(metric),
          tables_(std::make_shared<std::vector<std::optional<PatternTable>>>()) {
        tableOf_.fill(-1);
        if (metric == Metric::Moves)
            return;
        std::vector<std::vector<int>> groups =
            tableGroups(puzzle, tableSizeWithin(maxBytes, crew.size()));
        for (std::size_t t = 0; t < groups.size(); ++t)
            for (int k : groups[t])
                tableOf_[k] = static_cast<int>(t);
        tables_->resize(groups.size());
        crew.run(static_cast<int>(groups.size()), [&](int t) {
            auto i = static_cast<std::size_t>(t);
            (*tables_)[i].emplace(puzzle, std::move(groups[i]), PatternTable::Empty::Followed);
        });
        symmetry_ = tileSymmetry(puzzle);
    }

    // Starts at p; false if no goal is in reach from it.
    bool reset(const Position& p) {
        sides_[0] = sideOf(p);
        value_ = sides_[0].value;
        if (symmetry_) {
            Position image = p;
            for (int k = 0; k < puzzle_.pieceCount(); ++k)
                image.anchor[symmetry_->piece[k]] =
                    static_cast<std::uint8_t>(symmetry_->square[p.anchor[k]]);
            sides_[1] = sideOf(image);
            value_ = std::max(value_, sides_[1].value);
        }
        return value_ < Puzzle::never;
    }

    int value() const { return value_; }

    // The bound after piece k goes from `from` to `to`: `value`, Puzzle::never if no goal is in
    // reach then; the rest is for `apply`.
    struct Change {
        int value;
        std::array<int, 2> values;
        std::array<std::size_t, 2> places;
    };
    Change after(int k, int from, int to) const {
        Change c{};
        auto [v, place] = sideAfter(sides_[0], k, from, to);
        c.value = c.values[0] = v;
        c.places[0] = place;
        if (symmetry_ && v < Puzzle::never) {
            auto [w, image] = sideAfter(sides_[1], symmetry_->piece[k], symmetry_->square[from],
                                        symmetry_->square[to]);
            c.values[1] = w;
            c.places[1] = image;
            c.value = std::max(v, w);
        }
        return c;
    }
    // Takes the change; returns what to pass to `restore`.
    Change apply(int k, const Change& c) {
        Change before{value_, {}, {}};
        before.values[0] = swapIn(sides_[0], k, c.values[0], c.places[0], before.places[0]);
        if (symmetry_)
            before.values[1] =
                swapIn(sides_[1], symmetry_->piece[k], c.values[1], c.places[1], before.places[1]);
        value_ = c.value;
        return before;
    }
    void restore(int k, const Change& before) { apply(k, before); }

private:
    // The bound of one position, the one on the path or its image.
    struct Side {
        std::array<std::size_t, maxPieces> places{};     // by table
        std::array<std::uint8_t, maxPieces> distances{}; // the tables' entries at `places`
        int value = 0;
    };

    Side sideOf(const Position& p) const {
        Side side;
        for (std::size_t t = 0; t < tables_->size(); ++t) {
            side.places[t] = table(t).indexOf(p);
            side.distances[t] = static_cast<std::uint8_t>(table(t).distance(side.places[t]));
            side.value =
                std::min(side.value + table(t).distance(side.places[t]), int{Puzzle::never});
        }
        for (int k = 0; k < puzzle_.pieceCount(); ++k)
            if (tableOf_[k] < 0)
                side.value = std::min(side.value + ownOf(k, p.anchor[k]), int{Puzzle::never});
        return side;
    }

    std::pair<int, std::size_t> sideAfter(const Side& side, int k, int from, int to) const {
        int t = tableOf_[k];
        if (t < 0) {
            int own = ownOf(k, to);
            if (own == Puzzle::never)
                return {Puzzle::never, 0};
            return {side.value - ownOf(k, from) + own, 0};
        }
        auto i = static_cast<std::size_t>(t);
        std::size_t place = table(i).moved(side.places[i], k, from, to);
        int distance = table(i).distance(place);
        if (distance == Puzzle::never)
            return {Puzzle::never, place};
        return {side.value - side.distances[i] + distance, place};
    }

    int swapIn(Side& side, int k, int value, std::size_t place, std::size_t& oldPlace) {
        int old = side.value;
        side.value = value;
        if (int t = tableOf_[k]; t >= 0) {
            auto i = static_cast<std::size_t>(t);
            oldPlace = side.places[i];
            side.places[i] = place;
            side.distances[i] = static_cast<std::uint8_t>(table(i).distance(place));
        }
        return old;
    }

    const PatternTable& table(std::size_t t) const { return *(*tables_)[t]; }

    int ownOf(int k, int anchor) const {
        int slides = puzzle_.slidesToGoal(k, anchor);
        if (metric_ == Metric::Slides || slides == Puzzle::never)
            return slides;
        return slides > 0;
    }

    const Puzzle& puzzle_;
    Metric metric_;
    // Shared by every copy: the divers' bounds read one set of tables.
    std::shared_ptr<std::vector<std::optional<PatternTable>>> tables_;
    std::array<int, maxPieces> tableOf_{};
    std::optional<Symmetry> symmetry_;
    std::array<Side, 2> sides_; // the path's position and its image
    int value_ = 0;
};

// One step of the path: piece k went from anchor `from` to `to` (by one run under
// Metric::Moves, one slide under Metric::Slides).
struct Move {
    int piece;
    int from;
    int to;
};

// In a tile puzzle, by square and direction, the open square whose tile slides that way into it;
// -1 where none does.
using Into = std::array<std::array<std::int8_t, directionCount>, playCells>;

Into squaresInto(const Puzzle& puzzle) {
    Mask open = boardCells & ~puzzle.walls();
    Into into{};
    for (int c = 0; c < playCells; ++c)
        for (int d = 0; d < directionCount; ++d) {
            int from = neighbour(c, -cellOffset[d]);
            into[c][d] = static_cast<std::int8_t>(from >= 0 && ((open >> from) & 1) ? from : -1);
        }
    return into;
}

// What all divers share: the level, the metric, the bound's tables, the limit and the clock.
struct Plan {
    const Puzzle& puzzle;
    Metric metric;
    const Limits& limits;
    const PathBound& bound; // as measured at the start
    bool tiles;
    Into into;
    std::chrono::steady_clock::time_point begun;
    std::atomic<bool> stop{false}; // out of time, or the path too deep
    std::atomic<bool> timedOut{false};
    // For the progress line: positions searched, counted 65,536 at a time by every diver; the
    // limit and when the line was last written, by the calling thread alone.
    std::atomic<std::uint64_t> searched{0};
    int limit = 0;
    std::chrono::steady_clock::time_point reported{};
    std::thread::id caller = std::this_thread::get_id();
};

// Writes the progress line, at most four times a second, from the calling thread.
void report(Plan& plan, bool now = false) {
    auto at = std::chrono::steady_clock::now();
    if (!plan.limits.onProgress || std::this_thread::get_id() != plan.caller ||
        (!now && at - plan.reported < std::chrono::milliseconds(250)))
        return;
    plan.reported = at;
    double seconds = std::chrono::duration<double>(at - plan.begun).count();
    plan.limits.onProgress({plan.searched.load(), plan.limit, seconds, BigMemory::held.load()});
}

// One depth-first walk at a time, on one thread: the path it is on, its position and bound.
class Diver {
public:
    enum class Dive { Found, Deeper, Stop };

    explicit Diver(Plan& plan) : plan_(plan), position_(plan.puzzle.start()), bound_(plan.bound) {
        if (!plan.tiles)
            return;
        owner_.fill(noPiece);
        for (int k = 0; k < plan.puzzle.pieceCount(); ++k)
            owner_[position_.anchor[k]] = static_cast<std::int8_t>(k);
        empty_ = std::countr_zero(boardCells & ~plan.puzzle.occupied(position_));
    }

    // Follows `path` from the start, as `dive` would have.
    void follow(const std::vector<Move>& path) {
        for (const Move& m : path)
            take(m, bound_.after(m.piece, m.from, m.to));
    }
    // Dives from the end of the path to depth plus bound `limit`; at depth `collectAt` it only
    // adds the path to `collected`.
    Dive dive(int limit, int collectAt = -1, std::vector<std::vector<Move>>* collected = nullptr) {
        limit_ = limit;
        collectAt_ = collectAt;
        collected_ = collected;
        next_ = unbounded;
        return plan_.tiles ? diveTiles() : diveAny();
    }

    // A diver on the shared paths gives up its path once a goal is found on an earlier one.
    void share(const std::atomic<std::size_t>* earliest, std::size_t index) {
        earliest_ = earliest;
        index_ = index;
    }

    const std::vector<Move>& path() const { return path_; }
    std::uint64_t visited() const { return visited_; }
    int next() const { return next_; }
    int bound() const { return bound_.value(); }
    bool reset() { return bound_.reset(position_); }

private:
    struct Taken {
        PathBound::Change before;
    };
    Taken take(const Move& m, const PathBound::Change& c) {
        Taken t{bound_.apply(m.piece, c)};
        position_.anchor[m.piece] = static_cast<std::uint8_t>(m.to);
        if (plan_.tiles) {
            owner_[m.to] = static_cast<std::int8_t>(m.piece);
            owner_[m.from] = noPiece;
            empty_ = m.from;
        }
        path_.push_back(m);
        return t;
    }
    void untake(const Move& m, const Taken& t) {
        path_.pop_back();
        if (plan_.tiles) {
            owner_[m.from] = static_cast<std::int8_t>(m.piece);
            owner_[m.to] = noPiece;
            empty_ = m.to;
        }
        position_.anchor[m.piece] = static_cast<std::uint8_t>(m.from);
        bound_.restore(m.piece, t.before);
    }

    // What every node checks first: the clock now and then, a goal, the depth.
    std::optional<Dive> arrive() {
        if (++visited_ % 65536 == 0 && (outOfTime() || overtaken()))
            return Dive::Stop;
        if (plan_.stop.load(std::memory_order_relaxed))
            return Dive::Stop;
        // A goal's bound is 0.
        if (bound_.value() == 0 && plan_.puzzle.isGoal(position_))
            return Dive::Found;
        int depth = static_cast<int>(path_.size());
        if (depth == collectAt_) {
            collected_->push_back(path_);
            return Dive::Deeper;
        }
        if (depth >= deepest) {
            plan_.stop = true;
            return Dive::Stop;
        }
        return std::nullopt;
    }

    // One step on, if it keeps depth plus bound within the limit.
    template <class Dived> Dive step(const Move& m, Dived&& dived) {
        PathBound::Change c = bound_.after(m.piece, m.from, m.to);
        if (c.value == Puzzle::never)
            return Dive::Deeper;
        int f = static_cast<int>(path_.size()) + 1 + c.value;
        if (f > limit_) {
            next_ = std::min(next_, f);
            return Dive::Deeper;
        }
        Taken t = take(m, c);
        Dive result = dived();
        if (result != Dive::Found)
            untake(m, t);
        return result;
    }

    Dive diveAny() {
        if (auto end = arrive())
            return *end;
        // A copy: the path grows below this step.
        std::optional<Move> last;
        if (!path_.empty())
            last = path_.back();
        // Under the game's counter the piece that moved last has had its run; a slide straight
        // back undoes the last one.
        int skip = plan_.metric == Metric::Moves && last ? last->piece : noPiece;
        Dive result = Dive::Deeper;
        Position here = position_;
        forEachStep(plan_.puzzle, plan_.metric, here, skip, [&](int k, int to, auto&&) {
            if (result != Dive::Deeper || (last && last->piece == k && last->from == to))
                return;
            result = step({k, here.anchor[k], to}, [&] { return diveAny(); });
        });
        return result;
    }

    // The same for a tile puzzle, each step a tile sliding into the empty square.
    Dive diveTiles() {
        if (auto end = arrive())
            return *end;
        int back = path_.empty() ? -1 : path_.back().to; // the square the last tile came from
        int to = empty_;
        for (int d = 0; d < directionCount; ++d) {
            int from = plan_.into[to][d];
            if (from < 0 || from == back)
                continue;
            Dive result = step({owner_[from], from, to}, [&] { return diveTiles(); });
            if (result != Dive::Deeper)
                return result;
        }
        return Dive::Deeper;
    }

    bool overtaken() const { return earliest_ && earliest_->load() < index_; }

    bool outOfTime() {
        plan_.searched += 65536;
        report(plan_);
        auto now = std::chrono::steady_clock::now();
        double seconds = std::chrono::duration<double>(now - plan_.begun).count();
        if (seconds >= plan_.limits.maxSeconds) {
            plan_.timedOut = true;
            plan_.stop = true;
        }
        return plan_.stop;
    }

    Plan& plan_;
    Position position_;
    PathBound bound_;
    std::vector<Move> path_;
    // For a tile puzzle: the piece on each square (noPiece where none), and the empty square.
    std::array<std::int8_t, playCells> owner_{};
    int empty_ = 0;
    int limit_ = 0; // on depth plus bound
    int next_ = 0;  // the least depth plus bound past the limit met so far
    int collectAt_ = -1;
    std::vector<std::vector<Move>>* collected_ = nullptr;
    std::uint64_t visited_ = 0;
    const std::atomic<std::size_t>* earliest_ = nullptr;
    std::size_t index_ = 0;
};

// A limit's paths are shared among the crew by their first steps: enough of them to keep every
// member busy to the end.
constexpr std::size_t pathsPerMember = 256;

class Deepening {
public:
    Deepening(const Puzzle& puzzle, Metric metric, const Limits& limits)
        : puzzle_(puzzle), metric_(puzzle.isTilePuzzle() ? Metric::Slides : metric),
          limits_(limits), begun_(std::chrono::steady_clock::now()) {}

    Solution run();

private:
    // One limit's dive, shared by the crew; the path to a goal if one is within the limit, and
    // the least depth plus bound past it.
    Diver::Dive round(Plan& plan, int limit, int& next, std::vector<Move>& found);
    // One diver from the start; collecting the paths `collectAt` steps long if asked.
    Diver::Dive solo(Plan& plan, int limit, int& next, std::vector<Move>& found, int collectAt = -1,
                     std::vector<std::vector<Move>>* collected = nullptr);
    // The crew, each member diving on from the paths it takes.
    Diver::Dive shared(Plan& plan, int limit, const std::vector<std::vector<Move>>& paths,
                       int& next, std::vector<Move>& found);
    // `out` with the search's counts and time.
    Solution finished(Solution& out) const;
    void list(const std::vector<Move>& path, Solution& out) const;

    const Puzzle& puzzle_;
    Metric metric_;
    const Limits& limits_;
    std::chrono::steady_clock::time_point begun_;
    std::optional<Crew> crew_;
    std::uint64_t visited_ = 0;
};

Diver::Dive Deepening::round(Plan& plan, int limit, int& next, std::vector<Move>& found) {
    // The first steps: the split deepened until there are enough paths to share.
    std::vector<std::vector<Move>> paths;
    std::size_t enough = pathsPerMember * static_cast<std::size_t>(crew_->size());
    for (int splitAt = 1; crew_->size() > 1 && splitAt < limit && paths.size() < enough;
         ++splitAt) {
        paths.clear();
        if (Diver::Dive d = solo(plan, limit, next, found, splitAt, &paths);
            d != Diver::Dive::Deeper)
            return d;
    }
    if (paths.size() < enough) // too few to share: one diver takes the whole limit
        return solo(plan, limit, next, found);
    return shared(plan, limit, paths, next, found);
}

Diver::Dive Deepening::solo(Plan& plan, int limit, int& next, std::vector<Move>& found,
                            int collectAt, std::vector<std::vector<Move>>* collected) {
    Diver diver(plan);
    diver.reset();
    Diver::Dive d = diver.dive(limit, collectAt, collected);
    visited_ += diver.visited();
    next = diver.next();
    if (d == Diver::Dive::Found)
        found = diver.path();
    return d;
}

// Each member takes the next path not yet taken. The goal on the earliest path is the one
// listed, and a path's positions count only up to it, so the result is the one a single diver
// would give.
Diver::Dive Deepening::shared(Plan& plan, int limit, const std::vector<std::vector<Move>>& paths,
                              int& next, std::vector<Move>& found) {
    std::atomic<std::size_t> taken{0};
    std::atomic<std::size_t> earliest{paths.size()};
    std::vector<std::uint64_t> visited(paths.size(), 0);
    std::vector<int> nexts(static_cast<std::size_t>(crew_->size()), unbounded);
    std::vector<std::vector<Move>> goals(paths.size());
    auto foundOn = [&](std::size_t i) {
        for (std::size_t e = earliest.load(); i < e && !earliest.compare_exchange_weak(e, i);)
            ;
    };
    crew_->run(crew_->size(), [&](int member) {
        for (std::size_t i; (i = taken.fetch_add(1)) < paths.size() && i < earliest.load();) {
            Diver diver(plan);
            diver.reset();
            diver.follow(paths[i]);
            diver.share(&earliest, i);
            Diver::Dive r = diver.dive(limit);
            visited[i] = diver.visited();
            auto m = static_cast<std::size_t>(member);
            nexts[m] = std::min(nexts[m], diver.next());
            if (r == Diver::Dive::Found) {
                goals[i] = diver.path();
                foundOn(i);
            }
            if (r == Diver::Dive::Stop && plan.stop)
                return;
        }
    });
    std::size_t goal = earliest.load();
    for (std::size_t i = 0; i < paths.size() && i <= goal; ++i)
        visited_ += visited[i];
    next = std::min(next, *std::min_element(nexts.begin(), nexts.end()));
    if (goal < paths.size()) {
        found = goals[goal];
        return Diver::Dive::Found;
    }
    return plan.stop ? Diver::Dive::Stop : Diver::Dive::Deeper;
}

Solution Deepening::run() {
    Solution out;
    try {
        if (!puzzle_.goalReachable() || tileParityForbids(puzzle_))
            return finished(out);
        MemoryLimit memoryLimit(limits_.maxBytes);
        crew_.emplace(workersForMachine());
        PathBound bound(puzzle_, metric_, *crew_, limits_.maxBytes);
        Plan plan{puzzle_, metric_, limits_, bound, puzzle_.isTilePuzzle(), squaresInto(puzzle_),
                  begun_};
        Diver start(plan);
        bool reachable = start.reset();
        for (int limit = start.bound(); reachable;) {
            plan.limit = limit;
            report(plan, true);
            if (std::chrono::steady_clock::now() - begun_ >=
                std::chrono::duration<double>(limits_.maxSeconds)) {
                out.ranOut = Solution::Shortage::Time;
                out.outcome = Solution::Outcome::GaveUp;
                break;
            }
            int next = unbounded;
            std::vector<Move> found;
            Diver::Dive d = round(plan, limit, next, found);
            if (d == Diver::Dive::Found) {
                list(found, out);
                out.outcome = Solution::Outcome::Solved;
                break;
            }
            if (d == Diver::Dive::Stop) {
                out.ranOut = plan.timedOut ? Solution::Shortage::Time : Solution::Shortage::Depth;
                out.outcome = Solution::Outcome::GaveUp;
                break;
            }
            if (next == unbounded)
                break; // every path ends where no goal is in reach
            limit = next;
        }
    } catch (const std::bad_alloc&) {
        out.ranOut =
            BigMemory::refused ? Solution::Shortage::Memory : Solution::Shortage::SystemMemory;
        out.outcome = Solution::Outcome::GaveUp;
    }
    return finished(out);
}

Solution Deepening::finished(Solution& out) const {
    out.states = visited_;
    out.peakBytes = BigMemory::peak.load();
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
    return out;
}

// The path as key strokes, the counter as the game keeps it.
void Deepening::list(const std::vector<Move>& path, Solution& out) const {
    Position p = puzzle_.start();
    int lastPiece = noPiece;
    bool solved = puzzle_.isGoal(p);
    std::vector<int> slides;
    for (const Move& m : path) {
        if (solved)
            break;
        forEachStep(puzzle_, metric_, p, noPiece, [&](int k, int to, auto&& pathTo) {
            if (k == m.piece && to == m.to)
                pathTo(slides);
        });
        for (int d : slides) {
            out.steps.push_back({puzzle_.clickCell(p, m.piece), arrows[d].keyCode});
            p = puzzle_.slid(p, m.piece, d);
            if (puzzle_.isGoal(p)) {
                solved = true;
                break;
            }
        }
        if (m.piece != lastPiece)
            ++out.moves;
        lastPiece = m.piece;
    }
    out.slides = static_cast<int>(out.steps.size());
    int length = metric_ == Metric::Moves ? out.moves : out.slides;
    if (!solved || length != static_cast<int>(path.size()))
        throw InternalError("the listed solution takes " + std::to_string(length) + " steps to " +
                            (solved ? "the goal" : "no goal") + ", the search found " +
                            std::to_string(path.size()));
}

} // namespace

bool tileParityForbids(const Puzzle& puzzle) {
    if (!puzzle.isTilePuzzle())
        return false;
    // Where each square's tile goes, the empty square's to the square no tile takes.
    std::array<int, playCells> to{};
    to.fill(-1);
    Mask taken = puzzle.walls();
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        std::optional<int> goal = puzzle.goalAnchor(k);
        if (!goal)
            return false; // the goal leaves a tile a choice of squares
        to[puzzle.start().anchor[k]] = *goal;
        taken |= Mask{1} << *goal;
    }
    Mask open = boardCells & ~puzzle.walls();
    int emptyNow = std::countr_zero(open & ~puzzle.occupied(puzzle.start()));
    int emptyThen = std::countr_zero(boardCells & ~taken);
    to[emptyNow] = emptyThen;
    // The permutation's parity, by its cycles.
    int swaps = 0;
    Mask seen = 0;
    for (int c = 0; c < playCells; ++c) {
        if (to[c] < 0 || ((seen >> c) & 1))
            continue;
        for (int at = c; !((seen >> at) & 1); at = to[at]) {
            seen |= Mask{1} << at;
            ++swaps;
        }
        --swaps; // a cycle of n squares is n - 1 swaps
    }
    auto colour = [](int c) { return (rowOf(c) + columnOf(c)) % 2; };
    return swaps % 2 != (colour(emptyNow) != colour(emptyThen));
}

Solution deepen(const Puzzle& puzzle, Metric metric, const Limits& limits) {
    return Deepening(puzzle, metric, limits).run();
}

} // namespace nudgeboard::solver
