// The arrow keys as the game's key handler takes them, and the cell offset each one moves by.
#pragma once

#include "app/geometry.h"

#include <array>
#include <string_view>

namespace nudgeboard {

// Windows virtual-key codes, whatever the platform: front ends translate their own keys.
constexpr int vkLeft = 37;
constexpr int vkUp = 38;
constexpr int vkRight = 39;
constexpr int vkDown = 40;

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

} // namespace nudgeboard
