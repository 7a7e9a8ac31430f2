// A stream of player events decoded from bytes, shared by the randomised tests and the fuzzer.
#pragma once

#include "app/form1.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace nudgeboard::testing {

struct Event {
    enum Kind { Click, Key, LevelItem, Reset } kind;
    int value;       // cell index, key code or level number
    int shift;       // Shift 1, Ctrl 2, Alt 4
    bool autoRepeat; // a key release that belongs to a held key
};

constexpr std::size_t bytesPerEvent = 3;

// Arrow keys far more often than not; restarts rarely, so that levels get played for a while.
inline Event decode(const std::uint8_t* b) {
    int kind = b[0] % 128;
    int shift = b[2] & 7;
    bool repeat = (b[2] & 0x38) == 0x38; // one key release in eight
    if (kind < 40)
        return {Event::Click, b[1] % 72, 0, false};
    if (kind < 126) {
        int key = b[1] < 224 ? vkLeft + b[1] % 4 : (b[1] - 224) * 8 + (b[2] >> 6);
        return {Event::Key, key, shift, repeat};
    }
    if (kind == 126)
        return {Event::LevelItem, 1 + b[1] % 8, 0, false};
    return {Event::Reset, 0, 0, false};
}

// Delivers an event as the window would: it drops auto-repeat releases before the game sees them.
inline void apply(Form1& form, const Event& e) {
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

inline std::string describe(const Event& e) {
    const char* names[] = {"click", "key", "level", "reset"};
    return std::string(names[e.kind]) + " " + std::to_string(e.value) +
           (e.kind == Event::Key
                ? " shift " + std::to_string(e.shift) + (e.autoRepeat ? " (auto-repeat)" : "")
                : "");
}

} // namespace nudgeboard::testing
