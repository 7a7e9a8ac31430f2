// The eight built-in levels, in "Load Level" menu order, with compile-time checks of their rows.
#pragma once

#include "levels/palette.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace nudgeboard {

// A layout row: six characters, character k for column k. Row 0 is the top row.
using Layout = std::array<std::string_view, 6>;

struct Level {
    std::string_view name;
    std::int16_t par;
    Layout start;
    Layout goal;
};

constexpr int levelCountBuiltIn = 8;

constexpr std::array<Level, levelCountBuiltIn> catalogue{{
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
}};

namespace catalogue_checks {

constexpr bool isPieceChar(char c) {
    return c != '#' && c != '*' && c != '?';
}

constexpr bool rowsWellFormed(const Layout& rows) {
    for (auto row : rows) {
        if (row.size() != 6)
            return false;
        for (char c : row)
            if (!inPalette(c))
                return false;
    }
    return true;
}

constexpr bool startHasNoWildcard(const Level& level) {
    for (auto row : level.start)
        if (row.find('?') != std::string_view::npos)
            return false;
    return true;
}

constexpr bool wallsAgree(const Level& level) {
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c)
            if ((level.start[r][c] == '#') != (level.goal[r][c] == '#'))
                return false;
    return true;
}

// Size of the edge-connected group of ch that contains (r, c).
constexpr int groupSize(const Layout& rows, char ch, int r, int c) {
    std::array<bool, 36> seen{};
    std::array<int, 36> stack{};
    int top = 0, size = 0;
    stack[top++] = 6 * r + c;
    seen[6 * r + c] = true;
    while (top > 0) {
        int i = stack[--top];
        ++size;
        int row = i / 6, col = i % 6;
        const int dr[] = {0, 0, 1, -1}, dc[] = {1, -1, 0, 0};
        for (int d = 0; d < 4; ++d) {
            int nr = row + dr[d], nc = col + dc[d];
            if (nr < 0 || nr > 5 || nc < 0 || nc > 5 || seen[6 * nr + nc] || rows[nr][nc] != ch)
                continue;
            seen[6 * nr + nc] = true;
            stack[top++] = 6 * nr + nc;
        }
    }
    return size;
}

constexpr int countOf(const Layout& rows, char ch) {
    int n = 0;
    for (auto row : rows)
        for (char c : row)
            n += c == ch;
    return n;
}

// Each piece character of the start covers one connected group; on the goal board the same
// character stands on the same shape moved by one fixed offset.
constexpr bool piecesAgree(const Level& level) {
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 6; ++c) {
            char ch = level.start[r][c];
            if (isPieceChar(ch) && countOf(level.start, ch) != groupSize(level.start, ch, r, c))
                return false;
        }
    for (auto row : level.goal)
        for (char ch : row) {
            if (!isPieceChar(ch))
                continue;
            int n = countOf(level.start, ch);
            if (n == 0 || n != countOf(level.goal, ch))
                return false;
            int sr = -1, sc = -1, gr = -1, gc = -1; // first square of ch in reading order
            for (int r = 0; r < 6 && sr < 0; ++r)
                for (int c = 0; c < 6 && sr < 0; ++c)
                    if (level.start[r][c] == ch)
                        sr = r, sc = c;
            for (int r = 0; r < 6 && gr < 0; ++r)
                for (int c = 0; c < 6 && gr < 0; ++c)
                    if (level.goal[r][c] == ch)
                        gr = r, gc = c;
            for (int r = 0; r < 6; ++r)
                for (int c = 0; c < 6; ++c) {
                    if (level.start[r][c] != ch)
                        continue;
                    int tr = r + gr - sr, tc = c + gc - sc;
                    if (tr < 0 || tr > 5 || tc < 0 || tc > 5 || level.goal[tr][tc] != ch)
                        return false;
                }
        }
    return true;
}

constexpr bool allLevelsSound() {
    for (const auto& level : catalogue)
        if (level.name.empty() || level.par <= 0 || !rowsWellFormed(level.start) ||
            !rowsWellFormed(level.goal) || !startHasNoWildcard(level) || !wallsAgree(level) ||
            !piecesAgree(level))
            return false;
    return true;
}

static_assert(allLevelsSound(), "a built-in level breaks the layout rules");

} // namespace catalogue_checks

} // namespace nudgeboard
