// The Win32 window: shows the core's controls (both boards on one control of ours) and forwards
// the five events.
#pragma once

#include "app/win32/winapi.h"

#include "app/win32/accessible.h"

#include "app/changes.h"
#include "app/form1.h"
#include "app/picture.h"
#include "app/scaling.h"
#include "app/strokes.h"

#include <array>
#include <map>
#include <memory>
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
    // A text label on a STATIC control, and what that control was last given.
    struct LabelControl {
        HWND hwnd = nullptr;
        std::optional<DeviceRect> placed;
        HFONT font = nullptr;
        std::optional<Rgb> back;
        std::optional<Rgb> fore;
    };
    struct FontEntry {
        std::string family;
        int weight;
        int points;
        HFONT font;
    };

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK boardProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK counterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR id, DWORD_PTR self);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handleBoard(UINT message, WPARAM wParam, LPARAM lParam);

    void buildMenus();
    HWND makeLabel(int id);
    void refresh();
    void refreshLabel(LabelControl& shown, const Label& label);
    void placeBoard();
    void invalidate(const DeviceRect& r);
    void paintBoard(HDC dc, const RECT& area);
    void paintCell(HDC dc, const PaintedCell& cell, int line);
    std::optional<DeviceRect> cellRect(int k) const; // none for a cell not shown
    int cellAt(POINT at) const;                      // -1 where no cell is
    void fitClient();
    void changeDpi(UINT dpi);

    int dpi() const { return static_cast<int>(dpi_); }
    DeviceRect device(int left, int top, int width, int height) const {
        return deviceRect(left, top, width, height, dpi());
    }
    HFONT font(const Font& design);
    HBRUSH brush(Rgb color);
    LRESULT labelColors(HDC dc, HWND control, WPARAM wParam, LPARAM lParam);

    void click(int k); // a mouse click on the cell, or a screen reader's press of it
    void keyUp(WPARAM key);
    void menuCommand(int id); // "Load Level"'s items and "Reset"

    Form1& form_;
    HWND hwnd_ = nullptr;
    HWND board_ = nullptr;
    UINT dpi_ = USER_DEFAULT_SCREEN_DPI;
    ShownControls shown_;
    KeyStrokes strokes_;
    bool menuHasKeyboard_ = false;
    POINT place_{}; // where the window last stood on the screen as itself, not full screen
    LabelControl nameof_;
    LabelControl numMoves_;
    // The board control covers every cell and both outlines; it paints into a bitmap of its
    // size first, so that no stage of a repaint reaches the screen.
    DeviceRect boardRect_{0, 0, 0, 0}; // in the client area
    HDC bufferDc_ = nullptr;
    HBITMAP buffer_ = nullptr;
    HGDIOBJ bufferWas_ = nullptr;
    std::array<std::optional<DeviceRect>, cellCount> painted_{}; // where each cell was drawn
    int pressedCell_ = -1;         // a click is a press and a release on the same cell
    std::vector<FontEntry> fonts_; // all at dpi_
    std::map<Rgb, HBRUSH> brushes_;
    std::unique_ptr<Accessibility> accessibility_; // once the controls exist
};

} // namespace nudgeboard
