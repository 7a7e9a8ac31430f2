// Keyboard moves: an arrow key's release slides the selected piece and counts the move.
#include "app/form1.h"

namespace nudgeboard {

namespace {

// How an arrow key moves: the offset to the neighbour, and the scan that starts next to the
// edge the piece moves toward, so every cell's neighbour is visited before the cell itself.
struct Direction {
    int keyCode;
    int offset;
    int firstRow, lastRow, rowStep;
    int firstColumn, lastColumn, columnStep;
};

constexpr Direction directions[] = {
    {vkLeft, -1, 0, 5, 1, 1, 5, 1},
    {vkUp, -6, 1, 5, 1, 0, 5, 1},
    {vkRight, 1, 0, 5, 1, 4, 0, -1},
    {vkDown, 6, 4, 0, -1, 0, 5, 1},
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
    return Grid(6 * row + column).backColor.value_or(emptyColor);
}

void Form1::Form_KeyUp(int keyCode, int /*shift: modifiers make no difference*/) {
    if (solved != 0)
        return;
    const Direction* d = nullptr;
    for (const auto& candidate : directions)
        if (candidate.keyCode == keyCode)
            d = &candidate;
    if (d == nullptr)
        return; // not an arrow key: no move and no goal check
    blocked = 0;
    checkmove(d->offset);
    if (blocked == 0) {
        for (int row = d->firstRow; row != d->lastRow + d->rowStep; row += d->rowStep) {
            for (int column = d->firstColumn; column != d->lastColumn + d->columnStep;
                 column += d->columnStep) {
                int i = 6 * row + column;
                if (Grid(i).borderStyle != 1)
                    continue;
                Rgb c = toNum(row, column);
                // Sliding the piece that moved last counts no new move.
                if (c != lastColor) {
                    ++moveCount;
                    numMoves.caption = counterText(moveCount, levelPar(curLevel));
                    lastColor = c;
                }
                Label& next = Grid(i + d->offset);
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
