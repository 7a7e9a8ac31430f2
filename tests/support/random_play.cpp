// Seeded random play through the core, with every invariant checked after each event.
#include "random_play.h"

#include <random>

namespace nudgeboard::testing {

static std::array<Rgb, playCells> playColors(const Form1& form) {
    std::array<Rgb, playCells> colors{};
    for (int i = 0; i < playCells; ++i)
        colors[static_cast<std::size_t>(i)] = form.Grid(i).backColor.value_or(-1);
    return colors;
}

static bool anyMarked(const Form1& form) {
    for (int i = 0; i < playCells; ++i)
        if (form.Grid(i).borderStyle == 1)
            return true;
    return false;
}

RandomRun playRandomly(Form1& form, std::uint64_t seed, long events, bool restarts) {
    RandomRun run;
    std::mt19937_64 rng(seed);
    InvariantChecker check;
    std::array<std::uint8_t, bytesPerEvent> bytes{};
    bool lastRefused = false;
    for (long n = 0; n < events; ++n) {
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        if (!restarts)
            bytes[0] %= 126;
        Event e = decode(bytes.data());
        check.before(form);
        bool arrow = e.kind == Event::Key && e.value >= vkLeft && e.value <= vkDown &&
                     form.solved == 0 && anyMarked(form);
        auto board = playColors(form);
        apply(form, e);
        if (arrow) {
            bool moved = playColors(form) != board;
            run.slides += moved;
            run.refused += !moved;
            run.slidesAfterRefusal += moved && lastRefused;
            lastRefused = !moved;
        }
        if (std::string error = check.after(form, e.kind == Event::Key); !error.empty()) {
            run.failure = "seed " + std::to_string(seed) + ", event " + std::to_string(n) + " (" +
                          describe(e) + "): " + error;
            return run;
        }
        if (e.kind == Event::LevelItem || e.kind == Event::Reset)
            ++run.levelsPlayed[static_cast<std::size_t>(form.curLevel)];
    }
    return run;
}

} // namespace nudgeboard::testing
