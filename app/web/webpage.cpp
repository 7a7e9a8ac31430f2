// The browser page: shows the core's controls as page elements and forwards the five events.
#include "app/changes.h"
#include "app/form1.h"
#include "app/keys.h"
#include "app/menus.h"
#include "app/picture.h"
#include "app/scaling.h"
#include "app/spoken.h"
#include "app/strokes.h"
#include "app/swipe.h"
#include "play/arrows.h"

#include <emscripten/emscripten.h>

#include <string>

// The page's side (page.js): it owns the elements and the menus, and reports input back here.
extern "C" {
int page_dpi();
int page_room_width();
int page_room_height();
void page_title(const char* title);
void page_window(int barHeight, int width, int height, int dpi);
void page_board(int board, const char* name);
void page_menu_bar(const char* loadLevel, const char* reset);
void page_menu_item(int index, const char* caption);
void page_drop_cells();
void page_drop_cell(int k);
void page_cell(int k, int left, int top, int width, int height, int back, int fore,
               const char* caption, int markLine, int layer, int visible, const char* family,
               int weight, int points, int board, int row, const char* spoken);
void page_label(int which, int left, int top, int width, int height, int back, int fore,
                const char* caption, int visible, const char* family, int weight, int points);
void page_announce(const char* text);
void page_frame(int f, int left, int top, int width, int height, int line, int layer);
void page_menus(int mode, int entry, int item);
void page_listen();
}

namespace nudgeboard {
namespace {

Form1 form;
ShownControls shown;
KeyStrokes strokes;
Fingers fingers;
MenuWalk menus{levelCountBuiltIn};
int dpi = designDpi;
// The page's menu bar, in design pixels.
constexpr int menuBarHeight = 20;

int color(const std::optional<Rgb>& c) {
    return c ? *c : -1; // -1: the page's own control colour
}

std::string text(std::string_view s) {
    return std::string(s);
}

void showLabel(int which, const Label& label) {
    DeviceRect r = deviceRect(label.left, label.top, label.width, label.height, dpi);
    page_label(which, r.left, r.top, r.width(), r.height(), color(label.backColor),
               color(label.foreColor), label.caption.c_str(), label.visible,
               text(label.font.family).c_str(), label.font.weight, label.font.points);
}

// What a screen reader says at once, over the counter's polite turn: "SOLVED!!" with the result
// against par and the counter once the level is solved, nothing before.
std::string announcement() {
    return parWords(form).empty() ? std::string() : counterNews(form);
}

// Makes the page show what the core's controls hold now, touching only what changed.
void refresh() {
    Changes changes = shown.update(form);
    if (changes.newLoad)
        page_drop_cells(); // the new load's cells are new controls
    for (int k = 0; k < CellArray::size; ++k) {
        if (!changes.cells.test(static_cast<std::size_t>(k)))
            continue;
        if (!form.Grid.exists(k)) {
            page_drop_cell(k);
            continue;
        }
        const Label& cell = form.Grid(k);
        DeviceRect r = deviceRect(cell.left, cell.top, cell.width, cell.height, dpi);
        page_cell(k, r.left, r.top, r.width(), r.height(), color(cell.backColor),
                  color(cell.foreColor), cell.caption.c_str(),
                  cell.borderStyle == 1 ? deviceLine(dpi) : 0, paintLayer(k, cell.borderStyle == 1),
                  cell.visible, text(cell.font.family).c_str(), cell.font.weight, cell.font.points,
                  k / goalOffset, rowOf(k), cellText(form, k).c_str());
    }
    if (changes.nameof)
        showLabel(0, form.Nameof);
    if (changes.numMoves)
        showLabel(1, form.numMoves);
    if (changes.nameof || changes.numMoves)
        page_announce(announcement().c_str());
    if (changes.frames)
        for (int f = 0; f < 2; ++f) {
            const Outline& o = form.Frame[static_cast<std::size_t>(f)];
            DeviceRect r = deviceRect(o.left, o.top, o.width, o.height, dpi);
            page_frame(f, r.left, r.top, r.width(), r.height(), deviceLine(dpi), outlineLayer);
        }
}

// Draws the menus as they stand, then carries out what they chose.
void menusDid(MenuWalk::Command command) {
    page_menus(static_cast<int>(menus.mode()), menus.entry(), menus.item());
    if (command.kind == MenuWalk::Command::Kind::LoadLevel)
        form.mnuL_Click(command.level);
    else if (command.kind == MenuWalk::Command::Kind::Reset)
        form.mnuReset_Click();
    else
        return;
    refresh();
}

// On a phone or tablet the page gives the room the window may fill, and the window is scaled to
// fill it whole; elsewhere the room is 0 and the window keeps the display's own scale.
int layoutDpi() {
    int width = page_room_width();
    int height = page_room_height();
    if (width > 0 && height > 0)
        return fittingDpi(menuBarHeight, Form1::clientWidth, Form1::clientHeight, width, height);
    return page_dpi();
}

void layout() {
    dpi = layoutDpi();
    DeviceRect client = deviceRect(0, 0, Form1::clientWidth, Form1::clientHeight, dpi);
    page_window(roundedScale(menuBarHeight, dpi), client.width(), client.height(), dpi);
    shown.invalidate();
    refresh();
}

bool gameKey(int key) {
    return isArrow(key) || key == vkAlt || key == vkF10 || key == vkSpace;
}

} // namespace
} // namespace nudgeboard

using namespace nudgeboard;

// The page's input, as the game's events; what each one changed is shown at once.
extern "C" {

// Each returns whether the key is the game's alone, so that the page keeps it from the browser:
// arrows never scroll, Alt and F10 never open the browser's own menus, Space never scrolls, and
// a key that goes down while a menu has the keyboard is the menu's.
EMSCRIPTEN_KEEPALIVE int nb_key_down(int key) {
    bool menuKey = menus.hasKeyboard();
    // A key that goes down while a menu has the keyboard walks the menu, never the board.
    if (!menuKey)
        strokes.pressed(key);
    menusDid(menus.keyDown(key));
    return menuKey || gameKey(key);
}

EMSCRIPTEN_KEEPALIVE int nb_key_up(int key) {
    if (strokes.released(key, menus.hasKeyboard())) {
        form.Form_KeyUp(key, 0); // the game reads no modifier state
        refresh();
    }
    menus.keyUp(key);
    menusDid({});
    return gameKey(key);
}

EMSCRIPTEN_KEEPALIVE void nb_forget_keys() {
    strokes.forgetAll();
}

// The cell on top at a device pixel of the client area, or -1: the page asks, so that a click
// on a line two cells share picks the same cell as on the desktop.
EMSCRIPTEN_KEEPALIVE int nb_cell_at(int x, int y) {
    return cellAt(boardPicture(form, dpi), x, y);
}

EMSCRIPTEN_KEEPALIVE void nb_click(int index) {
    form.Grid_Click(index);
    refresh();
}

// Fingers on the client area, at device pixels of it. A touch closes the menus as a press does;
// one that closed an open menu is nothing more.
EMSCRIPTEN_KEEPALIVE void nb_finger_down(int x, int y) {
    bool menuOpen = menus.hasKeyboard();
    fingers.down(x, y);
    menus.close();
    menusDid({});
    if (menuOpen)
        fingers.spoil();
}

// A finger lifted: a swipe is one stroke of its arrow, as a released key; a tap is a click if it
// touched and lifted on one cell.
EMSCRIPTEN_KEEPALIVE void nb_finger_up(int x, int y) {
    Gesture gesture = fingers.up(x, y, dpi);
    if (gesture.kind == Gesture::Kind::Swipe && !menus.hasKeyboard()) {
        form.Form_KeyUp(gesture.key, 0);
        refresh();
    } else if (gesture.kind == Gesture::Kind::Tap) {
        BoardPicture picture = boardPicture(form, dpi);
        int cell = cellAt(picture, gesture.startX, gesture.startY);
        if (cell >= 0 && cell == cellAt(picture, gesture.endX, gesture.endY))
            nb_click(cell);
    }
}

EMSCRIPTEN_KEEPALIVE void nb_finger_lost() {
    fingers.lost();
}

EMSCRIPTEN_KEEPALIVE void nb_menu_press_load_level() {
    menus.pressLoadLevel();
    menusDid({});
}

EMSCRIPTEN_KEEPALIVE void nb_menu_press_reset() {
    menus.pressReset();
    menusDid({});
}

EMSCRIPTEN_KEEPALIVE void nb_menu_hover(int item, int over) {
    menus.hoverItem(item, over != 0);
    menusDid({});
}

EMSCRIPTEN_KEEPALIVE void nb_menu_choose_item(int item) {
    menusDid(menus.chooseItem(item));
}

EMSCRIPTEN_KEEPALIVE void nb_menu_choose_reset() {
    menusDid(menus.chooseReset());
}

EMSCRIPTEN_KEEPALIVE void nb_menu_close() {
    menus.close();
    menusDid({});
}

// The display scale or the room changed (the page was zoomed or moved to another screen, the
// phone turned): the window is drawn afresh, the game as it was.
EMSCRIPTEN_KEEPALIVE void nb_rescale() {
    layout();
}
}

int main() {
    page_title(text(Form1::title).c_str());
    for (int board = 0; board < 2; ++board)
        page_board(board, text(boardName(board * goalOffset)).c_str());
    page_menu_bar(text(Form1::loadLevelCaption).c_str(), text(Form1::resetEntry.caption).c_str());
    for (const auto& item : Form1::levelItems)
        page_menu_item(item.index, text(item.caption).c_str());
    menusDid({});
    form.Show();
    layout();
    page_listen();
    return 0;
}
