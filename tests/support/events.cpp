// The player-event stream: bytes to events, and events to the game.
#include "events.h"

namespace nudgeboard::testing {

Event decode(const std::uint8_t* b) {
    int kind = b[0] % 128;
    int shift = b[2] & 7;
    bool repeat = (b[2] & 0x38) == 0x38; // one key release in eight
    if (kind < 40)
        return {Event::Click, b[1] % cellCount, 0, false};
    if (kind < 126) {
        int key = b[1] < 224 ? vkLeft + b[1] % 4 : (b[1] - 224) * 8 + (b[2] >> 6);
        return {Event::Key, key, shift, repeat};
    }
    if (kind == 126)
        return {Event::LevelItem, 1 + b[1] % levelCountBuiltIn, 0, false};
    return {Event::Reset, 0, 0, false};
}

void apply(Form1& form, const Event& e) {
    switch (e.kind) {
    case Event::Click:
        form.Grid_Click(e.value);
        break;
    case Event::Key:
        if (!e.autoRepeat)
            form.Form_KeyUp(e.value, e.shift);
        break;
    case Event::LevelItem:
        form.mnuL_Click(e.value);
        break;
    case Event::Reset:
        form.mnuReset_Click();
        break;
    }
}

std::string describe(const Event& e) {
    const char* names[] = {"click", "key", "level", "reset"};
    return std::string(names[e.kind]) + " " + std::to_string(e.value) +
           (e.kind == Event::Key
                ? " shift " + std::to_string(e.shift) + (e.autoRepeat ? " (auto-repeat)" : "")
                : "");
}

} // namespace nudgeboard::testing
