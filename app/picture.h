// What the boards look like on the screen, and which cell a point hits: every front end draws
// this picture and asks it where a click landed, so all of them agree on shared pixel lines.
#pragma once

#include "app/controls.h"
#include "app/scaling.h"

#include <array>
#include <span>
#include <string_view>

namespace nudgeboard {

class Form1;

// Neighbouring cells share a pixel line. A cell drawn later covers it: marked cells come after
// unmarked ones, so a mark shows whole, and among equals the higher index comes later. The
// outlines come after every cell.
constexpr int paintLayer(int index, bool marked) {
    return (marked ? cellCount : 0) + index;
}
constexpr int outlineLayer = 2 * cellCount;

struct PaintedCell {
    int index;
    DeviceRect rect;
    Rgb fill;
    bool marked;              // a line of `BoardPicture::line` inside `rect`, in lineColor
    std::string_view caption; // centred in the rectangle
    Rgb captionColor;
    const Font* font;
};

struct BoardPicture {
    std::array<PaintedCell, cellCount> painted{}; // the first `count`, bottom first
    std::size_t count = 0;
    std::array<DeviceRect, 2> outlines{};
    int line = 1; // how wide a mark or an outline is, in device pixels

    std::span<const PaintedCell> cells() const { return {painted.data(), count}; }
};

// The boards of the window's controls in device pixels at `dpi`; the cells the window holds and
// shows, in paint order. The picture refers to the controls: it is good until the next event.
BoardPicture boardPicture(const Form1& form, int dpi);

// The cell drawn on top at device pixel (x, y) of the client area, or -1 where there is none.
int cellAt(const BoardPicture& picture, int x, int y);

} // namespace nudgeboard
