// Test helpers: a loaded window with boards painted from layout rows written in the test.
#pragma once

#include "app/form1.h"
#include "levels/palette.h"
#include "solutions.h" // solutions, levelOneSolution, from solutions.txt

#include <array>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nudgeboard::testing {

using Rows = std::array<std::string_view, boardSide>;

// Paints one board (play or goal) through the game's own painting.
inline void paint(Form1& form, const Rows& rows, int firstCell) {
    for (int r = 0; r < boardSide; ++r)
        for (int c = 0; c < boardSide; ++c)
            form.loadgridcolor(rows[r].substr(c, 1), firstCell + cellIndex(r, c));
}

// A loaded window whose play board shows `play` and goal board `goal` (all wildcards if empty).
inline Form1 boardWith(const Rows& play, const Rows& goal = {"??????", "??????", "??????", "??????",
                                                             "??????", "??????"}) {
    Form1 form;
    form.Show();
    paint(form, play, 0);
    paint(form, goal, goalOffset);
    return form;
}

inline Rgb colorOf(char c) {
    for (const auto& entry : palette)
        if (entry.character.size() == 1 && entry.character[0] == c)
            return entry.color;
    return -2; // not a layout character
}

// A board as layout rows, with "?" for a wildcard and "." for any colour the palette lacks.
inline std::vector<std::string> rowsOf(const Form1& form, int firstCell) {
    std::vector<std::string> rows(boardSide, std::string(boardSide, '.'));
    for (int i = 0; i < playCells; ++i) {
        const Label& cell = form.Grid(firstCell + i);
        for (const auto& entry : palette)
            if (entry.character != "?" && cell.backColor == entry.color) {
                rows[rowOf(i)][columnOf(i)] = entry.character[0];
                break;
            }
        if (cell.caption == "?")
            rows[rowOf(i)][columnOf(i)] = '?';
    }
    return rows;
}

inline std::vector<std::string> playRows(const Form1& form) {
    return rowsOf(form, 0);
}
inline std::vector<std::string> goalRows(const Form1& form) {
    return rowsOf(form, goalOffset);
}

inline std::vector<int> markedCells(const Form1& form) {
    std::vector<int> marked;
    for (int i = 0; i < CellArray::size; ++i)
        if (form.Grid(i).borderStyle != 0)
            marked.push_back(i);
    return marked;
}

} // namespace nudgeboard::testing
