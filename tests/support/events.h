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
Event decode(const std::uint8_t* b);

// Delivers an event as the window would: it drops auto-repeat releases before the game sees them.
void apply(Form1& form, const Event& e);

std::string describe(const Event& e);

} // namespace nudgeboard::testing
