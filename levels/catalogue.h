// The built-in levels, in "Load Level" menu order, with compile-time checks of their rows.
#pragma once

#include "app/geometry.h"
#include "levels/palette.h"
#include "play/arrows.h"

#include <array>
#include <bit>
#include <cstdint>
#include <string>
#include <string_view>

namespace nudgeboard {

// A layout row: six characters, character k for column k. Row 0 is the top row.
using Layout = std::array<std::string_view, boardSide>;

struct Level {
    std::string_view name;
    std::int16_t par;
    Layout start;
    Layout goal;
};

// A new level is one more entry here: the count, the menus and the tests follow from it.
constexpr auto catalogue = std::to_array<Level>({
    {"9 Puzzle",
     38,
     {"######", "#234##", "#567##", "#01*##", "######", "######"},
     {"######", "#012##", "#345##", "#67*##", "######", "######"}},
    {"Road Block",
     53,
     {"##1A##", "#11AA#", "004699", "5*78*3", "#*22*#", "##22##"},
     {"##22##", "#?22?#", "??????", "??????", "#????#", "##??##"}},
    {"Little Obstacle",
     28,
     {"##99##", "#6225#", "7122A8", "*11AA*", "#4**B#", "######"},
     {"##22##", "#?22?#", "??????", "??????", "#????#", "######"}},
    {"Claustrophobic",
     111,
     {"2200F#", "24*GG#", "9*511#", "96AB1#", "E6AA7#", "######"},
     {"?????#", "?????#", "?????#", "???22#", "???2?#", "######"}},
    {"Small Puzzle #1",
     24,
     {"######", "#22*7#", "#A2*1#", "#A*01#", "#4*00#", "######"},
     {"######", "#0???#", "#00??#", "#??22#", "#???2#", "######"}},
    {"Small Puzzle #2",
     23,
     {"######", "#22*1#", "#24*1#", "#A*70#", "#A*00#", "######"},
     {"######", "#?0??#", "#00??#", "#??22#", "#??2?#", "######"}},
    {"L Gates",
     36,
     {"##BN##", "#BBNN#", "*5226*", "332299", "*4**7*", "######"},
     {"##22##", "#?22?#", "??????", "??????", "??????", "######"}},
    {"Traffic",
     26,
     {"452267", "3122A8", "01NNA9", "01NNA9", "BC**FG", "DE**HI"},
     {"??????", "??????", "??????", "??????", "??22??", "??22??"}},
});

constexpr int levelCountBuiltIn = static_cast<int>(catalogue.size());

namespace catalogue_checks {

// The first thing wrong with a level, or nothing. Rows and columns count from 0.
struct Fault {
    enum class Kind {
        None,
        NoName,
        ParOutOfRange,
        RowLength,        // `length` characters
        UnknownCharacter, // `character` at `column`
        WildcardInStart,
        WallMoves,       // at `column`: a wall on one board and not on the other
        PieceSplit,      // `character`; `row` is where a separate group begins
        GoalPieceAbsent, // the goal names `character`, which the start lacks
        GoalPieceShape,  // `character` covers other squares on the goal board
    };
    Kind kind = Kind::None;
    bool inGoal = false; // on the goal board, else the start
    int row = 0;
    int column = 0;
    char character = 0;
    std::size_t length = 0;

    constexpr explicit operator bool() const { return kind != Kind::None; }
};

constexpr bool isPieceChar(char c) {
    return c != '#' && c != '*' && c != '?';
}

// Six rows of six layout characters; "?" only on the goal board.
constexpr Fault rowsFault(const Layout& rows, bool inGoal) {
    for (int r = 0; r < boardSide; ++r) {
        if (rows[r].size() != static_cast<std::size_t>(boardSide))
            return {Fault::Kind::RowLength, inGoal, r, 0, 0, rows[r].size()};
        for (int c = 0; c < boardSide; ++c) {
            char ch = rows[r][c];
            if (!inPalette(ch))
                return {Fault::Kind::UnknownCharacter, inGoal, r, c, ch};
            if (ch == '?' && !inGoal)
                return {Fault::Kind::WildcardInStart, inGoal, r, c, ch};
        }
    }
    return {};
}

// The rest need well-formed rows.
constexpr Fault wallsFault(const Layout& start, const Layout& goal) {
    for (int r = 0; r < boardSide; ++r)
        for (int c = 0; c < boardSide; ++c)
            if ((start[r][c] == '#') != (goal[r][c] == '#'))
                return {Fault::Kind::WallMoves, true, r, c, goal[r][c]};
    return {};
}

// The squares of the edge-connected group of ch that holds square `cell` (cellIndex(row, column)).
constexpr std::uint64_t groupCells(const Layout& rows, char ch, int cell) {
    std::uint64_t group = std::uint64_t{1} << cell;
    std::array<int, playCells> stack{};
    int top = 0;
    stack[top++] = cell;
    while (top > 0) {
        int i = stack[--top];
        for (const Arrow& arrow : arrows) {
            int next = neighbour(i, arrow.offset);
            if (next < 0 || rows[rowOf(next)][columnOf(next)] != ch || (group >> next) & 1)
                continue;
            group |= std::uint64_t{1} << next;
            stack[top++] = next;
        }
    }
    return group;
}

constexpr std::uint64_t cellsOf(const Layout& rows, char ch) {
    std::uint64_t cells = 0;
    for (int i = 0; i < playCells; ++i)
        if (rows[rowOf(i)][columnOf(i)] == ch)
            cells |= std::uint64_t{1} << i;
    return cells;
}

constexpr int firstCell(std::uint64_t cells) {
    int i = 0;
    while (i < playCells && ((cells >> i) & 1) == 0)
        ++i;
    return i;
}

// Each piece character of the start covers one connected group: the game would fuse separate
// groups of one colour as soon as they touch.
constexpr Fault startPiecesFault(const Layout& start) {
    for (int i = 0; i < playCells; ++i) {
        char ch = start[rowOf(i)][columnOf(i)];
        std::uint64_t apart = cellsOf(start, ch) & ~groupCells(start, ch, i);
        if (isPieceChar(ch) && apart != 0)
            return {Fault::Kind::PieceSplit, false, rowOf(firstCell(apart)),
                    columnOf(firstCell(apart)), ch};
    }
    return {};
}

// On the goal board a piece character stands on its start shape moved by one fixed offset.
constexpr Fault goalPiecesFault(const Layout& start, const Layout& goal) {
    for (int i = 0; i < playCells; ++i) {
        char ch = goal[rowOf(i)][columnOf(i)];
        if (!isPieceChar(ch))
            continue;
        std::uint64_t from = cellsOf(start, ch), to = cellsOf(goal, ch);
        if (from == 0)
            return {Fault::Kind::GoalPieceAbsent, true, rowOf(i), columnOf(i), ch};
        int shift = firstCell(to) - firstCell(from);
        int columnShift = columnOf(firstCell(to)) - columnOf(firstCell(from));
        bool same = true;
        for (int cell = 0; cell < playCells; ++cell) {
            if (((from >> cell) & 1) == 0)
                continue;
            int column = columnOf(cell) + columnShift;
            same = same && column >= 0 && column < boardSide && cell + shift >= 0 &&
                   cell + shift < playCells && ((to >> (cell + shift)) & 1) != 0;
        }
        if (!same || std::popcount(from) != std::popcount(to))
            return {Fault::Kind::GoalPieceShape, true, rowOf(i), columnOf(i), ch};
    }
    return {};
}

// Everything about the rows, in the order a reader meets it.
constexpr Fault layoutFault(const Layout& start, const Layout& goal) {
    for (Fault f : {rowsFault(start, false), rowsFault(goal, true)})
        if (f)
            return f;
    for (Fault f : {wallsFault(start, goal), startPiecesFault(start), goalPiecesFault(start, goal)})
        if (f)
            return f;
    return {};
}

constexpr Fault levelFault(const Level& level) {
    if (level.name.empty())
        return {Fault::Kind::NoName};
    if (level.par <= 0)
        return {Fault::Kind::ParOutOfRange};
    return layoutFault(level.start, level.goal);
}

// A byte that is no printable character, as a person can read it: "0x0a".
inline std::string byteText(unsigned char byte) {
    const char* hex = "0123456789abcdef";
    return std::string("0x") + hex[byte >> 4] + hex[byte & 15];
}

// The fault in words, one line, for a person who wrote the level.
inline std::string describe(const Fault& f) {
    std::string board = f.inGoal ? "goal" : "start";
    std::string row = board + " row " + std::to_string(f.row + 1);
    std::string square = row + " column " + std::to_string(f.column + 1);
    auto character = [&] {
        unsigned char byte = static_cast<unsigned char>(f.character);
        if (byte > ' ' && byte < 0x7f)
            return std::string("\"") + f.character + "\"";
        return "byte " + byteText(byte);
    };
    switch (f.kind) {
    case Fault::Kind::None:
        return "no fault";
    case Fault::Kind::NoName:
        return "the level has no name";
    case Fault::Kind::ParOutOfRange:
        return "the par is not a whole number from 1 to 32767";
    case Fault::Kind::RowLength:
        return row + " has " + std::to_string(f.length) + " characters, not " +
               std::to_string(boardSide);
    case Fault::Kind::UnknownCharacter:
        return square + " holds " + character() + ", which is no layout character";
    case Fault::Kind::WildcardInStart:
        return square + " holds \"?\", which only goal rows may hold";
    case Fault::Kind::WallMoves:
        return square + (f.character == '#' ? " has a wall where the start has none"
                                            : " has no wall where the start has one");
    case Fault::Kind::PieceSplit:
        return square + ": piece " + character() + " is split into separate groups";
    case Fault::Kind::GoalPieceAbsent:
        return square + " names piece " + character() + ", which the start does not have";
    case Fault::Kind::GoalPieceShape:
        return square + ": piece " + character() + " does not have its start shape";
    }
    return "no fault";
}

// The catalogue's own checks, each a yes or no.
constexpr bool rowsWellFormed(const Layout& rows) {
    return !rowsFault(rows, true);
}

constexpr bool wallsAgree(const Level& level) {
    return !wallsFault(level.start, level.goal);
}

constexpr bool piecesAgree(const Level& level) {
    return !startPiecesFault(level.start) && !goalPiecesFault(level.start, level.goal);
}

constexpr bool allLevelsSound() {
    for (const auto& level : catalogue)
        if (levelFault(level))
            return false;
    return true;
}

static_assert(allLevelsSound(), "a built-in level breaks the layout rules");

} // namespace catalogue_checks

} // namespace nudgeboard
