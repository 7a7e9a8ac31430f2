// The goal check: does the play board show the goal pattern?
#include "app/form1.h"

namespace nudgeboard {

void Form1::wincheck() {
    int count = 0;
    for (int i = 0; i < playCells; ++i) {
        const Label& goal = Grid(goalOffset + i);
        // A wildcard square accepts anything; its caption is read only when colours differ.
        if (Grid(i).backColor == goal.backColor || goal.caption == wildcardCaption)
            ++count;
    }
    if (count != playCells)
        return;
    solved = flagTrue;
    Nameof.caption = solvedCaption;
    int par = levelPar(curLevel);
    numMoves.caption = counterText(moveCount, par);
    if (moveCount < par)
        numMoves.backColor = underParCyan;
    else if (moveCount == par)
        numMoves.backColor = atParGreen;
    else
        numMoves.backColor = overParRed;
}

} // namespace nudgeboard
