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

// A window of a menu bar `barHeight` design pixels high over a client area `width` x `height`, in
// device pixels at `dpi`: the bar's edge, and so the client area's, on a device pixel.
constexpr DeviceRect windowRect(int barHeight, int width, int height, int dpi) {
    DeviceRect client = deviceRect(0, 0, width, height, dpi);
    return {0, 0, client.width(), roundedScale(barHeight, dpi) + client.height()};
}

// The least scale a window is fitted to: below it the cells have no room for their lines. The
// largest any scale may be: beyond it device sizes would overflow.
constexpr int leastFittedDpi = designDpi / 4;
constexpr int largestDpi = 64 * designDpi;

// The largest display scale at which the window takes no more than `roomWidth` x `roomHeight`
// device pixels (a phone's screen, say), so that it fills the room's width or height whole; the
// least fitted scale where even that does not fit.
constexpr int fittingDpi(int barHeight, int width, int height, int roomWidth, int roomHeight) {
    if (barHeight < 0 || width <= 0 || height <= 0 || roomWidth <= 0 || roomHeight <= 0)
        return leastFittedDpi;
    // Sizes grow with the scale: from above the proportional guess (each rounded pitch may lose
    // half a pixel), down to the first fit.
    long long byWidth = static_cast<long long>(roomWidth) * designDpi / width;
    long long byHeight = static_cast<long long>(roomHeight) * designDpi / (barHeight + height);
    long long guess = (byWidth < byHeight ? byWidth : byHeight) + 8;
    int dpi = guess > largestDpi       ? largestDpi
              : guess < leastFittedDpi ? leastFittedDpi
                                       : static_cast<int>(guess);
    for (; dpi > leastFittedDpi; --dpi) {
        DeviceRect window = windowRect(barHeight, width, height, dpi);
        if (window.width() <= roomWidth && window.height() <= roomHeight)
            break;
    }
    return dpi;
}

static_assert(devicePixel(cellPitch, 144) == 36 &&
              deviceRect(0, 0, cellSize, cellSize, 144).right == 37);
static_assert(deviceRect(goalBoardLeft, 0, boardPixels, boardPixels, 120).left ==
              deviceRect(0, 0, boardPixels, boardPixels, 120).right - 1);
static_assert(deviceLine(96) == 1 && deviceLine(120) == 1 && deviceLine(144) == 2 &&
              deviceLine(192) == 2);

} // namespace nudgeboard
