// Reading a level into pieces and masks, and the moves and goal of the game on that picture.
#include "solver/puzzle.h"

#include <algorithm>
#include <bit>

namespace nudgeboard::solver {

namespace {

constexpr Mask bit(int cell) {
    return Mask{1} << cell;
}

// Cell (row, column) to (row, 5 - column) for every cell of m.
Mask mirrored(Mask m) {
    Mask out = 0;
    for (int i = 0; i < playCells; ++i)
        if ((m & bit(i)) != 0)
            out |= bit(cellIndex(rowOf(i), boardSide - 1 - columnOf(i)));
    return out;
}

// binomials()[n][r] = n choose r; 36 choose 18 is below 2^34.
const std::array<std::array<std::uint64_t, playCells + 1>, playCells + 1>& binomials() {
    static const auto table = [] {
        std::array<std::array<std::uint64_t, playCells + 1>, playCells + 1> c{};
        for (int n = 0; n <= playCells; ++n) {
            c[n][0] = 1;
            for (int r = 1; r <= n; ++r)
                c[n][r] = c[n - 1][r - 1] + c[n - 1][r];
        }
        return c;
    }();
    return table;
}

} // namespace

std::optional<Puzzle> Puzzle::fromLayouts(const Layout& start, const Layout& goal,
                                          std::string* error) {
    std::string why;
    auto fail = [&]() -> std::optional<Puzzle> {
        if (error != nullptr)
            *error = why;
        return std::nullopt;
    };
    // The catalogue's own checks: rows, walls that stay put, pieces in one piece each, goal
    // pieces of their start shape.
    if (auto fault = catalogue_checks::layoutFault(start, goal)) {
        why = catalogue_checks::describe(fault);
        return fail();
    }

    Puzzle puzzle;
    auto at = [](const Layout& rows, int cell) { return rows[rowOf(cell)][columnOf(cell)]; };
    for (int cell = 0; cell < playCells; ++cell)
        if (at(start, cell) == '#')
            puzzle.walls_ |= bit(cell);

    // Pieces in reading order of their first square, the order a player meets them.
    Mask seen = 0;
    for (int cell = 0; cell < playCells; ++cell) {
        char c = at(start, cell);
        if (!catalogue_checks::isPieceChar(c) || (seen & bit(cell)) != 0)
            continue;
        Mask cells = catalogue_checks::cellsOf(start, c); // one group: the checks saw to it
        seen |= cells;
        int top = 5, left = 5, bottom = 0, right = 0;
        for (int i = 0; i < playCells; ++i)
            if ((cells & bit(i)) != 0) {
                top = std::min(top, rowOf(i));
                bottom = std::max(bottom, rowOf(i));
                left = std::min(left, columnOf(i));
                right = std::max(right, columnOf(i));
            }
        int anchor = cellIndex(top, left);
        puzzle.start_.anchor[puzzle.pieceCount()] = static_cast<std::uint8_t>(anchor);
        puzzle.pieces_.push_back(
            Piece{c, cells >> anchor, right - left + 1, bottom - top + 1, false, 0});
    }

    // Which goal squares can match at all, and what each asks for.
    for (int cell = 0; cell < playCells; ++cell) {
        char g = at(goal, cell);
        bool wall = (puzzle.walls_ & bit(cell)) != 0;
        if (g == '?')
            continue;
        if (g == '#' || g == '*' || wall) {
            // Walls never move: a wall square matches only "#", any other square never does.
            if ((g == '#') != wall)
                puzzle.goalReachable_ = false;
            else if (g == '*')
                puzzle.goalEmpty_ |= bit(cell);
            continue;
        }
        int k = 0;
        while (k < puzzle.pieceCount() && puzzle.pieces_[k].character != g)
            ++k;
        if (k == puzzle.pieceCount()) {
            puzzle.goalReachable_ = false; // no piece of that colour
            continue;
        }
        puzzle.pieces_[k].inGoal = true;
        auto entry = std::find_if(puzzle.goalCells_.begin(), puzzle.goalCells_.end(),
                                  [k](const auto& e) { return e.first == k; });
        if (entry == puzzle.goalCells_.end())
            puzzle.goalCells_.emplace_back(k, bit(cell));
        else
            entry->second |= bit(cell);
    }

    // Pieces the goal does not name, of one shape, are interchangeable.
    for (int k = 0; k < puzzle.pieceCount(); ++k) {
        Piece& p = puzzle.pieces_[k];
        int g = 0;
        for (; g < puzzle.groupCount(); ++g) {
            const Piece& first = puzzle.piece(puzzle.groups_[g].members[0]);
            if (!p.inGoal && !first.inGoal && first.shape == p.shape)
                break;
        }
        if (g == puzzle.groupCount())
            puzzle.groups_.emplace_back();
        puzzle.groups_[g].members.push_back(k);
        p.group = g;
    }
    if (!puzzle.number(why))
        return fail();
    puzzle.canonicalize(puzzle.start_, -1);
    puzzle.measureToGoal();
    puzzle.mirrorSymmetric_ = puzzle.findMirror();
    return puzzle;
}

std::optional<Puzzle> Puzzle::builtIn(int level, std::string* error) {
    if (level < 1 || level > levelCountBuiltIn) {
        if (error != nullptr)
            *error = "level " + std::to_string(level) + " is not one of 1.." +
                     std::to_string(levelCountBuiltIn);
        return std::nullopt;
    }
    const Level& l = catalogue[level - 1];
    return fromLayouts(l.start, l.goal, error);
}

std::optional<Puzzle> Puzzle::withEveryPieceApart() const {
    Puzzle apart = *this;
    apart.groups_.clear();
    for (int k = 0; k < pieceCount(); ++k) {
        apart.pieces_[k].group = k;
        apart.groups_.emplace_back();
        apart.groups_.back().members = {k};
    }
    std::string why;
    if (!apart.number(why))
        return std::nullopt;
    apart.mirrorSymmetric_ = apart.findMirror();
    return apart;
}

void Puzzle::measureToGoal() {
    toGoal_.assign(pieces_.size(), {});
    for (int k = 0; k < pieceCount(); ++k) {
        const Piece& piece = pieces_[k];
        // In the goal a piece covers its own squares and keeps off those the goal wants empty
        // or gives to another piece.
        Mask wanted = 0, banned = goalEmpty_;
        for (const auto& [named, cells] : goalCells_)
            (named == k ? wanted : banned) |= cells;
        // Breadth-first from every place the goal accepts; slides can be undone, so the distance
        // there is the distance back.
        auto& distance = toGoal_[k];
        distance.fill(never);
        std::array<int, playCells> queue{};
        int size = 0;
        for (int a = 0; a < playCells; ++a) {
            Mask m = piece.shape << a;
            if (columnOf(a) + piece.width <= boardSide && rowOf(a) + piece.height <= boardSide &&
                (m & walls_) == 0 && (m & wanted) == wanted && (m & banned) == 0) {
                distance[a] = 0;
                queue[size++] = a;
            }
        }
        for (int i = 0; i < size; ++i) {
            int a = queue[i];
            for (int d = 0; d < directionCount; ++d) {
                int to = a + cellOffset[d];
                if (slideAllowed(piece.shape << a, walls_, d) && distance[to] == never) {
                    distance[to] = static_cast<std::uint8_t>(distance[a] + 1);
                    queue[size++] = to;
                }
            }
        }
    }
}

bool Puzzle::number(std::string& why) {
    const auto& binomial = binomials();
    weight_.assign(pieces_.size(), {});
    rank_.assign(pieces_.size(), 0);
    std::uint64_t radix = 1;
    for (Group& g : groups_) {
        const Piece& shape = piece(g.members[0]);
        g.places.clear();
        g.index.fill(-1);
        for (int a = 0; a < playCells; ++a)
            if (columnOf(a) + shape.width <= boardSide && rowOf(a) + shape.height <= boardSide &&
                ((shape.shape << a) & walls_) == 0) {
                g.index[a] = static_cast<int>(g.places.size());
                g.places.push_back(a);
            }
        auto m = g.members.size();
        g.combinations = binomial[g.places.size()][m];
        g.radix = radix;
        if (g.combinations > (std::uint64_t{1} << keyBits) / radix) {
            why = "too many positions for the solver to number";
            return false;
        }
        radix *= g.combinations;
        // The j-th member (0-based, in place order) at place i adds (i choose j + 1) digits.
        for (std::size_t j = 0; j < m; ++j) {
            rank_[g.members[j]] = static_cast<int>(j);
            for (int a = 0; a < playCells; ++a)
                if (g.index[a] >= 0)
                    weight_[g.members[j]][a] = binomial[g.index[a]][j + 1] * g.radix;
        }
    }
    return true;
}

Mask Puzzle::occupied(const Position& p) const {
    Mask all = walls_;
    for (int k = 0; k < pieceCount(); ++k)
        all |= maskOf(p, k);
    return all;
}

bool Puzzle::canSlide(const Position& p, int k, int direction) const {
    if (k < 0 || k >= pieceCount())
        return false;
    Mask m = maskOf(p, k);
    return slideAllowed(m, occupied(p) & ~m, direction);
}

Position Puzzle::slid(const Position& p, int k, int direction) const {
    Position next = p;
    next.anchor[k] = static_cast<std::uint8_t>(p.anchor[k] + cellOffset[direction]);
    return next;
}

bool Puzzle::isGoal(const Position& p) const {
    if (!goalReachable_)
        return false;
    if (goalEmpty_ != 0 && (occupied(p) & goalEmpty_) != 0)
        return false;
    for (const auto& [k, cells] : goalCells_)
        if ((maskOf(p, k) & cells) != cells)
            return false;
    return true;
}

std::uint64_t Puzzle::misplaced(const Position& p) const {
    std::uint64_t wrong = 0;
    for (const auto& [k, cells] : goalCells_)
        if ((maskOf(p, k) & cells) != cells)
            wrong |= std::uint64_t{1} << k;
    if (goalEmpty_ != 0)
        for (int k = 0; k < pieceCount(); ++k)
            if ((maskOf(p, k) & goalEmpty_) != 0)
                wrong |= std::uint64_t{1} << k;
    return wrong;
}

int Puzzle::canonicalize(Position& p, int tracked) const {
    auto sortGroup = [&](const std::vector<int>& members) {
        // Insertion sort: after one slide only one anchor is out of place.
        for (std::size_t i = 1; i < members.size(); ++i)
            for (std::size_t j = i; j > 0; --j) {
                auto& a = p.anchor[members[j - 1]];
                auto& b = p.anchor[members[j]];
                if (a <= b)
                    break;
                std::swap(a, b);
                if (tracked == members[j])
                    tracked = members[j - 1];
                else if (tracked == members[j - 1])
                    tracked = members[j];
            }
    };
    if (tracked >= 0 && tracked < pieceCount()) {
        sortGroup(groups_[piece(tracked).group].members);
    } else {
        for (const auto& g : groups_)
            sortGroup(g.members);
    }
    return tracked;
}

int Puzzle::place(Position& p, Key& key, int k, int anchor) const {
    const std::vector<int>& members = groups_[piece(k).group].members;
    int j = rank_[k];
    auto at = static_cast<std::uint8_t>(anchor);
    key -= weight_[k][p.anchor[k]];
    // The moved piece passes the members it overtakes; each of them shifts one rank.
    while (j > 0 && p.anchor[members[j - 1]] > at) {
        int passed = members[j - 1], here = members[j];
        key -= weight_[passed][p.anchor[passed]];
        p.anchor[here] = p.anchor[passed];
        key += weight_[here][p.anchor[here]];
        --j;
    }
    while (j + 1 < static_cast<int>(members.size()) && p.anchor[members[j + 1]] < at) {
        int passed = members[j + 1], here = members[j];
        key -= weight_[passed][p.anchor[passed]];
        p.anchor[here] = p.anchor[passed];
        key += weight_[here][p.anchor[here]];
        ++j;
    }
    p.anchor[members[j]] = at;
    key += weight_[members[j]][at];
    return members[j];
}

bool Puzzle::findMirror() {
    if (mirrored(walls_) != walls_ || mirrored(goalEmpty_) != goalEmpty_ || !goalReachable_)
        return false;
    auto goalOf = [&](int k) {
        for (const auto& [piece, cells] : goalCells_)
            if (piece == k)
                return cells;
        return Mask{0};
    };
    for (Group& g : groups_) {
        const Piece& first = piece(g.members[0]);
        // The mirrored shape, moved back to the top-left corner of its box.
        Mask shape = mirrored(first.shape) >> (boardSide - first.width);
        g.mirror = -1;
        for (int h = 0; h < groupCount() && g.mirror < 0; ++h) {
            const Group& other = groups_[h];
            const Piece& candidate = piece(other.members[0]);
            if (candidate.shape != shape || other.members.size() != g.members.size() ||
                candidate.inGoal != first.inGoal)
                continue;
            if (first.inGoal && goalOf(other.members[0]) != mirrored(goalOf(g.members[0])))
                continue;
            g.mirror = h;
        }
        if (g.mirror < 0)
            return false;
    }
    Key image = 0;
    mirrorOf(start_, image);
    return image == pack(start_);
}

template <class F> void Puzzle::mirrorGroup(const Position& p, const Group& g, F&& f) const {
    // Mirroring keeps rows and reverses the order within a row: the image of an ascending list
    // ascends once each row's run is read backwards.
    int width = piece(g.members[0]).width;
    int n = static_cast<int>(g.members.size());
    int j = 0;
    for (int run = 0; run < n;) {
        int row = rowOf(p.anchor[g.members[run]]);
        int end = run;
        while (end < n && rowOf(p.anchor[g.members[end]]) == row)
            ++end;
        for (int i = end - 1; i >= run; --i) {
            int a = p.anchor[g.members[i]];
            f(j++, i, cellIndex(row, boardSide - width - columnOf(a)));
        }
        run = end;
    }
}

Position Puzzle::mirrorOf(const Position& p, Key& key) const {
    std::array<std::uint8_t, maxPieces> images;
    return mirrorOf(p, key, images);
}

Position Puzzle::mirrorOf(const Position& p, Key& key,
                          std::array<std::uint8_t, maxPieces>& images) const {
    for (int k = 0; k < pieceCount(); ++k)
        images[k] = static_cast<std::uint8_t>(k);
    for (const Group& g : groups_)
        if (g.mirror < 0) {
            key = pack(p);
            return p; // no mirror image among this level's pieces
        }
    Position image;
    key = 0;
    for (const Group& g : groups_) {
        const std::vector<int>& to = groups_[g.mirror].members;
        mirrorGroup(p, g, [&](int j, int i, int a) {
            image.anchor[to[j]] = static_cast<std::uint8_t>(a);
            images[g.members[i]] = static_cast<std::uint8_t>(to[j]);
            key += weight_[to[j]][a];
        });
    }
    return image;
}

int Puzzle::imageOf(const Position& image, int k, int a) const {
    const Group& g = groups_[piece(k).group];
    if (g.mirror < 0)
        return k;
    int at = mirrorAnchor(k, a);
    for (int m : groups_[g.mirror].members)
        if (image.anchor[m] == at)
            return m;
    return k; // not the image of p
}

Key Puzzle::settledKey(const Position& p, Key key) const {
    if (!mirrorSymmetric_)
        return key;
    Key image = 0;
    mirrorOf(p, image);
    return std::min(key, image);
}

Key Puzzle::pack(const Position& p) const {
    Key key = 0;
    for (int k = 0; k < pieceCount(); ++k)
        key += weight_[k][p.anchor[k]];
    return key;
}

Position Puzzle::unpack(Key key) const {
    const auto& binomial = binomials();
    Position p;
    for (const Group& g : groups_) {
        std::uint64_t rank = key / g.radix % g.combinations;
        // The largest place first: the biggest i with (i choose j + 1) <= rank.
        int i = static_cast<int>(g.places.size()) - 1;
        for (int j = static_cast<int>(g.members.size()) - 1; j >= 0; --j) {
            while (binomial[i][j + 1] > rank)
                --i;
            rank -= binomial[i][j + 1];
            p.anchor[g.members[j]] = static_cast<std::uint8_t>(g.places[i]);
            --i;
        }
    }
    return p;
}

std::array<char, playCells> Puzzle::layout(const Position& p) const {
    std::array<char, playCells> cells{};
    for (int i = 0; i < playCells; ++i)
        cells[i] = (walls_ & bit(i)) != 0 ? '#' : '*';
    for (int k = 0; k < pieceCount(); ++k) {
        Mask m = maskOf(p, k);
        for (int i = 0; i < playCells; ++i)
            if ((m & bit(i)) != 0)
                cells[i] = piece(k).character;
    }
    return cells;
}

int Puzzle::clickCell(const Position& p, int k) const {
    return std::countr_zero(maskOf(p, k));
}

} // namespace nudgeboard::solver
