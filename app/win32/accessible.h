// What a screen reader finds in the window, through Microsoft Active Accessibility: the board
// control as one object whose 72 children are the cells (play board 1..36, goal board 37..72),
// each named with the core's words for it, and the counter with the result against par in words.
#pragma once

#include "app/win32/winapi.h"

#include <ole2.h>
#include <oleacc.h>

#include "app/changes.h"

#include <array>
#include <bitset>
#include <functional>
#include <memory>
#include <string>

namespace nudgeboard {

class Form1;

class Accessibility {
public:
    // What the objects ask of the window. `press` is the window's own click on a cell.
    struct Window {
        const Form1* form = nullptr; // none once the window is gone
        HWND main = nullptr;         // the boards' picture is in its client area
        HWND board = nullptr;
        HWND counter = nullptr;
        std::function<int()> dpi;
        std::function<void(int)> press;
    };

    explicit Accessibility(Window window);
    ~Accessibility();
    Accessibility(const Accessibility&) = delete;
    Accessibility& operator=(const Accessibility&) = delete;

    // Answers WM_GETOBJECT on the board and on the counter; 0 (Windows' own answer) for any
    // object but the client area.
    LRESULT boardObject(WPARAM wParam, LPARAM lParam);
    LRESULT counterObject(WPARAM wParam, LPARAM lParam);
    // Tells listening screen readers what the event just forwarded changed.
    void announce(const Changes& changes);

private:
    std::shared_ptr<Window> window_;
    IAccessible* board_ = nullptr;
    IAccessible* counter_ = nullptr;
    // What screen readers were last told of each cell.
    std::array<std::string, cellCount> names_;
    std::bitset<cellCount> marked_;
    std::string parWords_;
};

} // namespace nudgeboard
