// The solver's picture of a level: each piece a bit mask over the 36 play cells, a position the
// cell where each piece stands. Built from the same layout rows the game paints.
#pragma once

#include "app/geometry.h"
#include "levels/catalogue.h"
#include "levels/palette.h"
#include "play/arrows.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace nudgeboard::solver {

// Bit i stands for play cell i = cellIndex(row, column).
using Mask = std::uint64_t;

// A colour makes one piece.
constexpr int maxPieces = pieceColorCount;

// Board masks for the move rule and for finding pieces that can move at all.
constexpr Mask boardCells = (Mask{1} << playCells) - 1;
constexpr Mask row0 = (Mask{1} << boardSide) - 1;
constexpr Mask row5 = row0 << (playCells - boardSide);
constexpr Mask column0 = [] {
    Mask m = 0;
    for (int r = 0; r < boardSide; ++r)
        m |= Mask{1} << cellIndex(r, 0);
    return m;
}();
constexpr Mask column5 = column0 << (boardSide - 1);
static_assert(column0 == 0x041041041ULL && row5 == 0x3FULL << 30);

// The cells next to any cell of m, across edges.
constexpr Mask besideOf(Mask m) {
    return ((m << 1) & ~column0) | ((m >> 1) & ~column5) | ((m << boardSide) & boardCells) |
           (m >> boardSide);
}

// In the order of the arrow keys' codes 37..40.
enum Direction : int { Left = 0, Up = 1, Right = 2, Down = 3 };
constexpr int directionCount = 4;
constexpr std::array<int, directionCount> cellOffset{arrows[0].offset, arrows[1].offset,
                                                     arrows[2].offset, arrows[3].offset};

struct Piece {
    char character; // the layout character, so also the piece's colour
    Mask shape;     // its cells relative to the top-left corner of its bounding box
    int width;
    int height;
    bool inGoal; // the goal names this piece's colour
    int group;   // pieces of one group are interchangeable for the goal

    // The piece's cells with the top-left corner of its box at `anchor`, if they stay on the
    // board and off `walls`.
    bool fitsAt(int anchor, Mask walls) const {
        return columnOf(anchor) + width <= boardSide && rowOf(anchor) + height <= boardSide &&
               ((shape << anchor) & walls) == 0;
    }
};

// Where each piece's bounding box has its top-left corner, by piece number.
struct Position {
    std::array<std::uint8_t, maxPieces> anchor{};
    bool operator==(const Position&) const = default;
};

// A position numbered densely: per group of interchangeable pieces the rank of its set of places
// among all sets the group could take, the groups' ranks as digits of one mixed-radix number.
// Every built-in level fits well below the 62 bits a key may use.
using Key = std::uint64_t;
constexpr int keyBits = 62;

class Puzzle {
public:
    // Reads a level's start and goal rows. Malformed rows or a colour split into separate groups
    // give no puzzle and a one-line reason in `error`.
    static std::optional<Puzzle> fromLayouts(const Layout& start, const Layout& goal,
                                             std::string* error = nullptr);
    // A built-in level, numbered from 1; any other number gives no puzzle.
    static std::optional<Puzzle> builtIn(int level, std::string* error = nullptr);

    // The same puzzle with every piece told apart, for checking the interchangeable-piece
    // reduction; none if its positions no longer fit a key.
    std::optional<Puzzle> withEveryPieceApart() const;

    int pieceCount() const { return static_cast<int>(pieces_.size()); }
    const Piece& piece(int k) const { return pieces_[static_cast<std::size_t>(k)]; }
    int groupCount() const { return static_cast<int>(groups_.size()); }
    Mask walls() const { return walls_; }
    const Position& start() const { return start_; }

    Mask maskOf(const Position& p, int k) const { return piece(k).shape << p.anchor[k]; }
    Mask occupied(const Position& p) const;

    // The game's move rule: every cell of piece k steps onto the board, into an empty square or
    // one of the piece's own cells.
    bool canSlide(const Position& p, int k, int direction) const;
    // Calls f(k, direction) for every legal slide, pieces in order, directions in key order.
    template <class F> void forEachSlide(const Position& p, F&& f) const;
    // Piece k one cell further; the slide must be legal.
    Position slid(const Position& p, int k, int direction) const;
    // The game's goal check: every goal square that is not "?" shows its own colour.
    bool isGoal(const Position& p) const;
    // Whether every goal square can match at all: a wall where the goal has one, a piece of each
    // colour it names.
    bool goalReachable() const { return goalReachable_; }
    // A sliding-tile puzzle: every piece one square, and one empty square. A piece then never
    // slides twice in a row on a shortest solution (the second slide would take it back), so
    // fewest counted moves and fewest slides are one and the same, and no two orders of slides
    // meet in one position on a shortest path.
    bool isTilePuzzle() const;
    // The fewest slides piece k needs from anchor a, with nothing but the walls in its way, to
    // stand where the goal wants it: covering its goal squares, off the squares the goal wants
    // empty or gives to another piece. `never` if no such place can be reached.
    static constexpr int never = 255;
    int slidesToGoal(int k, int a) const { return toGoal_[k][a]; }
    // The anchor where the goal wants piece k, if it wants it at exactly one.
    std::optional<int> goalAnchor(int k) const;

    // Orders the anchors of interchangeable pieces so that equal boards get equal positions.
    // Returns the new number of piece `tracked`.
    int canonicalize(Position& p, int tracked) const;
    // Puts piece k at `anchor` in canonical position p whose key is `key`, keeping both in step
    // and p canonical. Returns the piece's new number. The fast form of slid, canonicalize, pack.
    int place(Position& p, Key& key, int k, int anchor) const;
    // The key place would give, with p left as it is.
    Key placedKey(const Position& p, Key key, int k, int anchor) const {
        Position moved = p;
        place(moved, key, k, anchor);
        return key;
    }
    // Whether the level looks the same in a mirror held beside it: walls, goal and start alike,
    // each piece swapped for one of the mirrored shape that the goal treats the same. A
    // position and its mirror image then lie equally far from the start and from the goal.
    bool mirrorSymmetric() const { return mirrorSymmetric_; }
    // In a mirror-symmetric level, the group whose pieces are the images of group g's.
    int mirrorGroupOf(int g) const { return groups_[g].mirror; }
    // The canonical mirror image of canonical p, with its key in `key`; p itself if the level
    // has no mirror image.
    Position mirrorOf(const Position& p, Key& key) const;
    // The same, and in `images` for every piece of p the piece of the image that is its image.
    Position mirrorOf(const Position& p, Key& key,
                      std::array<std::uint8_t, maxPieces>& images) const;
    // Where piece k's anchor a lands in the mirror.
    int mirrorAnchor(int k, int a) const {
        return a - columnOf(a) + boardSide - piece(k).width - columnOf(a);
    }
    // The smaller of the keys of canonical p and of its mirror image, if the level is symmetric:
    // the one key a position and its image share.
    Key settledKey(const Position& p, Key key) const;
    // Both need a canonical position (or key of one).
    Key pack(const Position& p) const;
    Position unpack(Key key) const;

    // Whether a key numbers every position: the best-first search stores positions by their
    // keys; a level with more positions than keyBits number is searched by deepening.
    bool numbered() const { return numbered_; }
    // How many positions the key numbers: an upper bound on those the search can meet; the
    // largest count there is if the level is not numbered.
    std::uint64_t positionCount() const { return positionCount_; }

    // The level cut where walls part the board into regions that no piece can leave: one puzzle
    // per region with a piece or a goal piece in it, walls everywhere else. A level solves when
    // every part does, in the sum of their moves. None if the board is one region; `impossible`
    // if a region's goal names a piece that stands in another.
    struct Regions {
        bool impossible = false;
        std::vector<Puzzle> parts;
    };
    Regions regions() const;

    // The rows it was read from.
    Layout startRows() const;
    Layout goalRows() const;
    // The play board as layout characters: piece characters, "#" and "*".
    std::array<char, playCells> layout(const Position& p) const;
    // The lowest play cell the piece covers: where a player clicks to select it.
    int clickCell(const Position& p, int k) const;

private:
    // The steps of fromLayouts.
    void readWalls(const Layout& start);
    void readPieces(const Layout& start);
    void readGoal(const Layout& goal);
    void groupInterchangeable();

    struct Group {
        std::vector<int> members;           // piece numbers, ascending; their anchors ascend too
        std::vector<int> places;            // anchors where the shape fits between the walls
        std::array<int, playCells> index{}; // anchor to its number in `places`, -1 where none
        std::uint64_t combinations;         // ways to choose places for all members
        std::uint64_t radix;                // the value of one step of this group's digit
        int mirror = -1;                    // the group of the mirrored shape
    };
    bool number();        // lays out the groups' digits of the key; false if they pass keyBits
    bool findMirror();    // fills Group::mirror; false if the level is not symmetric
    void measureToGoal(); // fills toGoal_

    std::vector<Piece> pieces_;
    std::vector<Group> groups_;
    bool mirrorSymmetric_ = false;
    // The groups again, flat for the inner loops: group g's members side by side in seats_ from
    // groupStart_[g] on; by piece, where its group starts, its size, and the piece's rank in it.
    std::array<std::uint8_t, maxPieces> seats_{};
    std::array<std::uint8_t, maxPieces + 1> groupStart_{};
    std::array<std::uint8_t, maxPieces> startOf_{}, sizeOf_{}, rank_{};
    // By group, for mirrorOf: the group of the mirrored shape and the shape's width; whether
    // every group has one.
    std::array<std::uint8_t, maxPieces> groupMirror_{}, groupWidth_{};
    bool everyGroupMirrored_ = false;
    // weight_[k][a]: what piece k, at anchor a, adds to the key.
    std::array<std::array<Key, playCells>, maxPieces> weight_{};
    Mask walls_ = 0;
    Position start_;
    std::array<std::string, boardSide> startRows_, goalRows_; // as read, for regions()
    std::uint64_t positionCount_ = 1;
    bool numbered_ = false;
    bool goalReachable_ = true;                   // false if a goal square can never match
    Mask goalEmpty_ = 0;                          // squares the goal wants empty
    std::vector<std::pair<int, Mask>> goalCells_; // piece and the squares it must cover
    std::vector<std::array<std::uint8_t, playCells>> toGoal_; // slidesToGoal by piece and anchor
};

// The move rule on masks: `others` holds walls and every other piece.
constexpr bool slideAllowed(Mask piece, Mask others, int direction) {
    switch (direction) {
    case Left:
        return (piece & column0) == 0 && ((piece >> 1) & others) == 0;
    case Up:
        return (piece & row0) == 0 && ((piece >> boardSide) & others) == 0;
    case Right:
        return (piece & column5) == 0 && ((piece << 1) & others) == 0;
    case Down:
        return (piece & row5) == 0 && ((piece << boardSide) & others) == 0;
    default:
        return false;
    }
}

inline int Puzzle::place(Position& p, Key& key, int k, int anchor) const {
    const std::uint8_t* members = seats_.data() + startOf_[k];
    int size = sizeOf_[k];
    int j = rank_[k];
    auto at = static_cast<std::uint8_t>(anchor);
    key -= weight_[k][p.anchor[k]];
    // The moved piece passes the members it overtakes; each of them shifts one rank, keeping its
    // anchor.
    while (j > 0 && p.anchor[members[j - 1]] > at) {
        int passed = members[j - 1], here = members[j];
        key += weight_[here][p.anchor[passed]] - weight_[passed][p.anchor[passed]];
        p.anchor[here] = p.anchor[passed];
        --j;
    }
    while (j + 1 < size && p.anchor[members[j + 1]] < at) {
        int passed = members[j + 1], here = members[j];
        key += weight_[here][p.anchor[passed]] - weight_[passed][p.anchor[passed]];
        p.anchor[here] = p.anchor[passed];
        ++j;
    }
    p.anchor[members[j]] = at;
    key += weight_[members[j]][at];
    return members[j];
}

template <class F> void Puzzle::forEachSlide(const Position& p, F&& f) const {
    std::array<Mask, maxPieces> masks{};
    Mask all = walls_;
    for (int k = 0; k < pieceCount(); ++k) {
        masks[k] = maskOf(p, k);
        all |= masks[k];
    }
    for (int k = 0; k < pieceCount(); ++k)
        for (int d = 0; d < directionCount; ++d)
            if (slideAllowed(masks[k], all & ~masks[k], d))
                f(k, d);
}

} // namespace nudgeboard::solver
