// The arrow keys as the game's key handler takes them, and the cell offset each one moves by.
#pragma once

#include "app/geometry.h"
#include "app/keys.h"

#include <array>
#include <string_view>

namespace nudgeboard {

struct Arrow {
    int keyCode;
    int offset; // index difference to the neighbour in the arrow's direction
    std::string_view name;
};

// In key-code order, so arrows[keyCode - vkLeft] is the key's own entry.
constexpr std::array<Arrow, 4> arrows{{
    {vkLeft, -1, "Left"},
    {vkUp, -boardSide, "Up"},
    {vkRight, 1, "Right"},
    {vkDown, boardSide, "Down"},
}};

constexpr bool isArrow(int keyCode) {
    return keyCode >= vkLeft && keyCode <= vkDown;
}

constexpr bool isArrowOffset(int offset) {
    for (const Arrow& arrow : arrows)
        if (arrow.offset == offset)
            return true;
    return false;
}

// The cell beside `index` on its board in the direction of an arrow's offset, or -1 where that
// steps off the board. Play cells only: a goal cell's neighbour is given as its play cell's.
constexpr int neighbour(int index, int offset) {
    int row = rowOf(index) + offset / boardSide;
    int column = columnOf(index) + offset % boardSide;
    return onBoard(row, column) ? cellIndex(row, column) : -1;
}
static_assert(neighbour(0, -1) == -1 && neighbour(5, 1) == -1 && neighbour(30, boardSide) == -1 &&
              neighbour(7, -boardSide) == 1 && neighbour(6, -1) == -1 && neighbour(11, 1) == -1);

} // namespace nudgeboard
