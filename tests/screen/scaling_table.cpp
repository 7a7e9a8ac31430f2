// The game's scaling rule as a table, for the screen driver's own copy to be checked against:
// "dpi x devicePixel deviceLine" for every design pixel of the window at the scales the screen
// tests use, and a range around them.
#include "app/geometry.h"
#include "app/scaling.h"

#include <cstdio>

int main() {
    using namespace nudgeboard;
    for (int dpi = leastFittedDpi; dpi <= 4 * designDpi; ++dpi)
        for (int x = -cellPitch; x <= clientWidth + cellPitch; ++x)
            std::printf("%d %d %d %d\n", dpi, x, devicePixel(x, dpi), deviceLine(dpi));
    return 0;
}
