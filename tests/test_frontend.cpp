// The rules every front end shares: which releases are strokes, what to redraw, device pixels.
#include "app/changes.h"
#include "app/scaling.h"
#include "app/strokes.h"
#include "board.h"

#include <gtest/gtest.h>

using namespace nudgeboard;

// A stroke is a press the window saw and its release; repeats of a held key, releases whose
// press went elsewhere and keys a menu walked are not strokes.
TEST(KeyStrokes, OnlyReleasesOfPressesSeenHereOutsideMenus) {
    KeyStrokes keys;
    EXPECT_FALSE(keys.released(vkRight, false)) << "press went to another window";
    keys.pressed(vkRight);
    keys.pressed(vkRight); // held: the server repeats the press only
    keys.pressed(vkRight);
    EXPECT_TRUE(keys.released(vkRight, false));
    EXPECT_FALSE(keys.released(vkRight, false)) << "one release per stroke";
    // Two strokes however fast: each press is followed by its own release.
    for (int stroke = 0; stroke < 2; ++stroke) {
        keys.pressed(vkLeft);
        EXPECT_TRUE(keys.released(vkLeft, false)) << stroke;
    }
    // Pressed here, released while a menu holds the keyboard: the menu's, and forgotten.
    keys.pressed(vkDown);
    EXPECT_FALSE(keys.released(vkDown, true));
    EXPECT_FALSE(keys.released(vkDown, false));
    // Two keys at once are two strokes; losing the keyboard forgets both.
    keys.pressed(vkUp);
    keys.pressed(vkLeft);
    EXPECT_TRUE(keys.released(vkLeft, false));
    keys.forgetAll();
    EXPECT_FALSE(keys.released(vkUp, false));
    // A menu closing keeps the keys still held, which were pressed here.
    keys.pressed(vkUp);
    keys.pressed(vkDown);
    keys.menuClosed([](int key) { return key == vkUp; });
    EXPECT_TRUE(keys.released(vkUp, false));
    EXPECT_FALSE(keys.released(vkDown, false));
    // Codes outside the table are no keys of ours.
    keys.pressed(-1);
    keys.pressed(KeyStrokes::keyCodes);
    EXPECT_FALSE(keys.released(-1, false));
    EXPECT_FALSE(keys.released(KeyStrokes::keyCodes, false));
}

// A front end redraws exactly what the last event changed, and everything after a new load.
TEST(ShownControls, ReportsExactlyWhatChanged) {
    Form1 form;
    form.Show();
    ShownControls shown;
    Changes first = shown.update(form);
    EXPECT_TRUE(first.newLoad);
    EXPECT_EQ(first.cells.count(), std::size_t{cellCount});
    EXPECT_TRUE(first.nameof && first.numMoves && first.frames);
    EXPECT_FALSE(shown.update(form).any()) << "nothing happened";

    form.Grid_Click(20); // "1" on level 1, a single square
    Changes click = shown.update(form);
    EXPECT_FALSE(click.newLoad);
    EXPECT_EQ(click.cells.count(), 1u);
    EXPECT_TRUE(click.cells.test(20));
    EXPECT_FALSE(click.numMoves);

    form.Form_KeyUp(vkRight, 0); // into the gap at 21: two cells and the counter
    Changes move = shown.update(form);
    EXPECT_EQ(move.cells.count(), 2u);
    EXPECT_TRUE(move.cells.test(20) && move.cells.test(21));
    EXPECT_TRUE(move.numMoves);
    EXPECT_FALSE(move.nameof);

    form.mnuReset_Click(); // new cells, even where they look as before
    Changes reset = shown.update(form);
    EXPECT_TRUE(reset.newLoad);
    EXPECT_EQ(reset.cells.count(), std::size_t{cellCount});

    shown.invalidate();
    EXPECT_EQ(shown.update(form).cells.count(), std::size_t{cellCount});
}

// At every scale: cells keep a pitch one device pixel less than their size, neighbours and the
// two boards share a pixel line, each board fills its outline, and lines are equally wide.
TEST(Scaling, EdgesOnWholePixelsAtEveryScale) {
    for (int dpi : {96, 120, 144, 168, 192, 240}) {
        SCOPED_TRACE(dpi);
        DeviceRect first = deviceRect(cellLeft(0), cellTop(0), cellSize, cellSize, dpi);
        for (int k = 0; k < cellCount; ++k) {
            DeviceRect cell = deviceRect(cellLeft(k), cellTop(k), cellSize, cellSize, dpi);
            EXPECT_EQ(cell.width(), first.width()) << k;
            EXPECT_EQ(cell.height(), first.height()) << k;
            if (columnOf(k) < boardSide - 1) {
                DeviceRect right =
                    deviceRect(cellLeft(k + 1), cellTop(k + 1), cellSize, cellSize, dpi);
                EXPECT_EQ(right.left, cell.right - 1) << k;
            }
        }
        DeviceRect play = deviceRect(0, 0, boardPixels, boardPixels, dpi);
        DeviceRect goal = deviceRect(goalBoardLeft, 0, boardPixels, boardPixels, dpi);
        DeviceRect lastPlay =
            deviceRect(cellLeft(playCells - 1), cellTop(playCells - 1), cellSize, cellSize, dpi);
        DeviceRect lastGoal =
            deviceRect(cellLeft(cellCount - 1), cellTop(cellCount - 1), cellSize, cellSize, dpi);
        EXPECT_EQ(play.right, lastPlay.right);
        EXPECT_EQ(play.bottom, lastPlay.bottom);
        EXPECT_EQ(goal.left, play.right - 1);
        EXPECT_EQ(goal.right, lastGoal.right);
        // The pitch, a cell's width less the line it shares, is the design's 24 pixels scaled:
        // a whole number of device pixels at each of these scales.
        EXPECT_EQ((first.width() - 1) * 96, 24 * dpi);
        EXPECT_LT(2 * deviceLine(dpi), first.width() / 2) << "a mark leaves the colour inside";
    }
    EXPECT_EQ(deviceRect(0, 152, 289, 25, 96), (DeviceRect{0, 152, 289, 177}));
}
