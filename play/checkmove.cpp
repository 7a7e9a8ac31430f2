// The move check: may the selected piece slide one cell by the given offset?
#include "app/form1.h"

namespace nudgeboard {

void Form1::checkmove(int offset) {
    if (offset != -1 && offset != 1 && offset != -6 && offset != 6) {
        blocked = 1; // no such direction
        return;
    }
    for (int row = 0; row <= 5; ++row) {
        for (int column = 0; column <= 5; ++column) {
            int i = cellIndex(row, column);
            if (Grid(i).borderStyle != 1)
                continue;
            // A cell on the edge it moves toward has no neighbour to step into.
            if ((offset == -1 && column == 0) || (offset == 1 && column == 5) ||
                (offset == -6 && row == 0) || (offset == 6 && row == 5)) {
                blocked = 1;
                continue;
            }
            const Label& next = Grid(i + offset);
            // Only an empty square or a cell of the selected piece itself lets it through: a
            // separate piece of the same colour blocks, or the move would swallow its cell.
            bool ownCell = next.borderStyle == 1 && next.backColor == Grid(i).backColor;
            if (next.backColor != emptyColor && !ownCell)
                blocked = 1;
        }
    }
}

} // namespace nudgeboard
