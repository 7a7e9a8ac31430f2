// The window: start-up, where cells stand, and restarting through the two menu commands.
#include "board.h"

#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

TEST(StartUp, FirstLoadShowsLevelOne) {
    Form1 form;
    EXPECT_EQ(form.curLevel, 0);
    EXPECT_FALSE(form.loaded());
    form.blocked = 1;
    form.Show();
    EXPECT_EQ(form.curLevel, 1);
    EXPECT_EQ(form.levelCount, levelCountBuiltIn);
    EXPECT_EQ(form.moveCount, 0);
    EXPECT_EQ(form.lastColor, -1);
    EXPECT_EQ(form.solved, 0);
    EXPECT_EQ(form.blocked, 1); // start-up leaves it alone
    EXPECT_EQ(form.Nameof.caption, "9 Puzzle");
    EXPECT_EQ(form.numMoves.caption, "Moves: 0 (38)");
    EXPECT_TRUE(markedCells(form).empty());
    // Nothing selected: an arrow key moves nothing.
    auto before = playRows(form);
    form.Form_KeyUp(vkUp, 0);
    EXPECT_EQ(playRows(form), before);
    EXPECT_EQ(form.moveCount, 0);
}

TEST(StartUp, LevelGuard) {
    for (int level : {9, 100, -3}) {
        Form1 form;
        form.curLevel = level;
        form.Show();
        EXPECT_EQ(form.curLevel, 1) << level;
        EXPECT_EQ(form.Nameof.caption, "9 Puzzle");
    }
}

// Every cell stands on the 24-pixel pitch, 25 pixels wide, so neighbours share a line.
TEST(Layout, CellsAndControls) {
    Form1 form;
    form.Show();
    EXPECT_EQ(form.Grid.count(), 72);
    struct Case {
        int cell, left, top;
    };
    for (const auto& c : {Case{0, 0, 0}, Case{5, 120, 0}, Case{36, 144, 0}, Case{41, 264, 0},
                          Case{30, 0, 120}, Case{71, 264, 120}, Case{35, 120, 120}}) {
        SCOPED_TRACE(c.cell);
        EXPECT_EQ(form.Grid(c.cell).left, c.left);
        EXPECT_EQ(form.Grid(c.cell).top, c.top);
    }
    for (int i = 0; i < 72; ++i) {
        const Label& cell = form.Grid(i);
        // A cell starts on the last pixel line of the cell before it in the row (for the goal
        // board's first, the play board's last) and of the cell above it.
        if (i % 6 > 0 || i >= 36) {
            const Label& before = form.Grid(i % 6 > 0 ? i - 1 : i - 31);
            EXPECT_EQ(std::pair(cell.left, cell.top), std::pair(before.left + 24, before.top)) << i;
        }
        if (i % 36 >= 6) {
            const Label& above = form.Grid(i - 6);
            EXPECT_EQ(std::pair(cell.left, cell.top), std::pair(above.left, above.top + 24)) << i;
        }
        EXPECT_EQ(cell.width, 25);
        EXPECT_EQ(cell.height, 25);
        EXPECT_TRUE(cell.visible);
        EXPECT_EQ(cell.foreColor, rgb(255, 255, 255));
        EXPECT_EQ(cell.font.family, "MS Sans Serif");
        EXPECT_EQ(cell.font.points, 18);
        EXPECT_EQ(cell.font.weight, 400);
    }
    // Cell 71 ends at x 288, y 144: the last pixel column of the client area stays free.
    EXPECT_EQ(form.Grid(71).left + form.Grid(71).width - 1, 288);
    EXPECT_EQ(form.Grid(71).top + form.Grid(71).height - 1, 144);
    EXPECT_EQ(form.Frame[0].left, 0);
    EXPECT_EQ(form.Frame[1].left, 144);
    EXPECT_EQ(form.Frame[1].width, 145);
    EXPECT_EQ(form.Nameof.top, 152);
    EXPECT_EQ(form.numMoves.top, 184);
    EXPECT_EQ(form.numMoves.width, 289);
    EXPECT_EQ(form.Nameof.font.family, "Times New Roman");
    EXPECT_EQ(form.Nameof.font.weight, 700);
    EXPECT_FALSE(form.Nameof.backColor.has_value());
}

// New cells are copies of cell 0 that start hidden, until loadshapes places and shows them.
TEST(Layout, CreatedCellsCopyTheTemplate) {
    CellArray grid;
    Label design;
    design.left = 3;
    design.backColor = rgb(255, 0, 0);
    design.caption = "x";
    grid.create(0, design);
    grid.load(9);
    EXPECT_EQ(grid.count(), 2);
    EXPECT_EQ(grid(9).left, 3);
    EXPECT_EQ(grid(9).caption, "x");
    EXPECT_FALSE(grid(9).visible);
    EXPECT_TRUE(grid(0).visible);
    EXPECT_FALSE(grid.exists(8));
    EXPECT_FALSE(grid.exists(72));
    EXPECT_THROW(grid(8), std::bad_optional_access);
}

// A restart rebuilds the window from nothing; only curLevel (and blocked) carry over.
TEST(Restart, MenuCommandsStartTheLevelAfresh) {
    Form1 form;
    form.Show();
    form.mnuL_Click(5);
    EXPECT_EQ(form.curLevel, 5);
    EXPECT_EQ(form.Nameof.caption, "Small Puzzle #1");
    auto start = playRows(form);
    int loads = form.loads();

    form.Grid_Click(10); // "7", right of an empty square
    form.Form_KeyUp(vkLeft, 0);
    EXPECT_NE(playRows(form), start);
    EXPECT_EQ(form.moveCount, 1);

    form.mnuReset_Click();
    EXPECT_EQ(form.loads(), loads + 1);
    EXPECT_EQ(form.curLevel, 5);
    EXPECT_EQ(playRows(form), start);
    EXPECT_EQ(form.moveCount, 0);
    EXPECT_EQ(form.lastColor, -1);
    EXPECT_EQ(form.numMoves.caption, "Moves: 0 (24)");
    EXPECT_TRUE(markedCells(form).empty());
    EXPECT_EQ(form.Grid.count(), 72);

    // Choosing the level being played is the same as Reset.
    Form1 other;
    other.Show();
    other.mnuL_Click(5);
    other.mnuL_Click(5);
    EXPECT_EQ(playRows(other), start);
    EXPECT_EQ(other.Nameof.caption, form.Nameof.caption);
}

TEST(Restart, LeavesTheSolvedState) {
    Form1 form;
    form.Show();
    // Paint the goal onto the play board, then any arrow key solves it.
    paint(form, {"######", "#012##", "#345##", "#67*##", "######", "######"}, 0);
    form.moveCount = 40;
    form.Form_KeyUp(vkDown, 0);
    ASSERT_EQ(form.solved, -1);
    EXPECT_EQ(form.numMoves.backColor, overParRed);
    form.mnuReset_Click();
    EXPECT_EQ(form.solved, 0);
    EXPECT_EQ(form.Nameof.caption, "9 Puzzle");
    EXPECT_FALSE(form.numMoves.backColor.has_value());
    EXPECT_EQ(form.Grid(0).backColor, wallColor);
    form.Grid_Click(20); // "1", left of the empty square: playable again
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(form.moveCount, 1);
    EXPECT_EQ(form.numMoves.caption, "Moves: 1 (38)");
}

// Solving level 1 through the handlers alone, as a player would.
TEST(Play, LevelOneFromStartToSolved) {
    Form1 form;
    form.Show();
    for (auto [cell, key] : levelOneSolution) {
        ASSERT_EQ(form.solved, 0);
        Rgb piece = form.Grid(cell).backColor.value();
        form.Grid_Click(cell);
        form.Form_KeyUp(key, 0);
        ASSERT_NE(form.Grid(cell).backColor, piece) << "cell " << cell << " did not move";
    }
    EXPECT_EQ(form.solved, -1);
    EXPECT_EQ(form.moveCount, 20);
    EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
    EXPECT_EQ(form.numMoves.caption, "Moves: 20 (38)");
    EXPECT_EQ(form.numMoves.backColor, underParCyan);
}

// Every built-in level's solution, replayed from the level's start through the handlers: each step
// slides the clicked piece, the counter moves on only when another piece slides, and the last step
// alone shows the goal.
TEST(Play, EveryLevelsSolutionReachesTheGoal) {
    ASSERT_EQ(solutions.size(), static_cast<std::size_t>(levelCountBuiltIn));
    Form1 form;
    form.Show();
    for (const Solution& solution : solutions) {
        SCOPED_TRACE("level " + std::to_string(solution.level));
        ASSERT_EQ(solution.level, &solution - solutions.data() + 1);
        form.mnuL_Click(solution.level);
        ASSERT_EQ(form.moveCount, 0);
        int moves = 0;
        int movedTo = -1; // where the last slide took the cell clicked before it
        for (auto [cell, key] : solution.steps) {
            SCOPED_TRACE("cell " + std::to_string(cell));
            ASSERT_EQ(form.solved, 0);
            form.Grid_Click(cell);
            ASSERT_EQ(form.Grid(cell).borderStyle, 1) << "no piece there";
            form.Form_KeyUp(key, 0);
            ASSERT_EQ(form.blocked, 0);
            moves += cell == movedTo ? 0 : 1;
            ASSERT_EQ(form.moveCount, moves);
            movedTo = cell + arrows[static_cast<std::size_t>(key - vkLeft)].offset;
        }
        EXPECT_EQ(form.solved, -1);
        EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
        EXPECT_EQ(form.moveCount, solution.moves);
        EXPECT_EQ(form.numMoves.caption,
                  counterText(solution.moves, Form1::levelPar(solution.level)));
    }
}
