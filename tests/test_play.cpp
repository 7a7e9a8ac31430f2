// Play: selecting pieces, the move check, moves and their counting, and the goal check.
#include "board.h"

#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

const Rows noWalls{"******", "******", "******", "******", "******", "******"};
const Rows allWalls{"######", "######", "######", "######", "######", "######"}; // never reached

std::vector<int> cells(std::initializer_list<int> list) {
    return list;
}

bool blockedFor(Form1& form, int offset) {
    form.blocked = 0;
    form.checkmove(offset);
    return form.blocked != 0;
}

} // namespace

// A click marks the whole piece: same colour, edge-connected, never across a row's end.
TEST(Selection, MarksExactlyTheConnectedPiece) {
    Form1 form = boardWith({"1*1*22", "1*1**2", "11*3*2", "*33**2", "4***5*", "4*55*5"},
                           {"?????5", "??????", "??????", "??????", "??????", "??????"});
    form.Grid_Click(0);
    EXPECT_EQ(markedCells(form), cells({0, 6, 12, 13}));
    form.Grid_Click(2); // same colour, separate group: a piece of its own
    EXPECT_EQ(markedCells(form), cells({2, 8}));
    form.Grid_Click(5);
    EXPECT_EQ(markedCells(form), cells({4, 5, 11, 17, 23}));
    form.Grid_Click(15); // "3" groups touching only at a corner are two pieces
    EXPECT_EQ(markedCells(form), cells({15}));
    form.Grid_Click(20);
    EXPECT_EQ(markedCells(form), cells({19, 20}));
    form.Grid_Click(20); // clicking the selected piece again selects it again
    EXPECT_EQ(markedCells(form), cells({19, 20}));
    // Cell 35 has nothing below it: the fill never reaches goal cell 41 of the same colour.
    form.Grid_Click(35);
    EXPECT_EQ(markedCells(form), cells({35}));
    form.Grid_Click(33);
    EXPECT_EQ(markedCells(form), cells({32, 33}));
}

TEST(Selection, IgnoredClicksKeepTheSelection) {
    Form1 form = boardWith({"#1****", "******", "******", "******", "******", "******"},
                           {"#1?***", "******", "******", "******", "******", "******"});
    form.Grid_Click(1);
    for (int index : {0, 2, 36, 37, 38, 71, 72, -1, 1000}) {
        SCOPED_TRACE(index);
        form.Grid_Click(index);
        EXPECT_EQ(markedCells(form), cells({1}));
    }
    Form1 fresh = boardWith(noWalls);
    fresh.Grid_Click(40);
    EXPECT_TRUE(markedCells(fresh).empty());
}

TEST(Selection, WholeRowAndWindingPieces) {
    Form1 form = boardWith({"777777", "#####7", "*7777*", "*7##**", "*7777*", "######"});
    form.Grid_Click(3);
    EXPECT_EQ(markedCells(form), cells({0, 1, 2, 3, 4, 5, 11}));
    form.Grid_Click(26);
    EXPECT_EQ(markedCells(form), cells({13, 14, 15, 16, 19, 25, 26, 27, 28}));
}

// The edges, walls and other pieces block; empty squares and the piece's own cells do not.
TEST(MoveCheck, EdgesWallsAndNeighbours) {
    Form1 form = boardWith({"1*****", "******", "**333*", "***#**", "*****2", "****22"});
    EXPECT_FALSE(blockedFor(form, 1)); // nothing selected
    form.Grid_Click(0);
    EXPECT_TRUE(blockedFor(form, -1)); // column 0: cell "-1" would be off the board
    EXPECT_TRUE(blockedFor(form, -6));
    EXPECT_FALSE(blockedFor(form, 1));
    EXPECT_FALSE(blockedFor(form, 6));
    form.Grid_Click(14); // a bar of three: its own cells never block it
    EXPECT_FALSE(blockedFor(form, 1));
    EXPECT_FALSE(blockedFor(form, -1));
    EXPECT_TRUE(blockedFor(form, 6)); // the wall under its middle cell alone blocks
    EXPECT_FALSE(blockedFor(form, -6));
    form.Grid_Click(35);
    EXPECT_TRUE(blockedFor(form, 6)); // row 5: the goal board is never read
    EXPECT_TRUE(blockedFor(form, 1));
    EXPECT_FALSE(blockedFor(form, -6));
    form.blocked = 1; // it only ever sets the flag
    form.checkmove(-6);
    EXPECT_EQ(form.blocked, 1);
    EXPECT_TRUE(blockedFor(form, 5)); // no such direction
}

TEST(MoveCheck, RowEndsAreNotNeighbours) {
    // Cells 5 and 6 are no neighbours for selection...
    Form1 form = boardWith({"*****1", "1*****", "******", "******", "******", "******"});
    form.Grid_Click(5);
    EXPECT_EQ(markedCells(form), cells({5}));
    // ...nor for moves: an empty square across the row end does not let a piece through.
    form = boardWith({"******", "1*****", "******", "******", "******", "******"});
    form.Grid_Click(6);
    EXPECT_TRUE(blockedFor(form, -1));
    form = boardWith({"*****1", "******", "******", "******", "******", "******"});
    form.Grid_Click(5);
    EXPECT_TRUE(blockedFor(form, 1));
}

// Two separate pieces of one colour: the mover stops at the other one instead of swallowing
// a cell of it, so no move changes how many cells of a colour the board holds.
TEST(MoveCheck, SameColoredPieceBlocks) {
    Form1 form = boardWith({"1*1***", "******", "******", "******", "******", "******"}, allWalls);
    form.Grid_Click(0);
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(playRows(form)[0], "*11***");
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(playRows(form)[0], "*11***");
    // They now touch, so a new click selects them together, and together they move.
    form.Grid_Click(1);
    EXPECT_EQ(markedCells(form), cells({1, 2}));
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(playRows(form)[0], "**11**");
}

TEST(Moves, ScanOrderCarriesTheWholePieceAndItsMarks) {
    struct Case {
        int key;
        std::vector<int> marked;
        std::vector<int> emptied;
    };
    const Case cases[] = {
        {vkRight, {14, 15, 16}, {13}},
        {vkLeft, {12, 13, 14}, {15}},
        {vkUp, {7, 8, 9}, {13, 14, 15}},
        {vkDown, {19, 20, 21}, {13, 14, 15}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.key);
        Form1 form = boardWith({"******", "******", "*777**", "******", "******", "******"});
        form.Grid_Click(13);
        form.Form_KeyUp(c.key, 0);
        EXPECT_EQ(markedCells(form), c.marked);
        for (int i : c.marked)
            EXPECT_EQ(form.Grid(i).backColor, rgb(255, 255, 255));
        for (int i : c.emptied)
            EXPECT_EQ(form.Grid(i).backColor, emptyColor);
    }
}

TEST(Moves, CountingRule) {
    Form1 form = boardWith({"11****", "******", "***2**", "******", "******", "######"}, allWalls);
    EXPECT_EQ(form.lastColor, -1);
    form.Form_KeyUp(vkRight, 0); // nothing selected: nothing counts
    EXPECT_EQ(form.moveCount, 0);
    EXPECT_EQ(form.numMoves.caption, "Moves: 0 (38)");
    form.Grid_Click(0);
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(form.moveCount, 1);
    EXPECT_EQ(form.numMoves.caption, "Moves: 1 (38)");
    form.Form_KeyUp(vkRight, 0);
    form.Form_KeyUp(vkDown, 0);
    EXPECT_EQ(form.moveCount, 1); // the same piece again
    form.Grid_Click(15);
    form.Form_KeyUp(vkLeft, 0);
    EXPECT_EQ(form.moveCount, 2);
    form.Grid_Click(8);
    form.Form_KeyUp(vkUp, 0);
    EXPECT_EQ(form.moveCount, 3);
    EXPECT_EQ(form.numMoves.caption, "Moves: 3 (38)");
    // Selecting another piece without moving it, then the last one again: no new move.
    form.Grid_Click(14);
    form.Grid_Click(2);
    form.Form_KeyUp(vkRight, 0);
    EXPECT_EQ(form.moveCount, 3);
    // A blocked attempt counts nothing and leaves lastColor alone.
    form.Grid_Click(14);
    form.Form_KeyUp(vkLeft, 0);
    form.Form_KeyUp(vkLeft, 0);
    EXPECT_EQ(form.moveCount, 4);
    EXPECT_EQ(form.lastColor, rgb(0, 0, 255));
    form.Form_KeyUp(vkLeft, 0); // against the edge now
    EXPECT_EQ(form.moveCount, 4);
    EXPECT_EQ(form.lastColor, rgb(0, 0, 255));
    EXPECT_EQ(form.numMoves.caption, "Moves: 4 (38)");
}

TEST(Moves, OtherKeysAndModifiersAndCaptions) {
    Form1 form = boardWith({"4*****", "******", "******", "******", "******", "######"}, allWalls);
    form.Grid_Click(0);
    for (int key : {0, 36, 41, 13, 32, 65, -37, 100000})
        form.Form_KeyUp(key, 0);
    EXPECT_EQ(playRows(form)[0], "4*****");
    EXPECT_EQ(form.moveCount, 0);
    form.Form_KeyUp(vkRight, 1 | 2 | 4); // Shift, Ctrl and Alt held make no difference
    EXPECT_EQ(playRows(form)[0], "*4****");
    for (int i = 0; i < 36; ++i)
        EXPECT_EQ(form.Grid(i).caption, "") << i;
}

// A square matches by colour, or by a "?" caption on the goal square; walls and empty too.
TEST(GoalCheck, ColorsAndWildcards) {
    Form1 form = boardWith({"12****", "******", "******", "******", "******", "####**"},
                           {"?2????", "??????", "??????", "??????", "??????", "####*?"});
    form.wincheck();
    EXPECT_EQ(form.solved, -1);
    EXPECT_EQ(form.Nameof.caption, "SOLVED!!");

    // An empty goal square ("*") insists on empty; a wall must stay a wall.
    Form1 strict = boardWith({"12****", "******", "******", "******", "******", "####*3"},
                             {"?2????", "??????", "??????", "??????", "??????", "####3*"});
    strict.wincheck();
    EXPECT_EQ(strict.solved, 0);
    EXPECT_EQ(strict.Nameof.caption, "9 Puzzle");
    EXPECT_FALSE(strict.numMoves.backColor.has_value());

    // A caption that is merely similar is no wildcard.
    Form1 similar = boardWith({"1*****", "******", "******", "******", "******", "******"},
                              {"2*****", "******", "******", "******", "******", "******"});
    similar.Grid(36).caption = "??";
    similar.wincheck();
    EXPECT_EQ(similar.solved, 0);
}

TEST(GoalCheck, CounterColorAgainstPar) {
    struct Case {
        int moves;
        Rgb color;
        const char* caption;
    };
    // Level 1's par is 38; a count of four digits is written out whole.
    const Case cases[] = {{37, rgb(0, 255, 255), "Moves: 37 (38)"},
                          {0, rgb(0, 255, 255), "Moves: 0 (38)"},
                          {38, rgb(0, 255, 0), "Moves: 38 (38)"},
                          {39, rgb(255, 0, 0), "Moves: 39 (38)"},
                          {1000, rgb(255, 0, 0), "Moves: 1000 (38)"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.moves);
        Form1 form = boardWith(noWalls, noWalls);
        form.moveCount = c.moves;
        form.wincheck();
        EXPECT_EQ(form.numMoves.backColor, c.color);
        EXPECT_EQ(form.numMoves.caption, c.caption);
    }
}

// A board that already matches is solved by the first arrow key, moved or not; then keys stop.
TEST(GoalCheck, RunsAfterEveryArrowAndEndsPlay) {
    Form1 form = boardWith({"*5****", "******", "******", "******", "******", "******"},
                           {"?5????", "??????", "??????", "??????", "??????", "??????"});
    form.Form_KeyUp(65, 0); // not an arrow: no check
    EXPECT_EQ(form.solved, 0);
    form.Form_KeyUp(vkLeft, 0); // nothing selected, still checked
    EXPECT_EQ(form.solved, -1);
    EXPECT_EQ(form.numMoves.backColor, rgb(0, 255, 255));
    form.Grid_Click(1); // clicks still select
    EXPECT_EQ(markedCells(form), cells({1}));
    for (int key : {vkLeft, vkRight, vkDown, vkUp})
        form.Form_KeyUp(key, 0);
    EXPECT_EQ(playRows(form)[0], "*5****");
    EXPECT_EQ(form.moveCount, 0);
}
