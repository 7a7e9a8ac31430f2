// Design pixels (96 dots per inch) to device pixels at any display scale, edges on whole pixels.
#pragma once

#include "app/geometry.h"

namespace nudgeboard {

// A display scale as dots per inch: 96 is the design's own, 120 is 1.25, 144 is 1.5, 192 is 2.
constexpr int designDpi = 96;

constexpr int roundedScale(int pixels, int dpi) {
    return (pixels * dpi + designDpi / 2) / designDpi;
}

// Where design pixel column (or row) x starts on the device. Whole pitches scale as one rounded
// pitch, so every cell starts exactly one scaled pitch after its neighbour and the pitch stays one
// device pixel less than the cell at every scale; the remainder within a pitch scales as itself.
constexpr int devicePixel(int x, int dpi) {
    int pitches = x >= 0 ? x / cellPitch : -((-x + cellPitch - 1) / cellPitch);
    return pitches * roundedScale(cellPitch, dpi) + roundedScale(x - pitches * cellPitch, dpi);
}

// A rectangle of device pixels, right and bottom exclusive.
struct DeviceRect {
    int left;
    int top;
    int right;
    int bottom;
    constexpr int width() const { return right - left; }
    constexpr int height() const { return bottom - top; }
    bool operator==(const DeviceRect&) const = default;
};

// A control covering design pixels left .. left + width - 1 covers the device pixels from the
// first one's start to the last one's start, plus one: so the last pixel column of a cell is the
// first of its right-hand neighbour at every scale, as at 96 dpi.
constexpr DeviceRect deviceRect(int left, int top, int width, int height, int dpi) {
    return {devicePixel(left, dpi), devicePixel(top, dpi),
            width > 0 ? devicePixel(left + width - 1, dpi) + 1 : devicePixel(left, dpi),
            height > 0 ? devicePixel(top + height - 1, dpi) + 1 : devicePixel(top, dpi)};
}

// A one-pixel line (a selection mark, an outline) in device pixels: as wide as a design pixel
// rounds to, never thinner than one. It lies inside its rectangle, equally wide on all sides.
constexpr int deviceLine(int dpi) {
    int width = roundedScale(1, dpi);
    return width < 1 ? 1 : width;
}

static_assert(devicePixel(cellPitch, 144) == 36 &&
              deviceRect(0, 0, cellSize, cellSize, 144).right == 37);
static_assert(deviceRect(goalBoardLeft, 0, boardPixels, boardPixels, 120).left ==
              deviceRect(0, 0, boardPixels, boardPixels, 120).right - 1);
static_assert(deviceLine(96) == 1 && deviceLine(120) == 1 && deviceLine(144) == 2 &&
              deviceLine(192) == 2);

} // namespace nudgeboard
