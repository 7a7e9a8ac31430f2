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

// Every layout character paints exactly its RGB value; only "?" leaves a caption.
TEST(Painting, EachCharacterPaintsItsColour) {
    struct Case {
        const char* ch;
        int r, g, b;
    };
    const Case cases[] = {
        {"0", 255, 0, 0},     {"1", 0, 255, 0},     {"2", 0, 0, 255},     {"3", 255, 0, 255},
        {"4", 255, 255, 0},   {"5", 0, 255, 255},   {"6", 255, 102, 0},   {"7", 255, 255, 255},
        {"8", 153, 153, 153}, {"9", 255, 102, 102}, {"A", 102, 255, 102}, {"B", 102, 102, 255},
        {"C", 102, 255, 0},   {"D", 0, 255, 102},   {"E", 0, 102, 255},   {"F", 102, 0, 255},
        {"G", 255, 0, 102},   {"H", 204, 204, 204}, {"I", 102, 51, 51},   {"J", 102, 0, 0},
        {"K", 102, 102, 0},   {"L", 0, 102, 0},     {"M", 0, 102, 102},   {"N", 0, 0, 102},
        {"#", 102, 102, 102}, {"*", 0, 0, 0},       {"?", 0, 0, 0},
    };
    Form1 form;
    form.Show();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.ch);
        form.loadgridcolor("?", 40); // start from a captioned cell
        form.loadgridcolor(c.ch, 40);
        EXPECT_EQ(form.Grid(40).backColor, c.r + 256 * c.g + 65536 * c.b);
        EXPECT_EQ(form.Grid(40).caption, std::string_view(c.ch) == "?" ? "?" : "");
    }
    EXPECT_EQ(wallColor, 6710886);
    EXPECT_EQ(rgb(255, 102, 0), 26367);
}

// Anything that is not exactly one known character keeps the colour and clears the caption.
TEST(Painting, UnknownCharactersKeepColourAndLoseCaption) {
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

// Every level as the player sees it after choosing it: name, counter text and both boards,
// against the levels written out here once more, so a slip in either copy shows.
TEST(Catalogue, EveryLevelAsShown) {
    using R = std::vector<std::string>;
    struct Case {
        int level;
        const char* name;
        int par;
        R start, goal;
    };
    const Case cases[] = {
        {1, "9 Puzzle", 38, R{"######", "#234##", "#567##", "#01*##", "######", "######"},
         R{"######", "#012##", "#345##", "#67*##", "######", "######"}},
        {2, "Road Block", 53, R{"##1A##", "#11AA#", "004699", "5*78*3", "#*22*#", "##22##"},
         R{"##22##", "#?22?#", "??????", "??????", "#????#", "##??##"}},
        {3, "Little Obstacle", 28, R{"##99##", "#6225#", "7122A8", "*11AA*", "#4**B#", "######"},
         R{"##22##", "#?22?#", "??????", "??????", "#????#", "######"}},
        {4, "Claustrophobic", 111, R{"2200F#", "24*GG#", "9*511#", "96AB1#", "E6AA7#", "######"},
         R{"?????#", "?????#", "?????#", "???22#", "???2?#", "######"}},
        {5, "Small Puzzle #1", 24, R{"######", "#22*7#", "#A2*1#", "#A*01#", "#4*00#", "######"},
         R{"######", "#0???#", "#00??#", "#??22#", "#???2#", "######"}},
        {6, "Small Puzzle #2", 23, R{"######", "#22*1#", "#24*1#", "#A*70#", "#A*00#", "######"},
         R{"######", "#?0??#", "#00??#", "#??22#", "#??2?#", "######"}},
        {7, "L Gates", 36, R{"##BN##", "#BBNN#", "*5226*", "332299", "*4**7*", "######"},
         R{"##22##", "#?22?#", "??????", "??????", "??????", "######"}},
        {8, "Traffic", 26, R{"452267", "3122A8", "01NNA9", "01NNA9", "BC**FG", "DE**HI"},
         R{"??????", "??????", "??????", "??????", "??22??", "??22??"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Form1 form = loadedAt(c.level);
        EXPECT_EQ(form.Nameof.caption, c.name);
        EXPECT_EQ(form.numMoves.caption, "Moves: 0 (" + std::to_string(c.par) + ")");
        EXPECT_EQ(Form1::levelPar(c.level), c.par);
        EXPECT_EQ(Form1::levelItems[c.level - 1].caption, c.name);
        EXPECT_EQ(Form1::levelItems[c.level - 1].index, c.level);
        EXPECT_EQ(playRows(form), c.start);
        EXPECT_EQ(goalRows(form), c.goal);
        for (int i = 0; i < 36; ++i)
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
