// Levels: the palette, painting a cell, and the catalogue as the boards show it.
#include "board.h"
#include "levels/catalogue.h"

#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

Form1 loadedAt(int level) {
    Form1 form;
    form.Show();
    form.mnuL_Click(level);
    return form;
}

} // namespace

// Every layout character paints its colour, written here as 0xRRGGBB and read back byte by byte
// as the front ends read a cell's colour (a Windows COLORREF: red in the low byte); only "?"
// leaves a caption.
TEST(Painting, EachCharacterPaintsItsColor) {
    const std::pair<std::string_view, int> colors[] = {
        {"0", 0xFF0000}, {"1", 0x00FF00}, {"2", 0x0000FF}, {"3", 0xFF00FF}, {"4", 0xFFFF00},
        {"5", 0x00FFFF}, {"6", 0xFF6600}, {"7", 0xFFFFFF}, {"8", 0x999999}, {"9", 0xFF6666},
        {"A", 0x66FF66}, {"B", 0x6666FF}, {"C", 0x66FF00}, {"D", 0x00FF66}, {"E", 0x0066FF},
        {"F", 0x6600FF}, {"G", 0xFF0066}, {"H", 0xCCCCCC}, {"I", 0x663333}, {"J", 0x660000},
        {"K", 0x666600}, {"L", 0x006600}, {"M", 0x006666}, {"N", 0x000066}, {"#", 0x666666},
        {"*", 0x000000}, {"?", 0x000000}};
    ASSERT_EQ(std::size(colors), palette.size());
    Form1 form;
    form.Show();
    for (auto [character, rrggbb] : colors) {
        SCOPED_TRACE(character);
        form.loadgridcolor(character == "1" ? "2" : "1", 40); // from another colour
        form.Grid(40).caption = "?";                          // and a caption
        form.loadgridcolor(character, 40);
        Rgb c = form.Grid(40).backColor.value();
        EXPECT_EQ((c & 0xFF) << 16 | (c & 0xFF00) | (c >> 16 & 0xFF), rrggbb);
        EXPECT_EQ(form.Grid(40).caption, character == "?" ? "?" : "");
    }
}

// Anything that is not exactly one known character keeps the colour and clears the caption.
TEST(Painting, UnknownCharactersKeepColorAndLoseCaption) {
    for (std::string_view ch : {"a", "", "01", " ", "z", "**"}) {
        SCOPED_TRACE(std::string(ch));
        Form1 form;
        form.Show();
        form.loadgridcolor("3", 7);
        form.Grid(7).caption = "?";
        form.loadgridcolor(ch, 7);
        EXPECT_EQ(form.Grid(7).backColor, rgb(255, 0, 255));
        EXPECT_EQ(form.Grid(7).caption, "");
    }
}

TEST(Painting, KeepsSelectionMarkAndReplacesWildcard) {
    Form1 form;
    form.Show();
    form.loadgridcolor("?", 50);
    form.loadgridcolor("1", 50);
    EXPECT_EQ(form.Grid(50).backColor, rgb(0, 255, 0));
    EXPECT_EQ(form.Grid(50).caption, "");
    form.Grid(3).borderStyle = 1;
    form.loadgridcolor("5", 3);
    EXPECT_EQ(form.Grid(3).borderStyle, 1);
    // Out-of-range cells are ignored rather than written.
    form.loadgridcolor("1", 72);
    form.loadgridcolor("1", -1);
    EXPECT_EQ(form.Grid.count(), 72);
}

// Every level as the player sees it after choosing it: its name in "Load Level", on the window
// and in the counter's par, and both boards painted from the catalogue's rows.
TEST(Catalogue, EveryLevelAsShown) {
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        const Level& entry = catalogue[static_cast<std::size_t>(level - 1)];
        SCOPED_TRACE(entry.name);
        Form1 form = loadedAt(level);
        EXPECT_EQ(form.Nameof.caption, entry.name);
        EXPECT_EQ(form.numMoves.caption, "Moves: 0 (" + std::to_string(entry.par) + ")");
        EXPECT_EQ(Form1::levelPar(level), entry.par);
        EXPECT_EQ(Form1::levelItems[static_cast<std::size_t>(level - 1)].caption, entry.name);
        EXPECT_EQ(Form1::levelItems[static_cast<std::size_t>(level - 1)].index, level);
        EXPECT_EQ(playRows(form), std::vector<std::string>(entry.start.begin(), entry.start.end()));
        EXPECT_EQ(goalRows(form), std::vector<std::string>(entry.goal.begin(), entry.goal.end()));
        for (int i = 0; i < playCells; ++i)
            EXPECT_EQ(form.Grid(i).caption, "") << "play cell " << i;
    }
    // Slots outside 1..8 are empty.
    for (int level : {0, 9, 100, -1}) {
        EXPECT_EQ(Form1::levelPar(level), 0);
        EXPECT_EQ(Form1::levelName(level), "");
        EXPECT_EQ(Form1::startLayout(level, 0), "");
    }
}

TEST(Catalogue, SquaresWorthASecondLook) {
    Form1 one = loadedAt(1);
    EXPECT_EQ(one.Grid(7).backColor, rgb(0, 0, 255));  // "2"
    EXPECT_EQ(one.Grid(43).backColor, rgb(255, 0, 0)); // goal "0"
    EXPECT_EQ(one.Grid(6).backColor, wallColor);
    EXPECT_EQ(one.Grid(42).backColor, wallColor);
    EXPECT_EQ(one.Grid(21).backColor, emptyColor); // the empty square, row 3 column 3
    EXPECT_EQ(one.Grid(57).backColor, emptyColor);
    EXPECT_EQ(one.Grid(57).caption, "");

    Form1 eight = loadedAt(8); // no wall anywhere
    for (int i = 0; i < 72; ++i)
        EXPECT_NE(eight.Grid(i).backColor, wallColor) << "cell " << i;
    EXPECT_EQ(loadedAt(4).numMoves.caption, "Moves: 0 (111)");
}

// The catalogue's own consistency checks.
TEST(Catalogue, ChecksRejectABrokenLevel) {
    using namespace catalogue_checks;
    // The built-in levels pass these checks at compile time; here they must reject broken ones.
    Level broken = catalogue[0];
    broken.goal[1] = "#012#*";
    EXPECT_FALSE(wallsAgree(broken));
    broken = catalogue[1];
    broken.goal[0] = "##2?##"; // piece 2 loses a square
    EXPECT_FALSE(piecesAgree(broken));
    EXPECT_FALSE(
        rowsWellFormed(Layout{"#23a##", "######", "######", "######", "######", "######"}));
    EXPECT_FALSE(rowsWellFormed(Layout{"#23##", "######", "######", "######", "######", "######"}));
    Level split = catalogue[0];
    split.start[1] = "#232##"; // "2" in two groups
    EXPECT_FALSE(piecesAgree(split));
}
