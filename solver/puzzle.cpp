// Reading a level into pieces and masks, and the moves and goal of the game on that picture.
#include "solver/puzzle.h"

#include <algorithm>
#include <bit>
#include <limits>

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
    for (int r = 0; r < boardSide; ++r) {
        puzzle.startRows_[r] = std::string(start[r]);
        puzzle.goalRows_[r] = std::string(goal[r]);
    }
    puzzle.readWalls(start);
    puzzle.readPieces(start);
    puzzle.readGoal(goal);
    puzzle.groupInterchangeable();
    puzzle.numbered_ = puzzle.number();
    puzzle.canonicalize(puzzle.start_, -1);
    puzzle.measureToGoal();
    puzzle.mirrorSymmetric_ = puzzle.findMirror();
    return puzzle;
}

namespace {

char at(const Layout& rows, int cell) {
    return rows[rowOf(cell)][columnOf(cell)];
}

} // namespace

void Puzzle::readWalls(const Layout& start) {
    for (int cell = 0; cell < playCells; ++cell)
        if (at(start, cell) == '#')
            walls_ |= bit(cell);
}

void Puzzle::readPieces(const Layout& start) {
    // In reading order of their first square, the order a player meets them.
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
        start_.anchor[pieceCount()] = static_cast<std::uint8_t>(anchor);
        pieces_.push_back(Piece{c, cells >> anchor, right - left + 1, bottom - top + 1, false, 0});
    }
}

void Puzzle::readGoal(const Layout& goal) {
    // Which goal squares can match at all, and what each asks for.
    for (int cell = 0; cell < playCells; ++cell) {
        char g = at(goal, cell);
        bool wall = (walls_ & bit(cell)) != 0;
        if (g == '?')
            continue;
        if (g == '#' || g == '*' || wall) {
            // Walls never move: a wall square matches only "#", any other square never does.
            if ((g == '#') != wall)
                goalReachable_ = false;
            else if (g == '*')
                goalEmpty_ |= bit(cell);
            continue;
        }
        int k = 0;
        while (k < pieceCount() && pieces_[k].character != g)
            ++k;
        if (k == pieceCount()) {
            goalReachable_ = false; // no piece of that colour
            continue;
        }
        pieces_[k].inGoal = true;
        auto entry = std::find_if(goalCells_.begin(), goalCells_.end(),
                                  [k](const auto& e) { return e.first == k; });
        if (entry == goalCells_.end())
            goalCells_.emplace_back(k, bit(cell));
        else
            entry->second |= bit(cell);
    }
}

void Puzzle::groupInterchangeable() {
    // Pieces the goal does not name, of one shape, are interchangeable.
    for (int k = 0; k < pieceCount(); ++k) {
        Piece& p = pieces_[k];
        int g = 0;
        for (; g < groupCount(); ++g) {
            const Piece& first = piece(groups_[g].members[0]);
            if (!p.inGoal && !first.inGoal && first.shape == p.shape)
                break;
        }
        if (g == groupCount())
            groups_.emplace_back();
        groups_[g].members.push_back(k);
        p.group = g;
    }
}

Puzzle::Regions Puzzle::regions() const {
    Regions out;
    Mask open = boardCells & ~walls_;
    std::vector<Mask> areas;
    while (open != 0) {
        Mask area = open & (~open + 1); // its lowest square, grown edge by edge
        for (Mask grown = 0; grown != area;) {
            grown = area;
            area |= besideOf(area) & open;
        }
        areas.push_back(area);
        open &= ~area;
    }
    if (areas.size() <= 1)
        return out;
    for (Mask area : areas) {
        std::array<std::string, boardSide> start, goal;
        bool matters = false;
        for (int r = 0; r < boardSide; ++r) {
            start[r] = goal[r] = std::string(boardSide, '#');
            for (int c = 0; c < boardSide; ++c) {
                if ((area & bit(cellIndex(r, c))) == 0)
                    continue;
                start[r][c] = startRows_[r][c];
                goal[r][c] = goalRows_[r][c];
                matters = matters || catalogue_checks::isPieceChar(start[r][c]) ||
                          catalogue_checks::isPieceChar(goal[r][c]);
            }
        }
        if (!matters)
            continue; // empty squares only, and those the goal wants empty stay so
        auto rows = [](const std::array<std::string, boardSide>& r) {
            return Layout{r[0], r[1], r[2], r[3], r[4], r[5]};
        };
        auto part = fromLayouts(rows(start), rows(goal));
        if (!part) { // the goal names a piece of another region, which it cannot reach
            out.impossible = true;
            out.parts.clear();
            return out;
        }
        out.parts.push_back(std::move(*part));
    }
    return out;
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
    if (!apart.number())
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
            if (piece.fitsAt(a, walls_) && (m & wanted) == wanted && (m & banned) == 0) {
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

bool Puzzle::number() {
    const auto& binomial = binomials();
    weight_ = {};
    int seat = 0;
    for (std::size_t g = 0; g < groups_.size(); ++g) {
        groupStart_[g] = static_cast<std::uint8_t>(seat);
        for (int k : groups_[g].members) {
            startOf_[k] = groupStart_[g];
            sizeOf_[k] = static_cast<std::uint8_t>(groups_[g].members.size());
            seats_[seat++] = static_cast<std::uint8_t>(k);
        }
    }
    groupStart_[groups_.size()] = static_cast<std::uint8_t>(seat);
    std::uint64_t radix = 1;
    positionCount_ = 1;
    for (Group& g : groups_) {
        const Piece& shape = piece(g.members[0]);
        g.places.clear();
        g.index.fill(-1);
        for (int a = 0; a < playCells; ++a)
            if (shape.fitsAt(a, walls_)) {
                g.index[a] = static_cast<int>(g.places.size());
                g.places.push_back(a);
            }
        auto m = g.members.size();
        g.combinations = binomial[g.places.size()][m];
        g.radix = radix;
        if (g.combinations > (std::uint64_t{1} << keyBits) / radix) {
            positionCount_ = std::numeric_limits<std::uint64_t>::max();
            return false;
        }
        radix *= g.combinations;
        positionCount_ = radix;
        // The j-th member (0-based, in place order) at place i adds (i choose j + 1) digits.
        for (std::size_t j = 0; j < m; ++j) {
            rank_[g.members[j]] = static_cast<std::uint8_t>(j);
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

bool Puzzle::findMirror() {
    everyGroupMirrored_ = false;
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
    for (int g = 0; g < groupCount(); ++g) {
        groupMirror_[g] = static_cast<std::uint8_t>(groups_[g].mirror);
        groupWidth_[g] = static_cast<std::uint8_t>(piece(groups_[g].members[0]).width);
    }
    everyGroupMirrored_ = true;
    Key image = 0;
    mirrorOf(start_, image);
    return image == pack(start_);
}

Position Puzzle::mirrorOf(const Position& p, Key& key) const {
    std::array<std::uint8_t, maxPieces> images;
    return mirrorOf(p, key, images);
}

Position Puzzle::mirrorOf(const Position& p, Key& key,
                          std::array<std::uint8_t, maxPieces>& images) const {
    if (!everyGroupMirrored_) {
        for (int k = 0; k < pieceCount(); ++k)
            images[k] = static_cast<std::uint8_t>(k);
        key = pack(p);
        return p; // no mirror image among this level's pieces
    }
    Position image;
    key = 0;
    for (int g = 0; g < groupCount(); ++g) {
        const std::uint8_t* from = seats_.data() + groupStart_[g];
        const std::uint8_t* to = seats_.data() + groupStart_[groupMirror_[g]];
        int n = groupStart_[g + 1] - groupStart_[g];
        int flip = boardSide - groupWidth_[g];
        // Mirroring keeps rows and reverses the order within a row: the image of an ascending
        // list ascends once each row's run is read backwards.
        int j = 0;
        for (int run = 0; run < n;) {
            int rowStart = p.anchor[from[run]] / boardSide * boardSide;
            int end = run + 1;
            while (end < n && p.anchor[from[end]] < rowStart + boardSide)
                ++end;
            for (int i = end - 1; i >= run; --i, ++j) {
                int a = 2 * rowStart + flip - p.anchor[from[i]]; // column c to flip - c
                image.anchor[to[j]] = static_cast<std::uint8_t>(a);
                images[from[i]] = to[j];
                key += weight_[to[j]][a];
            }
            run = end;
        }
    }
    return image;
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

bool Puzzle::isTilePuzzle() const {
    for (const Piece& piece : pieces_)
        if (std::popcount(piece.shape) != 1)
            return false;
    return std::popcount(boardCells & ~walls_) == pieceCount() + 1;
}

Layout Puzzle::startRows() const {
    return {startRows_[0], startRows_[1], startRows_[2],
            startRows_[3], startRows_[4], startRows_[5]};
}

Layout Puzzle::goalRows() const {
    return {goalRows_[0], goalRows_[1], goalRows_[2], goalRows_[3], goalRows_[4], goalRows_[5]};
}

std::optional<int> Puzzle::goalAnchor(int k) const {
    std::optional<int> at;
    for (int a = 0; a < playCells; ++a)
        if (toGoal_[k][a] == 0) {
            if (at)
                return std::nullopt;
            at = a;
        }
    return at;
}

} // namespace nudgeboard::solver
