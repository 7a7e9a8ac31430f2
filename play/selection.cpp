// Piece selection: a click on a piece marks every cell of it.
#include "app/form1.h"

namespace nudgeboard {

void Form1::Grid_Click(int index) {
    if (index < 0 || index >= playCells)
        return; // the goal board, or no cell at all
    Rgb color = Grid(index).backColor.value_or(emptyColor);
    if (color == wallColor || color == emptyColor)
        return; // the current selection stays
    for (int row = 0; row <= 5; ++row)
        for (int column = 0; column <= 5; ++column)
            Grid(cellIndex(row, column)).borderStyle = 0;
    bordercheck(index);
}

// Marks cell p and, depth-first, every unmarked cell of its colour connected to it.
// A piece has at most 36 cells, so the recursion stays shallow.
void Form1::bordercheck(int p) {
    Grid(p).borderStyle = 1;
    int row = rowOf(p);
    int column = columnOf(p);
    auto joins = [&](int q) {
        return Grid(q).backColor == Grid(p).backColor && Grid(q).borderStyle == 0;
    };
    if (column < 5 && joins(p + 1))
        bordercheck(p + 1);
    if (column > 0 && joins(p - 1))
        bordercheck(p - 1);
    if (row < 5 && joins(p + boardSide))
        bordercheck(p + boardSide);
    if (row > 0 && joins(p - boardSide))
        bordercheck(p - boardSide);
}

} // namespace nudgeboard
