// The Win32 window: shows the core's controls on native controls and forwards the five events.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef WINVER
#define WINVER 0x0A00 // the per-monitor DPI calls come with Windows 10
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0A00
#endif
#include <windows.h>

#include "app/form1.h"

#include <array>
#include <bitset>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace nudgeboard {

class GameWindow {
public:
    explicit GameWindow(Form1& form);
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    // Loads the game and opens its window; false if Windows would not give us one.
    bool open(HINSTANCE instance, int showCommand);

private:
    // What a STATIC control shows now, so that a mirror changes only what the core changed.
    struct Shown {
        HWND hwnd = nullptr;
        RECT place{-1, -1, -1, -1}; // the core's left, top, width, height
        UINT placedDpi = 0;
        HFONT font = nullptr;
        std::optional<std::string> caption;
        std::optional<Rgb> back;
        std::optional<Rgb> fore;
        bool marked = false;
        bool visible = false;
        bool fresh = true; // nothing applied yet
    };
    // One outline is four one-pixel black lines, so the cells inside it stay visible.
    struct Lines {
        std::array<HWND, 4> line{};
        RECT place{-1, -1, -1, -1};
        UINT placedDpi = 0;
    };
    struct FontEntry {
        std::string family;
        int weight;
        int points;
        HFONT font;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void buildMenus();
    HWND makeStatic(DWORD style, int id);
    void recreateCells();
    void mirror();
    bool mirrorLabel(Shown& shown, const Label& label); // true if its mark changed
    void mirrorOutline(Lines& lines, const Outline& outline);
    void restack();
    void fitClient();
    void changeDpi(UINT dpi);

    int scaled(int pixel) const;
    RECT scaledRect(int left, int top, int width, int height) const;
    HFONT font(const Font& design);
    HBRUSH brush(Rgb color);
    const Shown* shownBy(HWND control) const;
    LRESULT paintStatic(HDC dc, HWND control, WPARAM wParam, LPARAM lParam);

    void keyDown(WPARAM key);
    void keyUp(WPARAM key, bool alt);

    Form1& form_;
    HWND hwnd_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    std::array<Shown, cellCount> cells_{};
    Shown nameof_;
    Shown numMoves_;
    std::array<Lines, 2> frames_{};
    std::vector<FontEntry> fonts_; // all at dpi_
    std::map<Rgb, HBRUSH> brushes_;
    std::bitset<256> down_; // keys whose press the window itself received
    int mirroredLoad_ = -1;
};

} // namespace nudgeboard
