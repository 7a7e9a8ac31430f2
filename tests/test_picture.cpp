// The boards' picture: which cell every device pixel of both boards shows and hits, at several
// display scales, with and without a selection; the three front ends draw and hit-test by it.
#include "app/picture.h"
#include "board.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

// The cells that cover device column x (or row y): a board's cell c covers its pitch c and the
// first pixel of pitch c + 1, so a pixel on a pitch boundary belongs to two neighbours, and the
// boundary between the boards to cell 5 of the play board and cell 0 of the goal board.
std::vector<int> linesAt(int x, int dpi) {
    int pitch = roundedScale(cellPitch, dpi);
    std::vector<int> lines; // 0..11 across both boards, 0..5 down
    for (int line = 0; line < 2 * boardSide; ++line) {
        int start = pitch * (line % boardSide) + (line / boardSide) * boardSide * pitch;
        if (start <= x && x <= start + pitch)
            lines.push_back(line);
    }
    return lines;
}

int cellOf(int column, int row) {
    return column / boardSide * playCells + cellIndex(row, column % boardSide);
}

} // namespace

TEST(BoardPicture, EveryPixelHitsTheCellDrawnOnTop) {
    Form1 form;
    form.curLevel = 8;
    form.Show();
    for (bool selected : {false, true}) {
        if (selected)
            form.Grid_Click(14); // "N", two cells in a column: marks on shared lines
        std::vector<int> marked = markedCells(form);
        auto isMarked = [&](int k) {
            return std::find(marked.begin(), marked.end(), k) != marked.end();
        };
        for (int dpi : {96, 120, 144, 192}) {
            SCOPED_TRACE(::testing::Message() << "dpi " << dpi << (selected ? ", N marked" : ""));
            BoardPicture picture = boardPicture(form, dpi);
            ASSERT_EQ(picture.count, std::size_t{cellCount});
            EXPECT_EQ(picture.line, deviceLine(dpi));
            DeviceRect play = deviceRect(0, 0, boardPixels, boardPixels, dpi);
            DeviceRect goal = deviceRect(goalBoardLeft, 0, boardPixels, boardPixels, dpi);
            EXPECT_EQ(picture.outlines[0], play);
            EXPECT_EQ(picture.outlines[1], goal);
            for (int y = -1; y <= play.bottom; ++y)
                for (int x = -1; x <= goal.right; ++x) {
                    // Where cells overlap, a marked cell is on top, then the higher index.
                    int expected = -1;
                    for (int row : linesAt(y, dpi))
                        for (int column : linesAt(x, dpi)) {
                            if (row >= boardSide)
                                continue;
                            int k = cellOf(column, row);
                            if (expected < 0 || isMarked(k) > isMarked(expected) ||
                                (isMarked(k) == isMarked(expected) && k > expected))
                                expected = k;
                        }
                    ASSERT_EQ(cellAt(picture, x, y), expected) << "at " << x << ", " << y;
                }
        }
    }
}

// Each cell as the core holds it: its colour, its mark, the goal board's "?" captions.
TEST(BoardPicture, CellsCarryTheirLook) {
    Form1 form;
    form.curLevel = 2;
    form.Show();
    form.Grid_Click(2); // "1", three cells
    BoardPicture picture = boardPicture(form, 96);
    for (const PaintedCell& c : picture.cells()) {
        SCOPED_TRACE(c.index);
        const Label& cell = form.Grid(c.index);
        EXPECT_EQ(c.fill, cell.backColor.value());
        EXPECT_EQ(c.marked, cell.borderStyle == 1);
        EXPECT_EQ(c.caption, cell.caption);
        // At the design's own scale a device pixel is a design pixel.
        EXPECT_EQ(c.rect, (DeviceRect{cell.left, cell.top, cell.left + 25, cell.top + 25}));
    }
    EXPECT_EQ(markedCells(form), (std::vector<int>{2, 7, 8}));
    // Painted bottom first, in the layers the page stacks its cells by: marked cells last.
    for (std::size_t i = 1; i < picture.count; ++i)
        EXPECT_LT(paintLayer(picture.painted[i - 1].index, picture.painted[i - 1].marked),
                  paintLayer(picture.painted[i].index, picture.painted[i].marked));
    EXPECT_EQ(picture.cells().back().index, 8);
    EXPECT_TRUE(picture.painted[picture.count - 3].marked);
    // A cell that is not shown is neither drawn nor hit.
    form.Grid(0).visible = false;
    EXPECT_EQ(boardPicture(form, 96).count, std::size_t{cellCount - 1});
    EXPECT_EQ(cellAt(boardPicture(form, 96), 5, 5), -1);
}
