// The finger rule and the fitted window: which touches are taps and strokes, and the scale a
// phone's screen gets.
#include "app/keys.h"
#include "app/scaling.h"
#include "app/swipe.h"

#include <gtest/gtest.h>

#include <climits>

using namespace nudgeboard;

namespace {
// The middle of play cell 14 (row 2, column 2) at `dpi`.
int middle(int dpi) {
    return devicePixel(2 * cellPitch + cellSize / 2, dpi);
}
} // namespace

// Half a cell pitch, mostly along one axis, begun on the play board: 12 device pixels at
// 96 dpi, 24 at 192.
TEST(Swipe, HalfAPitchAlongOneAxisFromThePlayBoard) {
    for (auto [dpi, half] : {std::pair{96, 12}, {192, 24}}) {
        int m = middle(dpi);
        EXPECT_EQ(swipeKey(m, m, m + half, m, dpi), vkRight) << dpi;
        EXPECT_EQ(swipeKey(m, m, m - half, m, dpi), vkLeft) << dpi;
        EXPECT_EQ(swipeKey(m, m, m, m + half, dpi), vkDown) << dpi;
        EXPECT_EQ(swipeKey(m, m, m, m - half, dpi), vkUp) << dpi;
        EXPECT_EQ(swipeKey(m, m, m + half - 1, m, dpi), 0) << "too short at " << dpi;
        EXPECT_EQ(swipeKey(m, m, m + 2 * half, m - half, dpi), vkRight) << "twice as far across";
        EXPECT_EQ(swipeKey(m, m, m + 2 * half, m - half - 1, dpi), 0) << "too diagonal";
        EXPECT_EQ(swipeKey(m, m, m + 3 * half, m + 3 * half, dpi), 0) << "diagonal";
        // Begun on the goal board, or past the play board's last pixel: no stroke.
        int goal = devicePixel(goalBoardLeft + cellPitch, dpi);
        EXPECT_EQ(swipeKey(goal, m, goal + 4 * half, m, dpi), 0) << dpi;
        int past = deviceRect(0, 0, boardPixels, boardPixels, dpi).bottom;
        EXPECT_EQ(swipeKey(m, past, m, past - 4 * half, dpi), 0) << dpi;
        EXPECT_EQ(swipeKey(m, past - 1, m, past - 4 * half, dpi), vkUp) << dpi;
    }
    // No scale, or none a display has, and points at the ends of the integers: no stroke, no fault.
    for (int dpi : {0, -96, largestDpi + 1})
        EXPECT_EQ(swipeKey(12, 12, 100, 12, dpi), 0) << dpi;
    EXPECT_EQ(swipeKey(0, 0, INT_MAX, 0, 96), vkRight);
    EXPECT_EQ(swipeKey(0, 0, INT_MIN, 0, 96), vkLeft);
    EXPECT_EQ(swipeKey(INT_MIN, 0, INT_MAX, 0, 96), 0);
}

// One finger from touching to lifting is one gesture; a second finger spoils it until all lift.
TEST(Fingers, TapSwipeAndSpoiltGestures) {
    Fingers fingers;
    int m = middle(96);
    fingers.down(m, m);
    Gesture tap = fingers.up(m + 3, m - 2, 96);
    EXPECT_EQ(tap.kind, Gesture::Kind::Tap);
    EXPECT_EQ(tap.startX, m);
    EXPECT_EQ(tap.startY, m);
    EXPECT_EQ(tap.endX, m + 3);
    EXPECT_EQ(tap.endY, m - 2);

    fingers.down(m, m);
    Gesture swipe = fingers.up(m, m + 30, 96);
    EXPECT_EQ(swipe.kind, Gesture::Kind::Swipe);
    EXPECT_EQ(swipe.key, vkDown);

    fingers.down(m, m);
    EXPECT_EQ(fingers.up(m + 30, m + 30, 96).kind, Gesture::Kind::None) << "too diagonal: no tap";

    // Two fingers: neither lifting is anything, in either order; the next finger starts afresh.
    fingers.down(m, m);
    fingers.down(m + 40, m);
    EXPECT_EQ(fingers.up(m + 40, m, 96).kind, Gesture::Kind::None);
    EXPECT_EQ(fingers.up(m, m + 30, 96).kind, Gesture::Kind::None);
    EXPECT_EQ(fingers.count(), 0);
    fingers.down(m, m);
    EXPECT_EQ(fingers.up(m, m - 30, 96).key, vkUp);

    // A finger the browser took back, or one whose touch closed a menu, is nothing.
    fingers.down(m, m);
    fingers.lost();
    EXPECT_EQ(fingers.up(m + 30, m, 96).kind, Gesture::Kind::None) << "no finger down";
    fingers.down(m, m);
    fingers.spoil();
    EXPECT_EQ(fingers.up(m + 30, m, 96).kind, Gesture::Kind::None);
    fingers.down(m, m);
    EXPECT_EQ(fingers.up(m + 30, m, 96).key, vkRight) << "spoiling lasts one gesture";
    fingers.lost();
    EXPECT_EQ(fingers.count(), 0) << "more lost than down";
    fingers.down(m, m);
    EXPECT_EQ(fingers.up(m, m, 0).kind, Gesture::Kind::None) << "no scale";
}

// The window fitted to a screen fills its width or its height, whole, and goes no further.
TEST(FittingDpi, FillsTheRoomWithoutPassingIt) {
    const int bar = 20;
    struct Room {
        int width;
        int height;
    };
    // Phones and tablets upright and on their side, in device pixels; the design's own size.
    for (Room room : {Room{720, 1480}, Room{1480, 720}, Room{1080, 2340}, Room{1536, 2048},
                      Room{290, 234}, Room{1170, 500}}) {
        int dpi = fittingDpi(bar, clientWidth, clientHeight, room.width, room.height);
        DeviceRect fitted = windowRect(bar, clientWidth, clientHeight, dpi);
        // The next larger window any scale draws does not fit.
        int next = dpi + 1;
        while (windowRect(bar, clientWidth, clientHeight, next) == fitted)
            ++next;
        DeviceRect larger = windowRect(bar, clientWidth, clientHeight, next);
        EXPECT_LE(fitted.width(), room.width) << room.width << "x" << room.height;
        EXPECT_LE(fitted.height(), room.height) << room.width << "x" << room.height;
        EXPECT_TRUE(larger.width() > room.width || larger.height() > room.height)
            << "a larger window fits " << room.width << "x" << room.height;
    }
    int design = fittingDpi(bar, clientWidth, clientHeight, 290, 234);
    EXPECT_EQ(windowRect(bar, clientWidth, clientHeight, design),
              windowRect(bar, clientWidth, clientHeight, designDpi))
        << "the design's own room draws it at its own size";
    // A room too small for anything, or no room at all: the least fitted scale.
    EXPECT_EQ(fittingDpi(bar, clientWidth, clientHeight, 10, 10), leastFittedDpi);
    EXPECT_EQ(fittingDpi(bar, clientWidth, clientHeight, 0, 500), leastFittedDpi);
    EXPECT_EQ(fittingDpi(bar, 0, clientHeight, 500, 500), leastFittedDpi);
    EXPECT_EQ(fittingDpi(bar, clientWidth, clientHeight, INT_MAX, INT_MAX), largestDpi);
}
