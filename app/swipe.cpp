// The finger rule every touch front end shares.
#include "app/swipe.h"

#include "app/keys.h"
#include "app/scaling.h"

#include <algorithm>
#include <cstdlib>

namespace nudgeboard {

namespace {
bool validDpi(int dpi) {
    return dpi > 0 && dpi <= largestDpi;
}

// Moved far enough to be a swipe rather than a tap.
bool farEnough(long long dx, long long dy, int dpi) {
    long long pitch = roundedScale(cellPitch, dpi);
    return 2 * std::max(std::llabs(dx), std::llabs(dy)) >= pitch;
}
} // namespace

int swipeKey(int x0, int y0, int x1, int y1, int dpi) {
    if (!validDpi(dpi))
        return 0;
    DeviceRect board = deviceRect(0, 0, boardPixels, boardPixels, dpi);
    if (x0 < board.left || x0 >= board.right || y0 < board.top || y0 >= board.bottom)
        return 0;
    long long dx = static_cast<long long>(x1) - x0;
    long long dy = static_cast<long long>(y1) - y0;
    long long across = std::min(std::llabs(dx), std::llabs(dy));
    long long along = std::max(std::llabs(dx), std::llabs(dy));
    if (!farEnough(dx, dy, dpi) || along < 2 * across)
        return 0;
    if (std::llabs(dx) > std::llabs(dy))
        return dx > 0 ? vkRight : vkLeft;
    return dy > 0 ? vkDown : vkUp;
}

void Fingers::down(int x, int y) {
    if (count_++ > 0) {
        spoilt_ = true;
        return;
    }
    x_ = x;
    y_ = y;
}

Gesture Fingers::up(int x, int y, int dpi) {
    if (count_ == 0)
        return {}; // a finger this rule never saw touch
    if (--count_ > 0 || spoilt_) {
        spoilt_ = count_ > 0;
        return {};
    }
    if (int key = swipeKey(x_, y_, x, y, dpi))
        return {Gesture::Kind::Swipe, key};
    if (!validDpi(dpi) ||
        farEnough(static_cast<long long>(x) - x_, static_cast<long long>(y) - y_, dpi))
        return {}; // too diagonal, or begun off the play board
    return {Gesture::Kind::Tap, 0, x_, y_, x, y};
}

void Fingers::lost() {
    if (count_ == 0)
        return;
    // The gesture is spoilt for the fingers still down; none left, the next one starts afresh.
    spoilt_ = --count_ > 0;
}

} // namespace nudgeboard
