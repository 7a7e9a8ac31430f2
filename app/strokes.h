// Which key releases are key strokes for the game, whatever toolkit delivers them.
#pragma once

#include <bitset>

namespace nudgeboard {

// A release is a stroke only if this window received the key's press and no menu held the
// keyboard when it came up: the keys that open and walk a menu, or whose press went to another
// window, never move a piece. A held key may send any number of presses; its one release ends
// the stroke. Keys are the game's key codes (Windows virtual-key codes, 0..255).
class KeyStrokes {
public:
    static constexpr int keyCodes = 256;

    // A press that reached the window itself.
    void pressed(int key);
    // A release that reached the window; true if it ends a stroke and goes to Form_KeyUp. While
    // a menu has the keyboard the release is the menu's, and the key is forgotten.
    bool released(int key, bool menuHasKeyboard);
    // The keyboard went elsewhere (another window, a menu): releases of the keys held now will
    // not be ours.
    void forgetAll() { down_.reset(); }
    // A menu gave the keyboard back: keys that went up meanwhile were the menu's; keys still
    // held were pressed here and still count. `stillDown(key)` asks the toolkit.
    template <class StillDown> void menuClosed(StillDown stillDown) {
        for (int key = 0; key < keyCodes; ++key)
            if (down_.test(static_cast<std::size_t>(key)) && !stillDown(key))
                down_.reset(static_cast<std::size_t>(key));
    }

private:
    std::bitset<keyCodes> down_;
};

} // namespace nudgeboard
