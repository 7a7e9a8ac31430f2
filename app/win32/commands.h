// The identifiers the window's menu commands arrive with in WM_COMMAND; a tool that drives the
// window from outside (the screen-reader test) sends the same.
#pragma once

namespace nudgeboard::win32 {

constexpr int idLevel = 2000; // + level index
constexpr int idReset = 2100;

} // namespace nudgeboard::win32
