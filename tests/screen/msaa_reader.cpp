// Reads the running game as a screen reader does, from another process through MSAA: finds the
// board below the game window's client object, checks every cell's name, description and
// selection against a copy of the game in this process, presses cells, sends the arrows and
// plays level 1 to its end, where the counter's description gives the result against par.
// Exit status 0 passed, 1 failed, 2 no game window to read.
#include "app/form1.h"
#include "app/spoken.h"
#include "app/win32/commands.h"
#include "app/win32/winapi.h"
#include "solutions.h"

#include <ole2.h>
#include <oleacc.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using nudgeboard::cellCount;
using nudgeboard::Form1;

// This MinGW's import library has the wrong bytes for it.
constexpr GUID accessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

int failures = 0;

void check(bool ok, const std::string& what) {
    if (!ok) {
        std::printf("FAILED: %s\n", what.c_str());
        ++failures;
    }
}

// The events the game raised for its controls' client objects, as a screen reader hears them.
struct Heard {
    DWORD event;
    HWND hwnd;
    LONG child;
    bool operator==(const Heard&) const = default;
};
std::vector<Heard> heard;

void CALLBACK listen(HWINEVENTHOOK, DWORD event, HWND hwnd, LONG object, LONG child, DWORD, DWORD) {
    if (object == OBJID_CLIENT)
        heard.push_back({event, hwnd, child});
}

// Out-of-context events arrive as messages to this thread, a little after their cause.
bool wasHeard(const Heard& wanted) {
    for (int waited = 0; waited < 100; ++waited) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageW(&message);
        if (std::find(heard.begin(), heard.end(), wanted) != heard.end())
            return true;
        Sleep(10);
    }
    return false;
}

VARIANT id(long child) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = child;
    return v;
}

std::string narrow(BSTR text) {
    std::string out;
    for (UINT i = 0; text != nullptr && i < SysStringLen(text); ++i)
        out += text[i] < 128 ? static_cast<char>(text[i]) : '?';
    SysFreeString(text);
    return out;
}

// Calls one of IAccessible's text getters; the text and what the call returned.
template <typename Getter>
std::pair<HRESULT, std::string> textOf(IAccessible* object, Getter getter, long child) {
    BSTR text = nullptr;
    HRESULT hr = (object->*getter)(id(child), &text);
    return {hr, narrow(text)};
}

std::string name(IAccessible* object, long child) {
    return textOf(object, &IAccessible::get_accName, child).second;
}

long numberOf(IAccessible* object,
              HRESULT (STDMETHODCALLTYPE IAccessible::*getter)(VARIANT, VARIANT*), long child) {
    VARIANT out;
    VariantInit(&out);
    HRESULT hr = (object->*getter)(id(child), &out);
    return SUCCEEDED(hr) && out.vt == VT_I4 ? out.lVal : -1;
}

long childCount(IAccessible* object) {
    long count = -1;
    return SUCCEEDED(object->get_accChildCount(&count)) ? count : -1;
}

IAccessible* fromWindow(HWND hwnd, LONG which) {
    void* out = nullptr;
    if (FAILED(AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(which), accessibleIid, &out)))
        return nullptr;
    return static_cast<IAccessible*>(out);
}

// The objects below `object`, as a screen reader walks them: simple elements are skipped.
std::vector<IAccessible*> childObjects(IAccessible* object) {
    long count = childCount(object);
    std::vector<VARIANT> kids(static_cast<std::size_t>(count > 0 ? count : 0));
    long got = 0;
    std::vector<IAccessible*> found;
    if (kids.empty() || FAILED(AccessibleChildren(object, 0, count, kids.data(), &got)))
        return found;
    for (long i = 0; i < got; ++i) {
        VARIANT& kid = kids[static_cast<std::size_t>(i)];
        void* child = nullptr;
        if (kid.vt == VT_DISPATCH && kid.pdispVal != nullptr &&
            SUCCEEDED(kid.pdispVal->QueryInterface(accessibleIid, &child)))
            found.push_back(static_cast<IAccessible*>(child));
        VariantClear(&kid);
    }
    return found;
}

// A child window's object stands for the window's frame; what the window shows is its client
// object, which a screen reader reaches through the window's handle.
IAccessible* clientOf(IAccessible* object) {
    HWND hwnd = nullptr;
    if (FAILED(WindowFromAccessibleObject(object, &hwnd)) || hwnd == nullptr)
        return nullptr;
    return fromWindow(hwnd, OBJID_CLIENT);
}

// The object named `wanted` among the children of `parent` or their client objects; the caller
// owns it.
IAccessible* findNamed(IAccessible* parent, const std::string& wanted) {
    IAccessible* hit = nullptr;
    for (IAccessible* child : childObjects(parent))
        for (IAccessible* candidate : {child, clientOf(child)}) {
            if (candidate != nullptr && hit == nullptr && name(candidate, CHILDID_SELF) == wanted)
                hit = candidate;
            else if (candidate != nullptr)
                candidate->Release();
        }
    return hit;
}

bool selected(IAccessible* board, int k) {
    return (numberOf(board, &IAccessible::get_accState, k + 1) & STATE_SYSTEM_SELECTED) != 0;
}

int selectedCount(IAccessible* board) {
    int n = 0;
    for (int k = 0; k < cellCount; ++k)
        n += selected(board, k);
    return n;
}

int markedCount(const Form1& form) {
    int n = 0;
    for (int k = 0; k < cellCount; ++k)
        n += form.Grid(k).borderStyle == 1;
    return n;
}

// Every cell as the game in this process has it after the same events.
void compare(IAccessible* board, const Form1& form, const std::string& when) {
    for (int k = 0; k < cellCount; ++k) {
        std::string cell = " of cell " + std::to_string(k) + " " + when;
        check(name(board, k + 1) == nudgeboard::cellText(form, k), "name" + cell);
        bool marked = form.Grid(k).borderStyle == 1;
        long state = numberOf(board, &IAccessible::get_accState, k + 1);
        check(state == (marked ? STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_SELECTED : 0),
              "state" + cell);
    }
}

void press(IAccessible* board, Form1& form, int k) {
    check(board->accDoDefaultAction(id(k + 1)) == S_OK, "press of cell " + std::to_string(k));
    form.Grid_Click(k);
}

void arrow(HWND game, Form1& form, int key) {
    // As the keyboard delivers it to the window: a press, then the release.
    SendMessageW(game, WM_KEYDOWN, static_cast<WPARAM>(key), 1);
    SendMessageW(game, WM_KEYUP, static_cast<WPARAM>(key), static_cast<LPARAM>(0xC0000001u));
    form.Form_KeyUp(key, 0);
}

int firstPlayCell(const Form1& form, const std::string& content) {
    for (int k = 0; k < nudgeboard::playCells; ++k)
        if (nudgeboard::cellText(form, k).starts_with(content))
            return k;
    return -1;
}

void checkCellsAtStart(IAccessible* board, const Form1& form) {
    check(childCount(board) == cellCount, "the board has 72 children");
    check(numberOf(board, &IAccessible::get_accRole, 1) == ROLE_SYSTEM_CELL, "cells' role");
    compare(board, form, "at start");
    for (int k : {0, 35, 36, 71})
        check(textOf(board, &IAccessible::get_accDescription, k + 1).second ==
                  nudgeboard::boardName(k),
              "cell " + std::to_string(k) + " says its board");
    check(textOf(board, &IAccessible::get_accDefaultAction, 1).second == "Click",
          "a cell's default action");
    // Ids that name no cell.
    for (long bad : {-1L, 73L, 1000L})
        check(textOf(board, &IAccessible::get_accName, bad).first == E_INVALIDARG,
              "E_INVALIDARG for child id " + std::to_string(bad));
    check(board->accDoDefaultAction(id(73)) == E_INVALIDARG, "no press of child 73");
}

// Each cell's location hits that cell again; and the neighbours across both boards.
void checkPlaces(IAccessible* board) {
    for (int k = 0; k < cellCount; ++k) {
        long x = 0, y = 0, w = 0, h = 0;
        VARIANT hit;
        VariantInit(&hit);
        bool placed = board->accLocation(&x, &y, &w, &h, id(k + 1)) == S_OK && w > 2 && h > 2;
        bool hits = placed && board->accHitTest(x + w / 2, y + h / 2, &hit) == S_OK &&
                    hit.vt == VT_I4 && hit.lVal == k + 1;
        check(hits, "location of cell " + std::to_string(k) + " hits it");
    }
    struct Step {
        long from, direction, to;
    };
    for (Step s : {Step{6, NAVDIR_RIGHT, 37}, Step{37, NAVDIR_LEFT, 6}, Step{1, NAVDIR_DOWN, 7},
                   Step{CHILDID_SELF, NAVDIR_LASTCHILD, 72}}) {
        VARIANT to;
        VariantInit(&to);
        board->accNavigate(s.direction, id(s.from), &to);
        check(to.vt == VT_I4 && to.lVal == s.to,
              "navigation from child " + std::to_string(s.from) + " to " + std::to_string(s.to));
    }
}

// A wall and an empty square select nothing; a piece is selected whole.
void checkPresses(IAccessible* board, Form1& form) {
    int wall = firstPlayCell(form, "wall");
    int empty = firstPlayCell(form, "empty");
    int piece = nudgeboard::testing::levelOneSolution[0].first;
    press(board, form, wall);
    press(board, form, empty);
    check(selectedCount(board) == 0, "a wall and an empty square select nothing");
    HWND control = nullptr;
    WindowFromAccessibleObject(board, &control);
    heard.clear();
    press(board, form, piece);
    check(selected(board, piece) && selectedCount(board) == markedCount(form),
          "the pressed piece is selected, and nothing else");
    for (DWORD event : {EVENT_OBJECT_STATECHANGE, EVENT_OBJECT_SELECTIONADD})
        check(wasHeard({event, control, piece + 1}),
              "event " + std::to_string(event) + " for the pressed piece");
    compare(board, form, "after pressing a piece");
}

// Each step's cells that read differently afterwards are announced as such.
void playLevelOne(HWND game, IAccessible* board, Form1& form) {
    HWND control = nullptr;
    WindowFromAccessibleObject(board, &control);
    int step = 0;
    for (auto [cell, key] : nudgeboard::testing::levelOneSolution) {
        std::array<std::string, cellCount> before;
        for (int k = 0; k < cellCount; ++k)
            before[static_cast<std::size_t>(k)] = nudgeboard::cellText(form, k);
        heard.clear();
        press(board, form, cell);
        arrow(game, form, key);
        std::string when = "after step " + std::to_string(++step);
        compare(board, form, when);
        for (int k = 0; k < cellCount; ++k)
            if (nudgeboard::cellText(form, k) != before[static_cast<std::size_t>(k)])
                check(wasHeard({EVENT_OBJECT_NAMECHANGE, control, k + 1}),
                      "name change of cell " + std::to_string(k) + " " + when);
    }
}

void checkCounter(IAccessible* main, const Form1& form, const std::string& when) {
    IAccessible* counter = findNamed(main, form.numMoves.caption);
    check(counter != nullptr, "the counter \"" + form.numMoves.caption + "\" " + when);
    if (counter == nullptr)
        return;
    auto [hr, words] = textOf(counter, &IAccessible::get_accDescription, CHILDID_SELF);
    check(words == nudgeboard::parWords(form), "counter's description \"" + words + "\" " + when);
    HWND control = nullptr;
    WindowFromAccessibleObject(counter, &control);
    if (!words.empty())
        check(wasHeard({EVENT_OBJECT_DESCRIPTIONCHANGE, control, CHILDID_SELF}),
              "the counter's new description announced");
    counter->Release();
}

// Each level chosen by the game's "Load Level" command reads as the core says; level 1 last.
void checkEveryLevel(HWND game, IAccessible* board, Form1& form) {
    for (int level = 2; level <= nudgeboard::levelCountBuiltIn + 1; ++level) {
        int chosen = level > nudgeboard::levelCountBuiltIn ? 1 : level;
        SendMessageW(game, WM_COMMAND, MAKEWPARAM(nudgeboard::win32::idLevel + chosen, 0), 0);
        form.mnuL_Click(chosen);
        compare(board, form, "on level " + std::to_string(chosen));
    }
}

int run(HWND game) {
    IAccessible* main = fromWindow(game, OBJID_CLIENT);
    if (main == nullptr) {
        std::printf("FAILED: no accessible object for the game window\n");
        return 1;
    }
    Form1 form;
    form.Show();
    IAccessible* board = findNamed(main, "Boards");
    check(board != nullptr, "a \"Boards\" object below the window's client object");
    if (board != nullptr) {
        checkCellsAtStart(board, form);
        checkEveryLevel(game, board, form);
        checkPlaces(board);
        checkCounter(main, form, "at start");
        checkPresses(board, form);
        playLevelOne(game, board, form);
        check(form.Nameof.caption == nudgeboard::solvedCaption, "this copy of the game solved");
        wchar_t shown[64]{};
        GetWindowTextW(FindWindowExW(game, nullptr, L"Static", nullptr), shown, 64);
        check(std::wstring(shown) == L"SOLVED!!", "the game's level name reads SOLVED!!");
        check(!nudgeboard::parWords(form).empty(), "the result in words once solved");
        checkCounter(main, form, "once solved");
        board->Release();
    }
    main->Release();
    std::printf("%s\n", failures == 0 ? "passed" : "failed");
    return failures == 0 ? 0 : 1;
}

} // namespace

int main() {
    HWND game = nullptr;
    // Shown once the window has all its controls.
    for (int tries = 0; (game == nullptr || !IsWindowVisible(game)) && tries < 600; ++tries) {
        game = FindWindowW(L"NudgeboardWindow", L"Nudgeboard");
        if (game == nullptr || !IsWindowVisible(game))
            Sleep(100);
    }
    if (game == nullptr || !IsWindowVisible(game)) {
        std::printf("FAILED: no game window within a minute\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DWORD process = 0;
    GetWindowThreadProcessId(game, &process);
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_DESCRIPTIONCHANGE,
                                         nullptr, listen, process, 0, WINEVENT_OUTOFCONTEXT);
    int status = run(game);
    if (hook != nullptr)
        UnhookWinEvent(hook);
    CoUninitialize();
    return status;
}
