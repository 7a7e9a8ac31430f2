// What a front end must redraw: the core's controls compared with what it showed last.
#pragma once

#include "app/controls.h"
#include "app/geometry.h"

#include <array>
#include <bitset>
#include <optional>

namespace nudgeboard {

class Form1;

struct Changes {
    // The window was loaded anew since the last refresh: its cells are new controls, so a front
    // end that keeps a toolkit object per cell replaces them all (every cell is in `cells` too).
    bool newLoad = false;
    std::bitset<cellCount> cells; // cells whose look or place changed, or that came or went
    bool nameof = false;
    bool numMoves = false;
    bool frames = false;

    bool any() const { return newLoad || cells.any() || nameof || numMoves || frames; }
};

// A front end keeps one of these beside its toolkit objects and calls `update` after every event
// it forwards; the result names exactly what differs from the previous call.
class ShownControls {
public:
    Changes update(const Form1& form);
    // Forgets everything shown: the next update reports every control (a scale change, say).
    void invalidate() { *this = ShownControls{}; }

private:
    int load_ = -1;
    std::array<std::optional<Label>, cellCount> cells_{};
    std::optional<Label> nameof_;
    std::optional<Label> numMoves_;
    std::optional<std::array<Outline, 2>> frames_;
};

} // namespace nudgeboard
