// Best-first search over positions: depth plus a lower bound on the steps still needed (A*).
//
// Under the game's counter a slide of the piece that moved last is free, so a shortest path over
// (position, piece moved last) is a chain of runs, each run one piece sliding as far as it likes
// for one counted move. Expanding a whole run at once, by a flood fill of that piece with the
// others standing still, makes every step cost one: every position is kept once, not once per
// piece that could have moved last.
//
// The bound: under Metric::Slides every piece needs at least the slides it would need alone
// between the walls to stand where the goal wants it; under Metric::Moves every piece not there
// yet needs at least one run. A step moves one piece, so it changes the bound by at most one and
// depth plus bound never falls: a position is first expanded at its true depth, and a goal found
// at the depth plus bound being expanded is the optimum. Nothing that could lie on a shorter
// solution is skipped.
#include "solver/search.h"
#include "solver/bigalloc.h"
#include "solver/crew.h"
#include "solver/deepening.h"
#include "solver/pattern.h"
#include "solver/steps.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <limits>
#include <map>
#include <optional>
#include <thread>

namespace nudgeboard::solver {

namespace {

// Each thread writes its own table, list of new entries and worker: they get a cache line each,
// else the cores keep taking the shared line from each other.
constexpr std::size_t cacheLine = 64;

// Every position stored with the fewest steps known from the start to it. Keys and their depths
// lie six to a cache line: a lookup, which nearly always misses the cache, misses it once.
class alignas(cacheLine) PositionTable {
public:
    PositionTable() : lines_(std::size_t{1} << 8) {}

    static std::uint64_t hash(Key key) {
        std::uint64_t h = key * 0x9E3779B97F4A7C15ULL;
        return h ^ (h >> 29);
    }

    std::size_t size() const { return size_; }

    void prefetch(std::uint64_t h) const {
#if defined(__GNUC__)
        __builtin_prefetch(&lines_[h & (lines_.size() - 1)]);
#else
        (void)h;
#endif
    }

    enum class Filed { Known, New, Nearer };

    // Stores the key at `depth` unless it is there already at that depth or less.
    Filed add(Key key, std::uint64_t h, int depth) {
        if (4 * (size_ + 1) > 3 * perLine * lines_.size())
            grow();
        auto [line, i] = find(key, h);
        Line& l = lines_[line];
        if (l.keys[i] == free) {
            l.keys[i] = key;
            l.depths[i] = static_cast<std::uint16_t>(depth);
            ++size_;
            return Filed::New;
        }
        if (l.depths[i] <= depth)
            return Filed::Known;
        l.depths[i] = static_cast<std::uint16_t>(depth);
        return Filed::Nearer;
    }

    // The stored depth of a key, -1 if the key is not stored.
    int depth(Key key) const {
        auto [line, i] = find(key, hash(key));
        const Line& l = lines_[line];
        return l.keys[i] == free ? -1 : l.depths[i];
    }

private:
    static constexpr Key free = ~Key{0}; // no key: keys stay below 2^62
    static constexpr int perLine = 6;

    struct alignas(cacheLine) Line {
        Line() { keys.fill(free); }
        std::array<Key, perLine> keys;
        std::array<std::uint16_t, perLine> depths{};
    };

    // The line and place holding the key, or the free place where it belongs.
    std::pair<std::size_t, int> find(Key key, std::uint64_t h) const {
        std::size_t mask = lines_.size() - 1;
        for (std::size_t line = h & mask;; line = (line + 1) & mask) {
            const Line& l = lines_[line];
            for (int i = 0; i < perLine; ++i)
                if (l.keys[i] == key || l.keys[i] == free)
                    return {line, i};
        }
    }

    void grow() {
        std::vector<Line, BigAllocator<Line>> old(lines_.size() * 2);
        old.swap(lines_);
        for (const Line& o : old)
            for (int i = 0; i < perLine; ++i)
                if (o.keys[i] != free) {
                    auto [line, j] = find(o.keys[i], hash(o.keys[i]));
                    lines_[line].keys[j] = o.keys[i];
                    lines_[line].depths[j] = o.depths[i];
                }
    }

    std::vector<Line, BigAllocator<Line>> lines_;
    std::size_t size_ = 0;
};

// The lower bound on the steps from a position to the goal. Under Metric::Slides the pattern
// bound: a few big pieces' fewest slides among themselves, plus each other piece's own.
class LowerBound {
public:
    LowerBound(const Puzzle& puzzle, Metric metric) : puzzle_(puzzle) {
        if (metric == Metric::Slides)
            pattern_.emplace(puzzle);
    }

    // What the bound of p's neighbours is worked out from, once per position.
    std::size_t placeOf(const Position& p) const { return pattern_ ? pattern_->indexOf(p) : 0; }

    // The bound of p; Puzzle::never or more if there is none.
    int of(const Position& p) const {
        if (pattern_)
            return pattern_->of(p, pattern_->indexOf(p));
        int bound = 0;
        for (int k = 0; k < puzzle_.pieceCount(); ++k) {
            int slides = puzzle_.slidesToGoal(k, p.anchor[k]);
            if (slides == Puzzle::never)
                return Puzzle::never;
            bound += slides > 0;
        }
        return bound;
    }

    // How much depth plus bound grows with a step of piece k of p (whose placeOf is `place`)
    // to `anchor`: 0, 1 or 2, since a step moves one piece.
    int riseOf(const Position& p, std::size_t place, int k, int anchor) const {
        int change = 0;
        if (pattern_) {
            change = pattern_->change(p, place, k, anchor);
        } else {
            int before = puzzle_.slidesToGoal(k, p.anchor[k]);
            int after = puzzle_.slidesToGoal(k, anchor);
            change = (after > 0) - (before > 0);
        }
        int rise = 1 + change;
        if (rise < 0 || rise > 2)
            throw InternalError("the lower bound changed by " + std::to_string(change) +
                                " in one step");
        return rise;
    }

private:
    const Puzzle& puzzle_;
    std::optional<PatternBound> pattern_;
};

// A stored position still to expand, as reached (not as its mirror image: the image's
// neighbours are the images of its neighbours, and they share their keys).
struct Entry {
    Position position;
    Key key;                 // of `position` itself
    std::int8_t last;        // the piece that moved into this position, or noPiece
    std::uint8_t cameFrom{}; // where its anchor was before
};
using Entries = std::vector<Entry, BigAllocator<Entry>>;
struct alignas(cacheLine) Shard : Entries {};
// Positions are split into shards by the top bits of their key's hash, one shard per worker.
constexpr int maxShards = 8;
using Bucket = std::array<Shard, maxShards>; // by the shard of the position's key

// A position one step from a stored one: piece `piece` of entry `parent` moved to `anchor`.
// The position itself is built only if its key is new.
struct Candidate {
    Key key; // shared with the mirror image
    std::uint32_t parent;
    std::uint8_t piece;
    std::uint8_t anchor;
    std::uint8_t rise; // how much depth plus bound grows: 0, 1 or 2
};
using Candidates = std::vector<Candidate, BigAllocator<Candidate>>;

// As many shards as the machine has cores, a power of two.
int shardBitsForMachine() {
    unsigned cores = std::thread::hardware_concurrency();
    int bits = 0;
    while ((2u << bits) <= cores && (1 << (bits + 1)) <= maxShards)
        ++bits;
    return bits;
}

class Search {
public:
    Search(const Puzzle& puzzle, Metric metric, const Limits& limits)
        : puzzle_(puzzle), metric_(metric), limits_(limits), memoryLimit_(limits.maxBytes),
          mirror_(puzzle.mirrorSymmetric()), shardBits_(shardBitsForMachine()),
          shards_(1 << shardBits_), crew_(shards_) {}

    Solution run();

private:
    // One shard and one worker per core, in a power of two of them, eight at most. A bucket goes in
    // chunks, each chunk in two phases that all workers share: first each expands its part of the
    // chunk's positions into candidates sorted by shard, then each files its own shard's
    // candidates. No table is shared between threads, and the result does not depend on timing.
    int shardOf(std::uint64_t hash) const {
        return shardBits_ == 0 ? 0 : static_cast<int>(hash >> (64 - shardBits_));
    }

    struct alignas(cacheLine) Worker {
        std::array<Candidates, maxShards> byShard; // the expand phase's output
        bool goal = false;                         // the file phase met a goal
        Key goalKey = 0;
        bool finishing = false; // the expand phase made a goal at the bucket's own order
    };

    std::size_t stored() const {
        std::size_t n = 0;
        for (int s = 0; s < shards_; ++s)
            n += tables_[s].size();
        return n;
    }
    int depthOf(Key key) const { return tables_[shardOf(PositionTable::hash(key))].depth(key); }
    // The entry at place `index` of a bucket read shard after shard.
    const Entry& entryAt(const Bucket& batch, std::size_t index) const {
        int s = 0;
        while (index >= batch[s].size()) {
            index -= batch[s].size();
            if (++s == shards_)
                throw InternalError("a candidate names a position its bucket does not hold");
        }
        return batch[s][index];
    }
    // Gives up on time, and reports progress, between chunks.
    bool outOfTime();
    // Stores the start and queues it.
    void open(const Entry& e, Key settled, int depth, int bound);

    // The buckets a step's new positions go to, by how much it raises depth plus bound.
    using Targets = std::array<Bucket*, 3>;
    // Phase one: every step from one position, as candidates.
    void expand(std::size_t index, const Entry& e, int depth, int order, Worker& w);
    // Phase two: one shard's candidates into the table; the new ones are queued in `targets` by
    // their rise.
    void file(int shard, const Bucket& batch, int depth, int order, const Targets& targets);
    // Expands and files one bucket: its positions lie at `depth`, their depth plus bound is
    // `order`.
    void expandBucket(const Bucket& batch, int depth, int order);
    void expandChunk(const Bucket& batch, std::size_t from, std::size_t to, int depth, int order,
                     const Targets& targets);
    // Phase three: back from the goal, each step to a stored neighbour one step nearer the start.
    std::vector<Key> traceBack(Key goal, int depth) const;
    // The chain of settled keys as clicks and keys, walking the real positions from the start.
    void collectSteps(const std::vector<Key>& chain, Solution& out) const;

    const Puzzle& puzzle_;
    Metric metric_;
    // Made when the search starts, its table counted against the memory limit.
    std::optional<LowerBound> lower_;
    Limits limits_;
    // Set before the first table is made.
    MemoryLimit memoryLimit_;
    bool mirror_;
    int shardBits_;
    int shards_;
    Crew crew_;
    std::chrono::steady_clock::time_point begun_ = std::chrono::steady_clock::now();
    std::chrono::steady_clock::time_point reported_ = begun_;
    bool timedOut_ = false;
    int depth_ = 0; // being expanded
    std::array<PositionTable, maxShards> tables_;
    // Positions to expand by (depth + bound, -depth): the next bucket comes first, and within a
    // value of depth plus bound the deepest, which lies nearest a goal.
    std::map<std::pair<int, int>, Bucket> buckets_;
    std::array<Worker, maxShards> workers_;
    bool goal_ = false;
    Key goalKey_ = 0;
    int goalDepth_ = 0;
};

void Search::open(const Entry& e, Key settled, int depth, int bound) {
    std::uint64_t hash = PositionTable::hash(settled);
    tables_[shardOf(hash)].add(settled, hash, depth);
    buckets_[{depth + bound, -depth}][shardOf(hash)].push_back(e);
}

void Search::expand(std::size_t index, const Entry& e, int depth, int order, Worker& w) {
    const Position& p = e.position;
    Key imageKey = e.key;
    std::array<std::uint8_t, maxPieces> images; // piece k of p is piece images[k] of image
    Position image = mirror_ ? puzzle_.mirrorOf(p, imageKey, images) : p;
    // Under the counter, running the piece that just moved again only reaches positions its
    // own run reached already.
    int skip = metric_ == Metric::Moves ? e.last : noPiece;
    std::size_t place = lower_->placeOf(p);
    forEachStep(puzzle_, metric_, p, skip, [&](int k, int anchor, auto&&) {
        if (k == e.last && anchor == e.cameFrom)
            return; // straight back to where it came from, stored already
        // A position and its mirror image share the smaller key.
        Key key = puzzle_.placedKey(p, e.key, k, anchor);
        if (mirror_)
            key = std::min(key, puzzle_.placedKey(image, imageKey, images[k],
                                                  puzzle_.mirrorAnchor(k, anchor)));
        int rise = lower_->riseOf(p, place, k, anchor);
        w.finishing = w.finishing || (rise == 0 && order == depth + 1);
        w.byShard[shardOf(PositionTable::hash(key))].push_back(
            {key, static_cast<std::uint32_t>(index), static_cast<std::uint8_t>(k),
             static_cast<std::uint8_t>(anchor), static_cast<std::uint8_t>(rise)});
    });
}

void Search::file(int shard, const Bucket& batch, int depth, int order, const Targets& targets) {
    Worker& w = workers_[shard];
    PositionTable& table = tables_[shard];
    // Nearly every lookup misses the cache, so each line is fetched some candidates ahead.
    constexpr std::size_t ahead = 24;
    for (int t = 0; t < shards_; ++t) {
        const auto& list = workers_[t].byShard[shard];
        for (std::size_t i = 0; i < std::min(ahead, list.size()); ++i)
            table.prefetch(PositionTable::hash(list[i].key));
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (i + ahead < list.size())
                table.prefetch(PositionTable::hash(list[i + ahead].key));
            const Candidate& c = list[i];
            auto filed = table.add(c.key, PositionTable::hash(c.key), depth + 1);
            if (filed == PositionTable::Filed::Known)
                continue;
            const Entry& parent = entryAt(batch, c.parent);
            Entry& e = (*targets[c.rise])[shard].emplace_back(parent);
            e.cameFrom = parent.position.anchor[c.piece];
            e.last = static_cast<std::int8_t>(puzzle_.place(e.position, e.key, c.piece, c.anchor));
            // A bound of 0 means every piece stands where the goal wants it.
            if (order + c.rise == depth + 1 && !w.goal) {
                w.goal = true;
                w.goalKey = c.key;
            }
        }
    }
}

bool Search::outOfTime() {
    auto now = std::chrono::steady_clock::now();
    double seconds = std::chrono::duration<double>(now - begun_).count();
    if (seconds > limits_.maxSeconds)
        timedOut_ = true;
    if (limits_.onProgress && now - reported_ > std::chrono::milliseconds(250)) {
        reported_ = now;
        limits_.onProgress({stored(), depth_, seconds, BigMemory::held.load()});
    }
    return timedOut_;
}

void Search::expandBucket(const Bucket& batch, int depth, int order) {
    // Every step goes one deeper and raises depth plus bound by 0, 1 or 2.
    Targets targets;
    for (int rise = 0; rise < 3; ++rise)
        targets[rise] = &buckets_[{order + rise, -(depth + 1)}];
    std::size_t total = 0;
    for (int s = 0; s < shards_; ++s)
        total += batch[s].size();
    constexpr std::size_t chunk = 1 << 15;
    // A goal found at `order` is the optimum at once; one found deeper only once nothing
    // shallower is left.
    for (std::size_t from = 0; from < total && !(goal_ && goalDepth_ == order) && !outOfTime();
         from += chunk)
        expandChunk(batch, from, std::min(total, from + chunk), depth, order, targets);
    for (int rise = 0; rise < 3; ++rise) {
        bool empty = true;
        for (int s = 0; s < shards_; ++s)
            empty = empty && (*targets[rise])[s].empty();
        if (empty)
            buckets_.erase({order + rise, -(depth + 1)});
    }
}

// Entries from..to of the bucket, expanded by the crew and their steps filed by shard.
void Search::expandChunk(const Bucket& batch, std::size_t from, std::size_t to, int depth,
                         int order, const Targets& targets) {
    // A round of the crew costs more than a very small chunk.
    int parts = to - from < 256 ? 1 : shards_;
    crew_.run(parts, [&](int t) {
        Worker& w = workers_[t];
        std::size_t begin = from + (to - from) * t / parts;
        std::size_t end = from + (to - from) * (t + 1) / parts;
        // A goal at this order is the optimum: the rest of the bucket need not be expanded.
        for (std::size_t i = begin; i < end && !w.finishing; ++i) {
            // An entry of a position queued again nearer the start was expanded from there
            // already, in an earlier bucket: its steps all file as known, harmlessly.
            expand(i, entryAt(batch, i), depth, order, w);
        }
    });
    crew_.run(parts == 1 ? 1 : shards_, [&](int t) {
        if (parts != 1) {
            file(t, batch, depth, order, targets);
            return;
        }
        for (int s = 0; s < shards_; ++s)
            file(s, batch, depth, order, targets);
    });
    for (int t = 0; t < shards_; ++t) {
        Worker& w = workers_[t];
        for (int s = 0; s < shards_; ++s)
            w.byShard[s].clear();
        if (w.goal && (!goal_ || goalDepth_ > depth + 1)) {
            goal_ = true;
            goalKey_ = w.goalKey;
            goalDepth_ = depth + 1;
        }
        w.goal = false;
        w.finishing = false;
    }
}

std::vector<Key> Search::traceBack(Key goal, int depth) const {
    std::vector<Key> chain{goal};
    for (int at = depth; at > 0; --at) {
        Key here = chain.back();
        Position p = puzzle_.unpack(here);
        Key before = here;
        bool found = false;
        forEachStep(puzzle_, metric_, p, noPiece, [&](int k, int anchor, auto&&) {
            if (found)
                return;
            Position q = p;
            Key key = here;
            puzzle_.place(q, key, k, anchor);
            key = puzzle_.settledKey(q, key);
            if (depthOf(key) == at - 1) {
                found = true;
                before = key;
            }
        });
        if (!found)
            throw InternalError("the trace back from the goal found no stored position at depth " +
                                std::to_string(at - 1));
        chain.push_back(before);
    }
    std::reverse(chain.begin(), chain.end());
    return chain;
}

void Search::collectSteps(const std::vector<Key>& chain, Solution& out) const {
    std::vector<int> path;
    int lastPiece = noPiece; // numbered in the position before the current run
    Position p = puzzle_.start();
    Key key = puzzle_.pack(p);
    // The game declares the level solved at the first key release that shows the goal, and
    // takes no key after it: a run that passes the goal on its way ends there.
    bool solved = puzzle_.isGoal(p);
    for (std::size_t i = 0; i + 1 < chain.size() && !solved; ++i) {
        bool found = false;
        Position after = p;
        Key afterKey = key;
        forEachStep(puzzle_, metric_, p, noPiece, [&](int k, int anchor, auto&& pathTo) {
            if (found)
                return;
            Position q = p;
            Key qKey = key;
            int moved = puzzle_.place(q, qKey, k, anchor);
            if (puzzle_.settledKey(q, qKey) != chain[i + 1])
                return;
            found = true;
            pathTo(path);
            Position at = p;
            for (int d : path) {
                out.steps.push_back({puzzle_.clickCell(at, k), arrows[d].keyCode});
                at = puzzle_.slid(at, k, d);
                if (puzzle_.isGoal(at)) {
                    solved = true;
                    break;
                }
            }
            if (k != lastPiece)
                ++out.moves;
            lastPiece = moved;
            after = q;
            afterKey = qKey;
        });
        if (!found)
            throw InternalError("the solution's step " + std::to_string(i + 1) +
                                " leads to no stored position");
        p = after;
        key = afterKey;
    }
    out.slides = static_cast<int>(out.steps.size());
    // The search's own count must be the listing's: a goal before the end of the chain would
    // mean a shorter solution it missed.
    int length = metric_ == Metric::Moves ? out.moves : out.slides;
    if (!solved || length != static_cast<int>(chain.size()) - 1)
        throw InternalError("the listed solution takes " + std::to_string(length) + " steps to " +
                            (solved ? "the goal" : "no goal") + ", the search found " +
                            std::to_string(chain.size() - 1));
}

Solution Search::run() {
    Solution out;
    try {
        const Position& start = puzzle_.start();
        lower_.emplace(puzzle_, metric_);
        int startBound = puzzle_.goalReachable() ? lower_->of(start) : Puzzle::never;
        if (startBound < Puzzle::never) {
            Key startKey = puzzle_.pack(start);
            Key settled = puzzle_.settledKey(start, startKey);
            open({start, startKey, noPiece}, settled, 0, startBound);
            if (startBound == 0) {
                goal_ = true;
                goalKey_ = settled;
            }
        }
        while (!buckets_.empty() && out.ranOut == Solution::Shortage::None) {
            auto [order, negativeDepth] = buckets_.begin()->first;
            int depth = -negativeDepth;
            if (goal_ && goalDepth_ <= order)
                break; // nothing left could reach a goal sooner
            if (depth >= deepest) {
                out.ranOut = Solution::Shortage::Depth;
                break;
            }
            depth_ = depth;
            Bucket batch = std::move(buckets_.begin()->second);
            buckets_.erase(buckets_.begin());
            expandBucket(batch, depth, order);
            if (timedOut_ && !(goal_ && goalDepth_ == order))
                out.ranOut = Solution::Shortage::Time;
        }
        if (out.ranOut == Solution::Shortage::None && goal_)
            collectSteps(traceBack(goalKey_, goalDepth_), out);
    } catch (const std::bad_alloc&) {
        out.ranOut =
            BigMemory::refused ? Solution::Shortage::Memory : Solution::Shortage::SystemMemory;
    }
    out.states = stored();
    out.peakBytes = BigMemory::peak.load();
    if (out.ranOut != Solution::Shortage::None) {
        out.outcome = Solution::Outcome::GaveUp;
        out.steps.clear();
        out.moves = out.slides = 0;
    } else if (goal_) {
        out.outcome = Solution::Outcome::Solved;
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun_).count();
    return out;
}

// The search that suits a region: deepening for a tile puzzle or a level with more positions
// than a key numbers, best first otherwise.
Solution solveRegion(const Puzzle& puzzle, Metric metric, const Limits& limits) {
    if (puzzle.isTilePuzzle() || !puzzle.numbered())
        return deepen(puzzle, metric, limits);
    return Search(puzzle, metric, limits).run();
}

} // namespace

Solution solve(const Puzzle& puzzle, Metric metric, const Limits& limits) {
    Puzzle::Regions regions = puzzle.regions();
    if (!regions.impossible && regions.parts.empty())
        return solveRegion(puzzle, metric, limits);
    // Regions no piece can leave solve one after the other; the smallest first, so that one
    // with no solution ends the search soonest.
    Solution out;
    if (regions.impossible)
        return out;
    std::vector<const Puzzle*> parts;
    for (const Puzzle& part : regions.parts)
        parts.push_back(&part);
    std::stable_sort(parts.begin(), parts.end(), [](const Puzzle* a, const Puzzle* b) {
        return a->positionCount() < b->positionCount();
    });
    out.outcome = Solution::Outcome::Solved;
    for (const Puzzle* part : parts) {
        Limits left = limits;
        left.maxSeconds = limits.maxSeconds - out.seconds;
        Solution s = solveRegion(*part, metric, left);
        out.states += s.states;
        out.seconds += s.seconds;
        out.peakBytes = std::max(out.peakBytes, s.peakBytes);
        if (s.outcome != Solution::Outcome::Solved) {
            s.states = out.states;
            s.seconds = out.seconds;
            s.peakBytes = out.peakBytes;
            return s;
        }
        // Each part's pieces are its own, so its first run always counts a new move.
        out.moves += s.moves;
        out.slides += s.slides;
        out.steps.insert(out.steps.end(), s.steps.begin(), s.steps.end());
    }
    return out;
}

} // namespace nudgeboard::solver
