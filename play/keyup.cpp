// Keyboard moves: an arrow key's release slides the selected piece and counts the move.
#include "app/form1.h"

namespace nudgeboard {

namespace {

// How an arrow key scans the board: from next to the edge the piece moves toward, so every
// cell's neighbour is visited before the cell itself. In the order of `arrows`.
struct Scan {
    int firstRow, lastRow, rowStep;
    int firstColumn, lastColumn, columnStep;
};

constexpr Scan scans[] = {
    {0, 5, 1, 1, 5, 1},  // Left
    {1, 5, 1, 0, 5, 1},  // Up
    {0, 5, 1, 4, 0, -1}, // Right
    {4, 0, -1, 0, 5, 1}, // Down
};

// A number as text with a blank before it when it is not negative.
std::string numberText(int n) {
    return (n >= 0 ? " " : "") + std::to_string(n);
}

} // namespace

std::string counterText(int moveCount, int par) {
    return "Moves:" + numberText(moveCount) + " (" + numberText(par).substr(1) + ")";
}

Rgb Form1::toNum(int row, int column) const {
    return Grid(cellIndex(row, column)).backColor.value_or(emptyColor);
}

void Form1::Form_KeyUp(int keyCode, int /*shift: modifiers make no difference*/) {
    if (solved != 0)
        return;
    if (!isArrow(keyCode))
        return; // no move and no goal check
    const int offset = arrows[static_cast<std::size_t>(keyCode - vkLeft)].offset;
    const Scan* d = &scans[keyCode - vkLeft];
    blocked = 0;
    checkmove(offset);
    if (blocked == 0) {
        for (int row = d->firstRow; row != d->lastRow + d->rowStep; row += d->rowStep) {
            for (int column = d->firstColumn; column != d->lastColumn + d->columnStep;
                 column += d->columnStep) {
                int i = cellIndex(row, column);
                if (Grid(i).borderStyle != 1)
                    continue;
                Rgb c = toNum(row, column);
                // Sliding the piece that moved last counts no new move.
                if (c != lastColor) {
                    ++moveCount;
                    numMoves.caption = counterText(moveCount, levelPar(curLevel));
                    lastColor = c;
                }
                Label& next = Grid(i + offset);
                next.backColor = Grid(i).backColor;
                next.borderStyle = 1;
                Grid(i).borderStyle = 0;
                Grid(i).backColor = emptyColor;
            }
        }
    }
    wincheck();
}

} // namespace nudgeboard
