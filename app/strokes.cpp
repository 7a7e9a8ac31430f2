// The key-stroke rule every front end shares.
#include "app/strokes.h"

namespace nudgeboard {

namespace {
bool valid(int key) {
    return key >= 0 && key < KeyStrokes::keyCodes;
}
} // namespace

void KeyStrokes::pressed(int key) {
    if (valid(key))
        down_.set(static_cast<std::size_t>(key));
}

bool KeyStrokes::released(int key, bool menuHasKeyboard) {
    if (!valid(key) || !down_.test(static_cast<std::size_t>(key)))
        return false;
    down_.reset(static_cast<std::size_t>(key));
    return !menuHasKeyboard;
}

} // namespace nudgeboard
