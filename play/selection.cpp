// Piece selection: a click on a piece marks every cell of it.
#include "app/form1.h"

namespace nudgeboard {

void Form1::Grid_Click(int index) {
    if (index < 0 || index >= playCells)
        return; // the goal board, or no cell at all
    Rgb color = Grid(index).backColor.value_or(emptyColor);
    if (color == wallColor || color == emptyColor)
        return; // the current selection stays
    for (int i = 0; i < playCells; ++i)
        Grid(i).borderStyle = 0;
    bordercheck(index);
}

// Marks cell p and, depth-first, every unmarked cell of its colour connected to it.
// A piece has at most 36 cells, so the recursion stays shallow.
void Form1::bordercheck(int p) {
    Grid(p).borderStyle = 1;
    for (const Arrow& arrow : arrows) {
        int q = neighbour(p, arrow.offset);
        if (q >= 0 && Grid(q).backColor == Grid(p).backColor && Grid(q).borderStyle == 0)
            bordercheck(q);
    }
}

} // namespace nudgeboard
