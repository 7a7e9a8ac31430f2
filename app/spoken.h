// What a screen reader says of the boards and the result: the texts every front end's
// accessibility layer hands out, so a player hears the same game on each.
#pragma once

#include "app/geometry.h"

#include <string>
#include <string_view>

namespace nudgeboard {

class Form1;

constexpr std::string_view playBoardName = "Play board";
constexpr std::string_view goalBoardName = "Goal board";

constexpr std::string_view boardName(int index) {
    return index < goalOffset ? playBoardName : goalBoardName;
}

// A cell of either board: "<content>, row R, column C", R and C counted from 1 within its own
// board; the content is "wall", "empty", "<colour> piece", or on the goal board "any square".
// Empty for a cell the window does not hold.
std::string cellText(const Form1& form, int index);

// "under par", "at par" or "over par" once the level is solved, as the counter's colour shows
// it; empty before.
std::string_view parWords(const Form1& form);

// What a screen reader says when the counter changes: the counter's text, and once solved
// "SOLVED!!" and the result against par before it.
std::string counterNews(const Form1& form);

} // namespace nudgeboard
