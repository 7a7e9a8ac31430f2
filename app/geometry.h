// The two boards' geometry: cell indices, and where each cell stands in the client area.
#pragma once

namespace nudgeboard {

// Cells 0..35 are the play board, 36..71 the goal board. Within a board, index = 6 * row +
// column, row 0 at the top, column 0 at the left; the goal square of play cell i is i + 36.
constexpr int boardSide = 6;
constexpr int playCells = boardSide * boardSide;
constexpr int goalOffset = playCells;
constexpr int cellCount = 2 * playCells;

constexpr int cellIndex(int row, int column) {
    return boardSide * row + column;
}
constexpr int rowOf(int index) {
    return index % playCells / boardSide;
}
constexpr int columnOf(int index) {
    return index % boardSide;
}
constexpr bool onBoard(int row, int column) {
    return row >= 0 && row < boardSide && column >= 0 && column < boardSide;
}

// Pixels at 96 dots per inch. The pitch is one less than the cell, so neighbours share a pixel
// line; a board is as wide as its outline, and the goal board starts on the play board's last
// pixel column.
constexpr int cellSize = 25;
constexpr int cellPitch = cellSize - 1;
constexpr int boardPixels = boardSide * cellPitch + 1;
constexpr int goalBoardLeft = boardSide * cellPitch;

constexpr int cellLeft(int index) {
    return (index >= goalOffset ? goalBoardLeft : 0) + cellPitch * columnOf(index);
}
constexpr int cellTop(int index) {
    return cellPitch * rowOf(index);
}

static_assert(boardPixels == 145 && cellLeft(71) + cellSize == 289 && cellTop(71) == 120);

// Under the boards: a gap, the level name, a gap, the counter and a margin, each label as wide
// as both boards. The client area's last pixel column stays free.
constexpr int labelGap = 7;
constexpr int labelHeight = 25;
constexpr int labelWidth = goalBoardLeft + boardPixels;
constexpr int nameofTop = boardPixels + labelGap;
constexpr int numMovesTop = nameofTop + labelHeight + labelGap;
constexpr int clientWidth = labelWidth + 1;
constexpr int clientHeight = numMovesTop + labelHeight + 5;

static_assert(nameofTop == 152 && numMovesTop == 184 && clientWidth == 290 && clientHeight == 214);

} // namespace nudgeboard
