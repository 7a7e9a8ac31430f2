// The move check: may the selected piece slide one cell by the given offset?
#include "app/form1.h"

namespace nudgeboard {

void Form1::checkmove(int offset) {
    if (!isArrowOffset(offset)) {
        blocked = 1; // no such direction
        return;
    }
    for (int i = 0; i < playCells; ++i) {
        if (Grid(i).borderStyle != 1)
            continue;
        // A cell on the edge it moves toward has no neighbour to step into.
        int step = neighbour(i, offset);
        if (step < 0) {
            blocked = 1;
            continue;
        }
        const Label& next = Grid(step);
        // Only an empty square or a cell of the selected piece itself lets it through: a
        // separate piece of the same colour blocks, or the move would swallow its cell.
        bool ownCell = next.borderStyle == 1 && next.backColor == Grid(i).backColor;
        if (next.backColor != emptyColor && !ownCell)
            blocked = 1;
    }
}

} // namespace nudgeboard
