// The menu bar's keyboard walk: what Alt, F10, the arrows, Return, Space and Escape do, and when
// the menus hold the keyboard. The page runs this walk; the desktop toolkits' own menus go so.
#include "app/menus.h"
#include "levels/catalogue.h"
#include "play/arrows.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace nudgeboard;
using Mode = MenuWalk::Mode;
using Kind = MenuWalk::Command::Kind;

namespace {

struct Stroke {
    int key;
    Mode mode; // after the key went down and up
    int entry;
    int item;
};

// Each key pressed and released in turn; the last command the walk gave.
MenuWalk::Command type(MenuWalk& walk, const std::vector<Stroke>& strokes, std::string& trace) {
    MenuWalk::Command last;
    for (const Stroke& s : strokes) {
        last = walk.keyDown(s.key);
        walk.keyUp(s.key);
        trace += std::to_string(s.key) + " ";
        EXPECT_EQ(walk.mode(), s.mode) << "after " << trace;
        EXPECT_EQ(walk.entry(), s.entry) << "after " << trace;
        EXPECT_EQ(walk.item(), s.item) << "after " << trace;
    }
    return last;
}

} // namespace

TEST(MenuWalk, KeyboardWalks) {
    const int last = levelCountBuiltIn;
    struct Case {
        const char* what;
        std::vector<Stroke> strokes;
        MenuWalk::Command chosen;
    };
    const std::vector<Case> cases = {
        {"a tapped Alt lights the bar; Escape gives the board the keys back",
         {{vkAlt, Mode::Bar, 0, 0}, {vkEscape, Mode::Board, 0, 0}},
         {}},
        {"F10 as Alt; the arrows walk the bar's two entries, both ways round",
         {{vkF10, Mode::Bar, 0, 0},
          {vkRight, Mode::Bar, 1, 0},
          {vkRight, Mode::Bar, 0, 0},
          {vkLeft, Mode::Bar, 1, 0},
          {vkF10, Mode::Board, 1, 0}},
         {}},
        {"Down opens the list at its first item and walks it, wrapping at either end",
         {{vkAlt, Mode::Bar, 0, 0},
          {vkDown, Mode::List, 0, 1},
          {vkUp, Mode::List, 0, last},
          {vkDown, Mode::List, 0, 1},
          {vkDown, Mode::List, 0, 2},
          {vkReturn, Mode::Board, 0, 0}},
         {Kind::LoadLevel, 2}},
        {"Up and Space open the list at its first item too; Space chooses",
         {{vkAlt, Mode::Bar, 0, 0}, {vkUp, Mode::List, 0, 1}, {vkSpace, Mode::Board, 0, 0}},
         {Kind::LoadLevel, 1}},
        {"Escape in the list goes back to the bar, Escape again to the board",
         {{vkAlt, Mode::Bar, 0, 0},
          {vkReturn, Mode::List, 0, 1},
          {vkEscape, Mode::Bar, 0, 0},
          {vkEscape, Mode::Board, 0, 0}},
         {}},
        {"Left or Right in the list lights \"Reset\", which Return chooses",
         {{vkAlt, Mode::Bar, 0, 0},
          {vkDown, Mode::List, 0, 1},
          {vkLeft, Mode::Bar, 1, 0},
          {vkReturn, Mode::Board, 1, 0}},
         {Kind::Reset, 0}},
        {"Down on \"Reset\" opens nothing; Alt in the list closes every menu",
         {{vkAlt, Mode::Bar, 0, 0},
          {vkRight, Mode::Bar, 1, 0},
          {vkDown, Mode::Bar, 1, 0},
          {vkLeft, Mode::Bar, 0, 0},
          {vkDown, Mode::List, 0, 1},
          {vkAlt, Mode::Board, 0, 0}},
         {}},
        {"arrows, Return and Escape on the board are the board's",
         {{vkRight, Mode::Board, 0, 0},
          {vkReturn, Mode::Board, 0, 0},
          {vkEscape, Mode::Board, 0, 0}},
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MenuWalk walk(last);
        std::string trace;
        EXPECT_EQ(type(walk, c.strokes, trace), c.chosen);
    }
}

// Alt counts as a tap only pressed and released alone: with an arrow, or a press of the pointer,
// between its press and release it lights nothing, so Alt held with an arrow still plays.
TEST(MenuWalk, AltLightsTheBarOnlyWhenTappedAlone) {
    MenuWalk walk(levelCountBuiltIn);
    walk.keyDown(vkAlt);
    walk.keyDown(vkRight);
    walk.keyUp(vkRight);
    walk.keyUp(vkAlt);
    EXPECT_FALSE(walk.hasKeyboard());
    walk.keyDown(vkAlt);
    walk.close(); // a press on the board
    walk.keyUp(vkAlt);
    EXPECT_FALSE(walk.hasKeyboard());
    // Once the bar has the keyboard, every key is the menus' until they give it back.
    walk.keyDown(vkF10);
    walk.keyUp(vkF10);
    EXPECT_TRUE(walk.hasKeyboard());
    EXPECT_EQ(walk.keyDown(vkLeft), MenuWalk::Command{});
    EXPECT_TRUE(walk.hasKeyboard());
}

TEST(MenuWalk, Pointer) {
    MenuWalk walk(levelCountBuiltIn);
    walk.pressLoadLevel();
    EXPECT_EQ(walk.mode(), Mode::List);
    EXPECT_EQ(walk.item(), 0) << "opened by the pointer: nothing lit yet";
    walk.hoverItem(3, true);
    EXPECT_EQ(walk.item(), 3);
    walk.hoverItem(2, false); // leaving an item that is not lit changes nothing
    EXPECT_EQ(walk.item(), 3);
    walk.hoverItem(3, false);
    EXPECT_EQ(walk.item(), 0);
    EXPECT_EQ(walk.keyDown(vkReturn), MenuWalk::Command{}) << "Return with nothing lit closes";
    EXPECT_EQ(walk.mode(), Mode::Board);
    // An item chosen only from an open list, and only one that exists.
    EXPECT_EQ(walk.chooseItem(4), MenuWalk::Command{});
    walk.pressLoadLevel();
    EXPECT_EQ(walk.chooseItem(levelCountBuiltIn + 1), MenuWalk::Command{});
    EXPECT_EQ(walk.chooseItem(levelCountBuiltIn),
              (MenuWalk::Command{Kind::LoadLevel, levelCountBuiltIn}));
    walk.pressLoadLevel();
    walk.pressLoadLevel();
    EXPECT_EQ(walk.mode(), Mode::Board) << "a second press on \"Load Level\" closes its list";
    walk.pressLoadLevel();
    walk.pressReset();
    EXPECT_EQ(walk.mode(), Mode::Board);
    EXPECT_EQ(walk.chooseReset(), (MenuWalk::Command{Kind::Reset, 0}));
}
