// Input the game ignores: each case leaves every cell, mark, count and text as it was.
#include "board.h"
#include "invariants.h"

#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

// Level 3 after one move, with piece "B" selected.
Form1 midGame() {
    Form1 form;
    form.Show();
    form.mnuL_Click(3);
    form.Grid_Click(28); // "B" at row 4, column 4
    form.Form_KeyUp(vkLeft, 0);
    form.Grid_Click(27);
    return form;
}

} // namespace

TEST(BadInput, ClicksOnWallsEmptySquaresAndTheGoalBoard) {
    Form1 form = midGame();
    ASSERT_EQ(form.moveCount, 1);
    const Snapshot before(form);
    std::vector<int> ignored;
    for (int i = 0; i < 36; ++i)
        if (form.Grid(i).backColor == wallColor || form.Grid(i).backColor == emptyColor)
            ignored.push_back(i);
    for (int i = 36; i < 72; ++i)
        ignored.push_back(i);
    for (int i : {-1, 72, 32767, -32768})
        ignored.push_back(i);
    for (int index : ignored) {
        form.Grid_Click(index);
        ASSERT_TRUE(Snapshot(form) == before) << "click on " << index;
    }
}

TEST(BadInput, KeysOtherThanTheArrows) {
    Form1 form = midGame();
    const Snapshot before(form);
    for (int key = -300; key < 300; ++key) {
        if (key >= vkLeft && key <= vkDown)
            continue;
        for (int shift = 0; shift < 8; ++shift) {
            form.Form_KeyUp(key, shift);
            ASSERT_TRUE(Snapshot(form) == before) << "key " << key << " shift " << shift;
        }
    }
    EXPECT_EQ(form.solved, 0);
}

TEST(BadInput, KeysAfterTheGoal) {
    Form1 form;
    form.Show();
    paint(form, {"######", "#012##", "#345##", "#67*##", "######", "######"}, 0);
    form.Grid_Click(19); // "6", under "4": the arrow is blocked
    form.Form_KeyUp(vkUp, 0);
    ASSERT_EQ(form.solved, -1); // yet the goal check runs and finds the goal
    const Snapshot before(form);
    for (int key = 0; key < 256; ++key)
        for (int shift : {0, 1, 7}) {
            form.Form_KeyUp(key, shift);
            ASSERT_TRUE(Snapshot(form) == before) << "key " << key;
        }
    EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
}

// An unknown layout character keeps the colour and the selection mark; only the caption goes.
TEST(BadInput, UnknownLayoutCharacters) {
    Form1 form = midGame();
    for (int byte = 0; byte < 256; ++byte) {
        char c = static_cast<char>(byte);
        if (colorOf(c) != -2)
            continue;
        std::string ch(1, c);
        for (int cell : {27, 44}) { // a selected piece cell and a wildcard
            Rgb color = *form.Grid(cell).backColor;
            int mark = form.Grid(cell).borderStyle;
            form.loadgridcolor(ch, cell);
            ASSERT_EQ(form.Grid(cell).backColor, color) << "character " << byte;
            ASSERT_EQ(form.Grid(cell).borderStyle, mark);
            ASSERT_EQ(form.Grid(cell).caption, "");
            form.Grid(cell).caption = cell == 44 ? "?" : "";
        }
    }
}

// Menu commands in quick succession each restart in full; the last one decides the level.
TEST(BadInput, RepeatedMenuCommands) {
    Form1 form = midGame();
    for (int n = 0; n < 200; ++n) {
        if (n % 3 == 0)
            form.mnuReset_Click();
        else
            form.mnuL_Click(1 + n % 8);
        form.Grid_Click(n % 36);
    }
    form.mnuL_Click(6);
    form.mnuL_Click(6);
    form.mnuReset_Click();
    Form1 fresh;
    fresh.Show();
    fresh.mnuL_Click(6);
    Snapshot now(form), expected(fresh);
    now.loads = expected.loads = 0;
    EXPECT_TRUE(now == expected);
    EXPECT_EQ(form.Grid.count(), 72);
}
