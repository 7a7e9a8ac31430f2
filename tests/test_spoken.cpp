// What a screen reader hears: every cell of every level, the colour names, the par words.
#include "app/spoken.h"
#include "board.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

// The content a layout character shows, worked out from the character rather than the colour.
std::string contentOf(char c, bool goalBoard) {
    if (c == '#')
        return "wall";
    if (c == '?')
        return goalBoard ? "any square" : "empty";
    if (c == '*')
        return "empty";
    for (const auto& entry : palette)
        if (entry.character[0] == c)
            return std::string(entry.name) + " piece";
    return "?";
}

} // namespace

TEST(Spoken, EveryCellOfEveryLevel) {
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE(::testing::Message() << "level " << level);
        Form1 form;
        form.curLevel = level;
        form.Show();
        // A colour has one name on both boards, and two colours never share one.
        std::map<Rgb, std::string> nameOf;
        std::map<std::string, Rgb> colorOf;
        for (int k = 0; k < cellCount; ++k) {
            bool goal = k >= goalOffset;
            std::string_view row =
                goal ? Form1::goalLayout(level, rowOf(k)) : Form1::startLayout(level, rowOf(k));
            std::string content = contentOf(row[static_cast<std::size_t>(columnOf(k))], goal);
            EXPECT_EQ(cellText(form, k), content + ", row " + std::to_string(rowOf(k) + 1) +
                                             ", column " + std::to_string(columnOf(k) + 1))
                << "cell " << k;
            Rgb color = form.Grid(k).backColor.value();
            if (content.ends_with(" piece")) {
                EXPECT_EQ(nameOf.try_emplace(color, content).first->second, content);
                EXPECT_EQ(colorOf.try_emplace(content, color).first->second, color);
            }
        }
    }
    Form1 closed;
    EXPECT_EQ(cellText(closed, 0), "");
}

TEST(Spoken, ParWordsOnceSolved) {
    std::set<std::string_view> heard;
    for (int extra : {-5, 0, 7}) {
        Form1 form;
        form.Show();
        EXPECT_EQ(parWords(form), "");
        // Paint the goal onto the play board; the next slide solves it.
        paint(form, {"######", "#012##", "#345##", "#67*##", "######", "######"}, 0);
        form.moveCount = Form1::levelPar(1) + extra - 1; // one more to come: "7" there and back
        form.Grid_Click(20);                             // "7", left of the empty square
        form.Form_KeyUp(vkRight, 0);
        form.Grid_Click(21);
        form.Form_KeyUp(vkLeft, 0);
        ASSERT_EQ(form.solved, flagTrue);
        std::string_view words = parWords(form);
        EXPECT_EQ(words, extra < 0 ? "under par" : extra == 0 ? "at par" : "over par");
        heard.insert(words);
        form.mnuReset_Click();
        EXPECT_EQ(parWords(form), "");
    }
    EXPECT_EQ(heard.size(), 3u);
}
