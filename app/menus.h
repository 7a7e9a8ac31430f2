// The menu bar's keyboard walk, as a desktop window's menus go: which entry is lit, whether the
// "Load Level" list is open and which item is lit, and so whether a menu holds the keyboard
// (which the stroke rule in app/strokes.h takes). The page draws this state; the Qt and Windows
// windows keep their toolkits' own menus, which walk the same way.
#pragma once

#include "app/keys.h"

namespace nudgeboard {

class MenuWalk {
public:
    // Who has the keyboard: the board, the menu bar with an entry lit, or the open list.
    enum class Mode { Board, Bar, List };
    // The bar's entries, in their order.
    static constexpr int loadLevelEntry = 0;
    static constexpr int resetEntry = 1;

    // What the walk asks the window to do: nothing, "Load Level" with a level, or "Reset".
    struct Command {
        enum class Kind { None, LoadLevel, Reset } kind = Kind::None;
        int level = 0;
        bool operator==(const Command&) const = default;
    };

    explicit MenuWalk(int items) : items_(items) {}

    Mode mode() const { return mode_; }
    bool hasKeyboard() const { return mode_ != Mode::Board; }
    int entry() const { return entry_; }
    int item() const { return item_; } // the lit item of the open list, 1.., or 0 for none

    // A key went down. While a menu has the keyboard the key is the menu's, and may choose.
    Command keyDown(int key);
    // A key came up: Alt or F10 pressed and released alone lights the bar's first entry.
    void keyUp(int key);

    // The pointer: a press on "Load Level" opens its list with no item lit, or closes it; the
    // pointer over an item lights it, off it unlights it; a release on an item chooses it.
    void pressLoadLevel();
    void hoverItem(int item, bool over);
    Command chooseItem(int item);
    // A press on "Reset" closes an open list; its release chooses it.
    void pressReset();
    Command chooseReset();
    // A press elsewhere, or the window losing the keyboard: every menu closes.
    void close();

private:
    Command barKey(int key);
    Command listKey(int key);
    void openList(int lit);

    int items_;
    Mode mode_ = Mode::Board;
    int entry_ = loadLevelEntry;
    int item_ = 0;
    bool menuKeyAlone_ = false; // Alt or F10 went down with no other key since
};

} // namespace nudgeboard
