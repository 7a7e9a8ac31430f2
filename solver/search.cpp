// Breadth-first search over positions, one layer per counted move (or per slide).
//
// Under the game's counter a slide of the piece that moved last is free, so a shortest path over
// (position, piece moved last) is a chain of runs, each run one piece sliding as far as it likes
// for one counted move. Expanding a whole run at once, by a flood fill of that piece with the
// others standing still, makes the 0-1 search a plain breadth-first search over positions in
// which the piece moved last need not be stored: every position is kept once, not once per piece
// that could have moved last.
#include "solver/search.h"
#include "solver/bigalloc.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <limits>
#include <thread>

namespace nudgeboard::solver {

namespace {

constexpr int noPiece = -1;

// Each thread writes its own table, list of new entries and worker: they get a cache line each,
// else the two cores keep taking the shared line from each other.
constexpr std::size_t cacheLine = 64;

// A position's key with its layer: the top two bits hold 1 + layer mod 3, 0 marks a free slot.
// Moves can be undone, so neighbouring positions lie at most one layer apart and the layer mod 3
// tells a predecessor from a successor.
class alignas(cacheLine) PositionTable {
public:
    PositionTable() : slots_(std::size_t{1} << 16) {}

    static std::uint64_t hash(Key key) {
        std::uint64_t h = key * 0x9E3779B97F4A7C15ULL;
        return h ^ (h >> 29);
    }

    std::size_t size() const { return size_; }

    void prefetch(std::uint64_t h) const {
#if defined(__GNUC__)
        __builtin_prefetch(&slots_[h & (slots_.size() - 1)]);
#else
        (void)h;
#endif
    }

    // Stores the key with its layer unless it is there already; true if it was new.
    bool add(Key key, std::uint64_t h, int layer) {
        if (4 * (size_ + 1) > 3 * slots_.size())
            grow();
        std::size_t s = find(key, h);
        if (slots_[s] != 0)
            return false;
        slots_[s] = key | (std::uint64_t(1 + layer % 3) << keyBits);
        ++size_;
        return true;
    }

    // 1 + layer mod 3 of a stored key, 0 if the key is not stored.
    int tag(Key key) const {
        return static_cast<int>(slots_[find(key, hash(key))] >> keyBits);
    }

private:
    static constexpr Key keyMask = (Key{1} << keyBits) - 1;

    // The slot holding the key, or the free slot where it belongs.
    std::size_t find(Key key, std::uint64_t h) const {
        std::size_t mask = slots_.size() - 1;
        std::size_t s = h & mask;
        while (slots_[s] != 0 && (slots_[s] & keyMask) != key)
            s = (s + 1) & mask;
        return s;
    }

    void grow() {
        std::vector<std::uint64_t, BigAllocator<std::uint64_t>> old(slots_.size() * 2);
        old.swap(slots_);
        std::size_t mask = slots_.size() - 1;
        for (std::uint64_t entry : old) {
            if (entry == 0)
                continue;
            std::size_t s = hash(entry & keyMask) & mask;
            while (slots_[s] != 0)
                s = (s + 1) & mask;
            slots_[s] = entry;
        }
    }

    std::vector<std::uint64_t, BigAllocator<std::uint64_t>> slots_;
    std::size_t size_ = 0;
};

// Calls f(anchor, path) for every place piece k reaches by its own slides while the others stand
// still, nearest first; path(v) fills v with the directions of the slides from p.
template <class F>
void forEachReach(const Puzzle& puzzle, const Position& p, int k, Mask others, F&& f) {
    struct Visit {
        std::uint8_t anchor;
        std::int8_t from;      // index of the visit it came from
        std::int8_t direction; // the slide that led here
    };
    std::array<Visit, 36> queue; // filled as it goes
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

// A position one step on, and its mirror image (the same again if the level has no mirror).
struct Next {
    Position position;
    Key key;
    int moved; // the piece that moved, numbered in `position`
    Position image;
    Key imageKey;
    int imageMoved; // the same piece, numbered in `image`
    int piece;      // the same piece, numbered in the position before

    Key settledKey() const { return std::min(key, imageKey); }
};

// Calls f(next, path) for every position one step from canonical position p (key `key`): one
// run of one piece under Metric::Moves, one slide under Metric::Slides. `skip` is a piece whose
// runs lead back to where p came from; `only`, if not noPiece, the one piece to move. Without
// `withImage` the image is left out: Next::image is then the position itself.
template <class F>
void forEachNeighbour(const Puzzle& puzzle, Metric metric, const Position& p, Key key, int skip,
                      int only, F&& f, bool withImage = true) {
    constexpr Mask board = (Mask{1} << 36) - 1;
    constexpr Mask column0 = 0x041041041ULL;
    std::array<Mask, maxPieces> masks;
    Mask all = puzzle.walls();
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        masks[k] = puzzle.maskOf(p, k);
        all |= masks[k];
    }
    // The image moves along with p: the image piece slides to the image anchor.
    bool mirror = withImage && puzzle.mirrorSymmetric();
    Key imageKey = key;
    Position image = mirror ? puzzle.mirrorOf(p, imageKey) : p;
    Next next;
    auto emit = [&](int k, int anchor, auto&& pathTo) {
        next.position = p;
        next.key = key;
        next.moved = puzzle.place(next.position, next.key, k, anchor);
        next.piece = k;
        if (mirror) {
            next.image = image;
            next.imageKey = imageKey;
            next.imageMoved =
                puzzle.place(next.image, next.imageKey, puzzle.imageOf(image, k, p.anchor[k]),
                             puzzle.mirrorAnchor(k, anchor));
        } else {
            next.image = next.position;
            next.imageKey = next.key;
            next.imageMoved = next.moved;
        }
        f(next, pathTo);
    };
    // Only a piece next to an empty square can move at all.
    Mask empty = board & ~all;
    Mask besideEmpty =
        ((empty << 1) & ~column0) | ((empty >> 1) & ~(column0 << 5)) | (empty << 6) | (empty >> 6);
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        if (k == skip || (only != noPiece && k != only) || (masks[k] & besideEmpty) == 0)
            continue;
        Mask others = all & ~masks[k];
        if (metric == Metric::Slides) {
            for (int d = 0; d < directionCount; ++d)
                if (slideAllowed(masks[k], others, d))
                    emit(k, p.anchor[k] + cellOffset[d],
                         [d](std::vector<int>& path) { path.assign(1, d); });
            continue;
        }
        forEachReach(puzzle, p, k, others,
                     [&](int anchor, auto&& pathTo) { emit(k, anchor, pathTo); });
    }
}

// Turns the chain of settled keys into clicks and keys. It walks the real positions from the
// start, which may be the mirror images of the chain's, and follows each piece's identity.
void collectSteps(const Puzzle& puzzle, Metric metric, const std::vector<Key>& chain,
                  Solution& out) {
    std::vector<int> path;
    int lastPiece = noPiece; // numbered in the position before the current run
    Position p = puzzle.start();
    Key key = puzzle.pack(p);
    for (std::size_t i = 0; i + 1 < chain.size(); ++i) {
        bool found = false;
        Position after;
        Key afterKey = 0;
        forEachNeighbour(puzzle, metric, p, key, noPiece, noPiece,
                         [&](const Next& n, auto&& pathTo) {
                             if (found || n.settledKey() != chain[i + 1])
                                 return;
                             found = true;
                             pathTo(path);
                             Position at = p;
                             for (int d : path) {
                                 out.steps.push_back({puzzle.clickCell(at, n.piece), 37 + d});
                                 at = puzzle.slid(at, n.piece, d);
                             }
                             if (n.piece != lastPiece)
                                 ++out.moves;
                             lastPiece = n.moved;
                             after = n.position;
                             afterKey = n.key;
                         });
        p = after;
        key = afterKey;
    }
    out.slides = static_cast<int>(out.steps.size());
}

// A position one run (or slide) from a stored one: piece k of entry `parent` moved to `anchor`.
// The position itself is built only if its key is new.
struct Candidate {
    Key key; // shared with the mirror image
    std::uint32_t parent;
    std::uint8_t piece;
    std::uint8_t anchor;
};

} // namespace

Solution solve(const Puzzle& puzzle, Metric metric, const Limits& limits) {
    auto begun = std::chrono::steady_clock::now();
    Solution out;
    // Two cores: the positions are split in two shards by the top bit of their hash. Each layer
    // goes in chunks, each chunk in two phases that both threads share: first both expand half
    // the chunk's positions into candidates sorted by shard, then each files its own shard's
    // candidates. No table is shared between threads, and the result does not depend on timing.
    std::array<PositionTable, 2> tables;
    auto shardOf = [](std::uint64_t hash) { return static_cast<int>(hash >> 63); };
    auto stored = [&] { return tables[0].size() + tables[1].size(); };
    struct Entry {
        Position position;
        Key key;
        std::int8_t last; // the piece that moved into this position, or noPiece
    };
    using Entries = std::vector<Entry, BigAllocator<Entry>>;
    struct alignas(cacheLine) Shard : Entries {};
    std::array<Shard, 2> current, next;
    Key startKey = puzzle.pack(puzzle.start());
    std::uint64_t startHash = PositionTable::hash(startKey);
    tables[shardOf(startHash)].add(startKey, startHash, 0);
    current[0].push_back({puzzle.start(), startKey, noPiece});
    Key goal = startKey;
    bool solved = puzzle.isGoal(puzzle.start());
    int layer = 0;

    struct alignas(cacheLine) Worker {
        std::array<std::vector<Candidate>, 2> byShard; // phase one's output
        bool goal = false;
        Key goalKey = 0;
        // A goal one step beyond the layer being built. It is the optimum once that layer is
        // complete without a goal of its own, and saves expanding the largest layer.
        bool beyond = false;
        Key beyondKey = 0;
    };
    std::array<Worker, 2> workers;
    auto bothThreads = [](std::size_t work, auto&& task) {
        if (work < 4096) { // a thread costs more than a small chunk
            task(0);
            task(1);
            return;
        }
        std::thread other(task, 1);
        task(0);
        other.join();
    };

    auto entryAt = [&](std::size_t i) -> const Entry& {
        return i < current[0].size() ? current[0][i] : current[1][i - current[0].size()];
    };
    const bool mirror = puzzle.mirrorSymmetric();
    auto expand = [&](std::size_t index, const Entry& e, Worker& w) {
        constexpr Mask board = (Mask{1} << 36) - 1;
        constexpr Mask column0 = 0x041041041ULL;
        const Position& p = e.position;
        std::array<Mask, maxPieces> masks;
        Mask all = puzzle.walls();
        for (int k = 0; k < puzzle.pieceCount(); ++k) {
            masks[k] = puzzle.maskOf(p, k);
            all |= masks[k];
        }
        Key imageKey = e.key;
        std::array<std::uint8_t, maxPieces> images; // piece k of p is piece images[k] of image
        Position image = mirror ? puzzle.mirrorOf(p, imageKey, images) : p;
        // Only a run of the one piece out of place, if just one is, can complete the goal.
        std::uint64_t wrong = puzzle.misplaced(p);
        // Under the counter, running the piece that just moved again only reaches positions its
        // own run reached already.
        int skip = metric == Metric::Moves ? e.last : noPiece;
        Mask empty = board & ~all;
        Mask besideEmpty = ((empty << 1) & ~column0) | ((empty >> 1) & ~(column0 << 5)) |
                           (empty << 6) | (empty >> 6);
        for (int k = 0; k < puzzle.pieceCount() && !w.goal; ++k) {
            if (k == skip || (masks[k] & besideEmpty) == 0)
                continue;
            int imageK = mirror ? images[k] : k;
            bool mayFinish = (wrong & ~(std::uint64_t{1} << k)) == 0;
            auto add = [&](int anchor) {
                if (w.goal)
                    return;
                // A position and its mirror image share the smaller key.
                Key key = puzzle.placedKey(p, e.key, k, anchor);
                if (mirror)
                    key = std::min(key, puzzle.placedKey(image, imageKey, imageK,
                                                         puzzle.mirrorAnchor(k, anchor)));
                w.byShard[shardOf(PositionTable::hash(key))].push_back(
                    {key, static_cast<std::uint32_t>(index), static_cast<std::uint8_t>(k),
                     static_cast<std::uint8_t>(anchor)});
                if (mayFinish) {
                    Position q = p;
                    Key qKey = e.key;
                    puzzle.place(q, qKey, k, anchor);
                    if (puzzle.isGoal(q)) {
                        w.goal = true;
                        w.goalKey = key;
                    }
                }
            };
            Mask others = all & ~masks[k];
            if (metric == Metric::Slides) {
                for (int d = 0; d < directionCount; ++d)
                    if (slideAllowed(masks[k], others, d))
                        add(p.anchor[k] + cellOffset[d]);
            } else {
                forEachReach(puzzle, p, k, others, [&](int anchor, auto&&) { add(anchor); });
            }
        }
    };

    // Files one shard's candidates; their slots are fetched ahead, since nearly every lookup
    // misses the cache.
    auto file = [&](int shard) {
        Worker& w = workers[shard];
        for (const Worker& from : workers) {
            const auto& list = from.byShard[shard];
            for (std::size_t at = 0; at < list.size(); at += 64) {
                std::size_t end = std::min(list.size(), at + 64);
                for (std::size_t i = at; i < end; ++i)
                    tables[shard].prefetch(PositionTable::hash(list[i].key));
                for (std::size_t i = at; i < end; ++i) {
                    const Candidate& c = list[i];
                    if (!tables[shard].add(c.key, PositionTable::hash(c.key), layer + 1))
                        continue;
                    // Stored as reached, not as its mirror image: the image's neighbours are the
                    // images of its neighbours, and they share their keys.
                    const Entry& parent = entryAt(c.parent);
                    Entry& e = next[shard].emplace_back(parent);
                    e.last = static_cast<std::int8_t>(
                        puzzle.place(e.position, e.key, c.piece, c.anchor));
                    std::uint64_t wrong = puzzle.misplaced(e.position);
                    if (w.beyond || wrong == 0 || (wrong & (wrong - 1)) != 0)
                        continue; // one step completes the goal only if one piece is out of place
                    forEachNeighbour(
                        puzzle, metric, e.position, e.key, noPiece, std::countr_zero(wrong),
                        [&](const Next& n, auto&&) {
                            if (!w.beyond && puzzle.isGoal(n.position)) {
                                w.beyond = true;
                                w.beyondKey = puzzle.settledKey(n.position, n.key);
                            }
                        },
                        false);
                }
            }
        }
    };

    constexpr std::size_t chunk = 1 << 15;
    while (!solved && (!current[0].empty() || !current[1].empty()) && stored() < limits.maxStates) {
        std::size_t total = current[0].size() + current[1].size();
        for (std::size_t from = 0; from < total && !solved; from += chunk) {
            std::size_t to = std::min(total, from + chunk), middle = from + (to - from) / 2;
            bothThreads(to - from, [&](int t) {
                Worker& w = workers[t];
                for (std::size_t i = t == 0 ? from : middle; i < (t == 0 ? middle : to) && !w.goal;
                     ++i)
                    expand(i, entryAt(i), w);
            });
            bothThreads(to - from, file);
            for (Worker& w : workers) {
                w.byShard[0].clear();
                w.byShard[1].clear();
                if (w.goal && !solved) {
                    solved = true;
                    goal = w.goalKey;
                }
            }
        }
        ++layer;
        for (int t = 0; t < 2; ++t) {
            current[t].swap(next[t]);
            next[t].clear();
        }
        for (const Worker& w : workers)
            if (!solved && w.beyond) {
                solved = true;
                goal = w.beyondKey;
                std::uint64_t hash = PositionTable::hash(goal);
                tables[shardOf(hash)].add(goal, hash, ++layer);
            }
    }
    auto tagOf = [&](Key key) {
        std::uint64_t hash = PositionTable::hash(key);
        return tables[shardOf(hash)].tag(key);
    };

    out.states = stored();
    if (solved) {
        out.outcome = Solution::Outcome::Solved;
        // Back from the goal: each step to a stored neighbour one layer nearer the start.
        std::vector<Key> chain{goal};
        for (int at = layer; at > 0; --at) {
            Position p = puzzle.unpack(chain.back());
            Key before = 0;
            bool found = false;
            forEachNeighbour(puzzle, metric, p, chain.back(), noPiece, noPiece,
                             [&](const Next& n, auto&&) {
                                 if (found)
                                     return;
                                 Key key = n.settledKey();
                                 if (tagOf(key) == 1 + (at - 1) % 3) {
                                     found = true;
                                     before = key;
                                 }
                             });
            chain.push_back(before);
        }
        std::reverse(chain.begin(), chain.end());
        collectSteps(puzzle, metric, chain, out);
    } else if (!current[0].empty() || !current[1].empty()) {
        out.outcome = Solution::Outcome::GaveUp;
    }
    out.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
    return out;
}

} // namespace nudgeboard::solver
