// Seeded random play through the core, with every invariant checked after each event.
#pragma once

#include "events.h"
#include "invariants.h"

#include <array>
#include <cstdint>
#include <string>

namespace nudgeboard::testing {

struct RandomRun {
    std::string failure; // empty when every event kept every invariant
    std::array<int, levelCountBuiltIn + 1> levelsPlayed{}; // by level number, from 1
    long slides = 0;                                       // key releases that moved a piece
    long refused = 0;            // arrow keys with a piece selected that moved nothing
    long slidesAfterRefusal = 0; // slides whose previous arrow key was refused
};

// Plays `events` events from `seed` on an already loaded window; no restarts if `restarts` is off.
RandomRun playRandomly(Form1& form, std::uint64_t seed, long events, bool restarts = true);

} // namespace nudgeboard::testing
