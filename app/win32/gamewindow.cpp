// The Win32 window: paints both boards on one control of its own and shows the labels on
// STATIC controls, redrawing after every event it forwards exactly what the event changed.
#include "app/win32/gamewindow.h"

#include "app/win32/commands.h"

#include "app/win32/text.h"

#include <commctrl.h>

#include <algorithm>

namespace nudgeboard {

namespace {

const wchar_t* const windowClass = L"NudgeboardWindow";
const wchar_t* const boardClass = L"NudgeboardBoard";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = 0;
constexpr DWORD childStyle = WS_CHILD | WS_CLIPSIBLINGS;

constexpr int idLabel = 1100;
using win32::idLevel;
using win32::idReset;
// Posted to the window to restate its own state after a move (see WM_WINDOWPOSCHANGED).
constexpr UINT restateMessage = WM_APP + 1;

// How a STATIC control with SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX lays out its text, so that
// a cell's caption sits where it sat when each cell was such a control.
constexpr UINT centredText =
    DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX | DT_SINGLELINE | DT_VCENTER;

// A cell colour is red + 256 * green + 65536 * blue, the layout of a COLORREF.
COLORREF colorRef(Rgb color) {
    return static_cast<COLORREF>(color) & 0xFFFFFFu;
}

RECT toRect(const DeviceRect& r) {
    return {r.left, r.top, r.right, r.bottom};
}

bool overlaps(const DeviceRect& r, const RECT& area) {
    return r.left < area.right && area.left < r.right && r.top < area.bottom && area.top < r.bottom;
}

DeviceRect unite(const DeviceRect& a, const DeviceRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

// A line `width` device pixels wide inside the rectangle, on all four sides; the rectangle's
// inside less the line is returned.
RECT lineInside(HDC dc, const DeviceRect& r, int width, HBRUSH brush) {
    int w = std::min({width, r.width(), r.height()});
    const RECT sides[4] = {
        {r.left, r.top, r.right, r.top + w},       // top
        {r.left, r.bottom - w, r.right, r.bottom}, // bottom
        {r.left, r.top, r.left + w, r.bottom},     // left
        {r.right - w, r.top, r.right, r.bottom},   // right
    };
    for (const RECT& side : sides)
        FillRect(dc, &side, brush);
    return {r.left + w, r.top + w, r.right - w, r.bottom - w};
}

} // namespace

GameWindow::GameWindow(Form1& form) : form_(form) {}

GameWindow::~GameWindow() {
    accessibility_.reset();
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    // The controls that used them are gone now.
    if (bufferDc_ != nullptr) {
        SelectObject(bufferDc_, bufferWas_);
        DeleteDC(bufferDc_);
    }
    if (buffer_ != nullptr)
        DeleteObject(buffer_);
    for (const auto& entry : fonts_)
        DeleteObject(entry.font);
    for (const auto& [color, handle] : brushes_)
        DeleteObject(handle);
}

bool GameWindow::open(HINSTANCE instance, int showCommand) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = windowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = windowClass;
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    // The board paints every pixel itself: no background to erase first, no double clicks (the
    // second press of one is a click of its own).
    WNDCLASSEXW bc{};
    bc.cbSize = sizeof bc;
    bc.lpfnWndProc = boardProc;
    bc.hInstance = instance;
    bc.hCursor = wc.hCursor;
    bc.lpszClassName = boardClass;
    if (RegisterClassExW(&bc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;

    std::wstring title = widen(Form1::title);
    if (CreateWindowExW(windowExStyle, windowClass, title.c_str(), windowStyle | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance,
                        this) == nullptr)
        return false;
    dpi_ = GetDpiForWindow(hwnd_);
    buildMenus();
    board_ = CreateWindowExW(0, boardClass, L"", childStyle | WS_VISIBLE, 0, 0, 0, 0, hwnd_,
                             nullptr, instance, this);
    if (board_ == nullptr)
        return false;
    nameof_.hwnd = makeLabel(idLabel);
    numMoves_.hwnd = makeLabel(idLabel + 1);
    // The counter's text stays Windows' own; the subclass only adds its accessible object.
    SetWindowSubclass(numMoves_.hwnd, counterProc, 0, reinterpret_cast<DWORD_PTR>(this));
    accessibility_ = std::make_unique<Accessibility>(
        Accessibility::Window{&form_, hwnd_, board_, numMoves_.hwnd, [this] { return dpi(); },
                              [this](int k) { click(k); }});
    form_.Show();
    refresh();
    fitClient();
    ShowWindow(hwnd_, showCommand);
    UpdateWindow(hwnd_);
    return true;
}

void GameWindow::buildMenus() {
    HMENU bar = CreateMenu();
    HMENU loadLevel = CreatePopupMenu();
    for (const auto& item : Form1::levelItems)
        AppendMenuW(loadLevel, MF_STRING, static_cast<UINT_PTR>(idLevel + item.index),
                    widen(item.caption).c_str());
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(loadLevel),
                widen(Form1::loadLevelCaption).c_str());
    // A command on the bar itself, with no drop-down list.
    AppendMenuW(bar, MF_STRING, static_cast<UINT_PTR>(idReset),
                widen(Form1::resetEntry.caption).c_str());
    SetMenu(hwnd_, bar);
}

HWND GameWindow::makeLabel(int id) {
    return CreateWindowExW(0, L"STATIC", L"", childStyle | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                           0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                           nullptr);
}

void GameWindow::refresh() {
    Changes changes = shown_.update(form_);
    if (!changes.any())
        return;
    if (changes.newLoad || changes.frames)
        placeBoard();
    if (changes.frames)
        InvalidateRect(board_, nullptr, FALSE);
    // A cell paints only inside its own rectangle, its mark too, so its rectangle holds every
    // pixel its change can reach, the line it shares with a neighbour included.
    for (int k = 0; k < cellCount; ++k) {
        if (!changes.cells.test(static_cast<std::size_t>(k)))
            continue;
        auto& painted = painted_[static_cast<std::size_t>(k)];
        std::optional<DeviceRect> now = cellRect(k);
        if (painted)
            invalidate(*painted);
        if (now && now != painted)
            invalidate(*now);
        painted = now;
    }
    if (changes.nameof)
        refreshLabel(nameof_, form_.Nameof);
    if (changes.numMoves)
        refreshLabel(numMoves_, form_.numMoves);
    // On the screen now, not when the message queue next runs dry.
    RedrawWindow(hwnd_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (accessibility_)
        accessibility_->announce(changes);
}

void GameWindow::refreshLabel(LabelControl& shown, const Label& label) {
    DeviceRect r = device(label.left, label.top, label.width, label.height);
    if (shown.placed != r) {
        SetWindowPos(shown.hwnd, nullptr, r.left, r.top, r.width(), r.height(),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        shown.placed = r;
    }
    if (HFONT f = font(label.font); f != shown.font) {
        SendMessageW(shown.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
        shown.font = f;
    }
    SetWindowTextW(shown.hwnd, widen(label.caption).c_str());
    if (shown.back != label.backColor || shown.fore != label.foreColor) {
        shown.back = label.backColor;
        shown.fore = label.foreColor;
        InvalidateRect(shown.hwnd, nullptr, TRUE);
    }
    bool visible = (GetWindowLongPtrW(shown.hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    if (visible != label.visible)
        ShowWindow(shown.hwnd, label.visible ? SW_SHOWNA : SW_HIDE);
}

void GameWindow::placeBoard() {
    std::optional<DeviceRect> all;
    auto add = [&all](const DeviceRect& r) { all = all ? unite(*all, r) : r; };
    for (const Outline& o : form_.Frame)
        add(device(o.left, o.top, o.width, o.height));
    for (int k = 0; k < cellCount; ++k)
        if (auto r = cellRect(k))
            add(*r);
    DeviceRect r = all.value_or(DeviceRect{0, 0, 0, 0});
    if (r == boardRect_ && bufferDc_ != nullptr)
        return;
    boardRect_ = r;
    SetWindowPos(board_, nullptr, r.left, r.top, r.width(), r.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    if (bufferDc_ != nullptr) {
        SelectObject(bufferDc_, bufferWas_);
        DeleteDC(bufferDc_);
        DeleteObject(buffer_);
        bufferDc_ = nullptr;
        buffer_ = nullptr;
    }
    if (HDC screen = GetDC(board_)) {
        bufferDc_ = CreateCompatibleDC(screen);
        buffer_ = CreateCompatibleBitmap(screen, std::max(r.width(), 1), std::max(r.height(), 1));
        ReleaseDC(board_, screen);
    }
    if (bufferDc_ != nullptr && buffer_ != nullptr) {
        bufferWas_ = SelectObject(bufferDc_, buffer_);
        // The bitmap's pixel 0, 0 is the board's corner; everything paints in client pixels.
        SetViewportOrgEx(bufferDc_, -r.left, -r.top, nullptr);
    } else if (bufferDc_ != nullptr) {
        DeleteDC(bufferDc_);
        bufferDc_ = nullptr;
    }
    InvalidateRect(board_, nullptr, FALSE);
}

void GameWindow::invalidate(const DeviceRect& r) {
    RECT onBoard = toRect(r);
    OffsetRect(&onBoard, -boardRect_.left, -boardRect_.top);
    InvalidateRect(board_, &onBoard, FALSE);
}

std::optional<DeviceRect> GameWindow::cellRect(int k) const {
    if (!form_.Grid.exists(k) || !form_.Grid(k).visible)
        return std::nullopt;
    const Label& cell = form_.Grid(k);
    return device(cell.left, cell.top, cell.width, cell.height);
}

void GameWindow::paintBoard(HDC dc, const RECT& area) {
    SaveDC(dc);
    IntersectClipRect(dc, area.left, area.top, area.right, area.bottom);
    FillRect(dc, &area, GetSysColorBrush(COLOR_BTNFACE));
    const BoardPicture picture = boardPicture(form_, dpi());
    for (const PaintedCell& cell : picture.cells())
        if (overlaps(cell.rect, area))
            paintCell(dc, cell, picture.line);
    for (const DeviceRect& o : picture.outlines)
        lineInside(dc, o, picture.line, brush(lineColor));
    RestoreDC(dc, -1);
}

void GameWindow::paintCell(HDC dc, const PaintedCell& cell, int line) {
    RECT inside = toRect(cell.rect);
    FillRect(dc, &inside, brush(cell.fill));
    if (cell.marked)
        inside = lineInside(dc, cell.rect, line, brush(lineColor));
    if (cell.caption.empty())
        return;
    HGDIOBJ was = SelectObject(dc, font(*cell.font));
    SetTextColor(dc, colorRef(cell.captionColor));
    SetBkMode(dc, TRANSPARENT);
    std::wstring text = widen(cell.caption);
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &inside, centredText);
    SelectObject(dc, was);
}

int GameWindow::cellAt(POINT at) const {
    return nudgeboard::cellAt(boardPicture(form_, dpi()), at.x, at.y);
}

void GameWindow::fitClient() {
    DeviceRect client = device(0, 0, Form1::clientWidth, Form1::clientHeight);
    RECT frame{0, 0, client.width(), client.height()};
    AdjustWindowRectExForDpi(&frame, windowStyle, TRUE, windowExStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps to a second line takes height the calculation did not allow for.
    RECT got{};
    GetClientRect(hwnd_, &got);
    int dw = client.width() - (got.right - got.left);
    int dh = client.height() - (got.bottom - got.top);
    if (dw != 0 || dh != 0)
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + dw,
                     frame.bottom - frame.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameWindow::changeDpi(UINT dpi) {
    std::vector<FontEntry> old;
    old.swap(fonts_);
    dpi_ = dpi;
    shown_.invalidate(); // everything is drawn anew at the new size
    painted_ = {};
    refresh(); // places every control anew and gives each label its font at the new size
    for (const auto& entry : old)
        DeleteObject(entry.font);
}

HFONT GameWindow::font(const Font& design) {
    for (const auto& entry : fonts_)
        if (entry.family == design.family && entry.weight == design.weight &&
            entry.points == design.points)
            return entry.font;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(design.points, dpi(), 72);
    lf.lfWeight = design.weight;
    lf.lfCharSet = ANSI_CHARSET;
    lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
    lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = DEFAULT_PITCH | FF_DONTCARE;
    std::wstring family = widen(design.family).substr(0, LF_FACESIZE - 1);
    std::copy(family.begin(), family.end(), lf.lfFaceName);
    HFONT created = CreateFontIndirectW(&lf);
    if (created == nullptr)
        return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    fonts_.push_back({std::string(design.family), design.weight, design.points, created});
    return created;
}

HBRUSH GameWindow::brush(Rgb color) {
    auto [it, added] = brushes_.try_emplace(color, nullptr);
    if (added)
        it->second = CreateSolidBrush(colorRef(color));
    return it->second;
}

LRESULT GameWindow::labelColors(HDC dc, HWND control, WPARAM wParam, LPARAM lParam) {
    const LabelControl* shown = control == nameof_.hwnd     ? &nameof_
                                : control == numMoves_.hwnd ? &numMoves_
                                                            : nullptr;
    if (shown == nullptr)
        return DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, wParam, lParam);
    // An unset colour is the system's standard control colour.
    LRESULT result = 0;
    if (shown->back) {
        SetBkColor(dc, colorRef(*shown->back));
        result = reinterpret_cast<LRESULT>(brush(*shown->back));
    } else {
        result = DefWindowProcW(hwnd_, WM_CTLCOLORSTATIC, wParam, lParam);
    }
    SetTextColor(dc, shown->fore ? colorRef(*shown->fore) : GetSysColor(COLOR_WINDOWTEXT));
    SetBkMode(dc, TRANSPARENT);
    return result;
}

void GameWindow::click(int k) {
    form_.Grid_Click(k);
    refresh();
}

void GameWindow::keyUp(WPARAM key) {
    if (!strokes_.released(static_cast<int>(key), menuHasKeyboard_))
        return;
    form_.Form_KeyUp(static_cast<int>(key), 0); // the game reads no modifier state
    refresh();
}

LRESULT CALLBACK GameWindow::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<GameWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<GameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->hwnd_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handle(message, wParam, lParam);
}

LRESULT CALLBACK GameWindow::boardProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE)
        SetWindowLongPtrW(
            hwnd, GWLP_USERDATA,
            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    auto* self = reinterpret_cast<GameWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self == nullptr || hwnd != self->board_ || message == WM_NCDESTROY) {
        if (message == WM_NCDESTROY && self != nullptr)
            self->board_ = nullptr;
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
    return self->handleBoard(message, wParam, lParam);
}

LRESULT CALLBACK GameWindow::counterProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    auto* window = reinterpret_cast<GameWindow*>(self);
    if (message == WM_GETOBJECT && window->accessibility_)
        return window->accessibility_->counterObject(wParam, lParam);
    if (message == WM_NCDESTROY)
        RemoveWindowSubclass(hwnd, counterProc, 0);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

LRESULT GameWindow::handleBoard(UINT message, WPARAM wParam, LPARAM lParam) {
    // Mouse positions on the board, as client pixels of the window.
    auto at = [this, lParam] {
        return POINT{static_cast<short>(LOWORD(lParam)) + boardRect_.left,
                     static_cast<short>(HIWORD(lParam)) + boardRect_.top};
    };
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(board_, &ps);
        RECT area = ps.rcPaint;
        OffsetRect(&area, boardRect_.left, boardRect_.top);
        if (bufferDc_ != nullptr) {
            paintBoard(bufferDc_, area);
            BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
                   ps.rcPaint.bottom - ps.rcPaint.top, bufferDc_, area.left, area.top, SRCCOPY);
        } else { // no memory for the bitmap: straight onto the screen
            SetViewportOrgEx(dc, -boardRect_.left, -boardRect_.top, nullptr);
            paintBoard(dc, area);
        }
        EndPaint(board_, &ps);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1; // the painting covers every pixel
    case WM_LBUTTONDOWN:
        pressedCell_ = cellAt(at());
        if (pressedCell_ >= 0)
            SetCapture(board_);
        return 0;
    case WM_LBUTTONUP: {
        int k = pressedCell_;
        if (k < 0)
            return 0;
        pressedCell_ = -1;
        ReleaseCapture();
        if (cellAt(at()) == k) // the cell pressed is the cell on top where it is released
            click(k);
        return 0;
    }
    case WM_CAPTURECHANGED:
        pressedCell_ = -1;
        return 0;
    case WM_GETOBJECT:
        if (accessibility_)
            return accessibility_->boardObject(wParam, lParam);
        break;
    default:
        break;
    }
    return DefWindowProcW(board_, message, wParam, lParam);
}

void GameWindow::menuCommand(int id) {
    if (id == idReset) {
        form_.mnuReset_Click();
        refresh();
        return;
    }
    for (const auto& item : Form1::levelItems)
        if (id == idLevel + item.index) {
            form_.mnuL_Click(item.index);
            refresh();
        }
}

LRESULT GameWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam == 0) // from a control otherwise; the labels send nothing we act on
            menuCommand(LOWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
        return labelColors(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), wParam,
                           lParam);
    case WM_KEYDOWN:
        // A held key repeats its press: still one stroke.
        strokes_.pressed(static_cast<int>(wParam));
        return 0;
    case WM_KEYUP:
        keyUp(wParam);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Alt held with an arrow makes no difference to the game. Windows still sees the key,
        // so that a key pressed with Alt held cancels the Alt tap that would open the menu bar.
        if (wParam <= 0xFF && isArrow(static_cast<int>(wParam))) {
            if (message == WM_SYSKEYDOWN)
                strokes_.pressed(static_cast<int>(wParam));
            else
                keyUp(wParam);
        }
        break;
    case WM_ENTERMENULOOP:
        menuHasKeyboard_ = true;
        break;
    case WM_EXITMENULOOP:
        // The menu took the releases of the keys that went up while it was open.
        menuHasKeyboard_ = false;
        strokes_.menuClosed([](int key) { return GetKeyState(key) < 0; });
        return 0;
    case WM_KILLFOCUS:
        strokes_.forgetAll(); // releases now go to another window
        break;
    case WM_DPICHANGED: {
        changeDpi(HIWORD(wParam));
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                     suggested->right - suggested->left, suggested->bottom - suggested->top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        fitClient(); // the cells' own rounding may want a pixel more or less
        return 0;
    }
    case WM_WINDOWPOSCHANGED: {
        // The window has one size and is never full screen. A window manager that makes it full
        // screen anyway takes its frame away, which leaves the caption above the screen's top;
        // the window then states its own state again (not full screen) at its last place, and
        // the manager gives it back its frame.
        const auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if ((pos->flags & SWP_NOMOVE) == 0) {
            if (pos->y < 0 && pos->x <= 0)
                PostMessageW(hwnd_, restateMessage, 0, 0);
            else
                place_ = {pos->x, pos->y};
        }
        break;
    }
    case restateMessage:
        SetWindowPos(hwnd_, nullptr, place_.x, place_.y, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace nudgeboard
