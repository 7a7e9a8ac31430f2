// The keys the game and its menus read, as Windows virtual-key codes whatever the platform: each
// front end translates its own keys to these.
#pragma once

namespace nudgeboard {

constexpr int vkLeft = 37;
constexpr int vkUp = 38;
constexpr int vkRight = 39;
constexpr int vkDown = 40;
constexpr int vkReturn = 13;
constexpr int vkEscape = 27;
constexpr int vkAlt = 18;
constexpr int vkSpace = 32;
constexpr int vkF10 = 121;

} // namespace nudgeboard
