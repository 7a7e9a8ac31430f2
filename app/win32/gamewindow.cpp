// The Win32 window: mirrors the core's controls onto STATIC controls after every event it forwards.
#include "app/win32/gamewindow.h"

#include <algorithm>

namespace nudgeboard {

namespace {

const wchar_t* const windowClass = L"NudgeboardWindow";
constexpr DWORD windowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD windowExStyle = 0;
// Siblings overlap (neighbouring cells by a pixel, outlines over cells): the Z order decides.
constexpr DWORD childStyle = WS_CHILD | WS_CLIPSIBLINGS;

// Command identifiers. Menu commands and cell clicks both arrive as WM_COMMAND; only a
// control's carries its window handle.
constexpr int idCell = 1000; // + cell index
constexpr int idLabel = 1100;
constexpr int idLine = 1200;
constexpr int idLevel = 2000; // + level index
constexpr int idReset = 2100;

std::wstring widen(std::string_view text) {
    if (text.empty())
        return {};
    int size = static_cast<int>(std::min<std::size_t>(text.size(), 1 << 20));
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

// A cell colour is red + 256 * green + 65536 * blue, the layout of a COLORREF.
COLORREF colorRef(Rgb color) {
    return static_cast<COLORREF>(color) & 0xFFFFFFu;
}

// The modifier state the game's key handler takes: Shift 1, Ctrl 2, Alt 4.
int shiftState(bool alt) {
    return (GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
           (alt || GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

bool arrowKey(WPARAM key) {
    return key <= 0xFF && isArrow(static_cast<int>(key));
}

void place(HWND control, const RECT& r) {
    SetWindowPos(control, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void raise(HWND control) {
    SetWindowPos(control, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

// Windows draws a thin border in the window frame colour, dark grey on current systems and
// hardly different from a wall. A cell draws its own mark in black, so it shows on every
// piece colour.
WNDPROC staticProc = nullptr;

// A click is a press and a release of the left button on the same cell, as on the Qt window;
// a static control alone reports the press.
HWND pressedCell = nullptr;

LRESULT CALLBACK cellProc(HWND cell, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: // the second press of a double click: a click of its own
        pressedCell = cell;
        SetCapture(cell);
        return 0;
    case WM_LBUTTONUP: {
        if (pressedCell != cell)
            return 0;
        pressedCell = nullptr;
        ReleaseCapture();
        // Client coordinates; a marked cell's border lies outside its client area, so the
        // whole window rectangle counts.
        POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
        ClientToScreen(cell, &at);
        RECT whole{};
        GetWindowRect(cell, &whole);
        if (PtInRect(&whole, at))
            SendMessageW(GetParent(cell), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(cell), STN_CLICKED),
                         reinterpret_cast<LPARAM>(cell));
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != cell && pressedCell == cell)
            pressedCell = nullptr;
        break;
    default:
        break;
    }
    if (message == WM_NCPAINT && (GetWindowLongPtrW(cell, GWL_STYLE) & WS_BORDER) != 0) {
        RECT r{};
        GetWindowRect(cell, &r);
        OffsetRect(&r, -r.left, -r.top);
        if (HDC dc = GetWindowDC(cell)) {
            FrameRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
            ReleaseDC(cell, dc);
        }
        return 0;
    }
    return CallWindowProcW(staticProc, cell, message, wParam, lParam);
}

} // namespace

GameWindow::GameWindow(Form1& form) : form_(form) {}

GameWindow::~GameWindow() {
    if (hwnd_ != nullptr)
        DestroyWindow(hwnd_);
    // The controls that used them are gone now.
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
    std::wstring title = widen(Form1::title);
    if (CreateWindowExW(windowExStyle, windowClass, title.c_str(), windowStyle | WS_CLIPCHILDREN,
                        CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance,
                        this) == nullptr)
        return false;
    dpi_ = GetDpiForWindow(hwnd_);
    buildMenus();
    nameof_.hwnd = makeStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, idLabel);
    numMoves_.hwnd = makeStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, idLabel + 1);
    for (std::size_t f = 0; f < frames_.size(); ++f)
        for (std::size_t s = 0; s < 4; ++s)
            frames_[f].line[s] = makeStatic(SS_LEFT, idLine + static_cast<int>(4 * f + s));
    form_.Show();
    mirror();
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

HWND GameWindow::makeStatic(DWORD style, int id) {
    return CreateWindowExW(0, L"STATIC", L"", childStyle | style, 0, 0, 0, 0, hwnd_,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                           reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)),
                           nullptr);
}

void GameWindow::recreateCells() {
    // A new load of the window has new cells: every control but cell 0's goes, and each cell
    // the core now holds gets a control of its own, hidden until the mirror shows it.
    for (std::size_t k = 1; k < cells_.size(); ++k) {
        if (cells_[k].hwnd != nullptr)
            DestroyWindow(cells_[k].hwnd);
        cells_[k] = Shown{};
    }
    for (int k = 0; k < CellArray::size; ++k) {
        Shown& cell = cells_[static_cast<std::size_t>(k)];
        if (!form_.Grid.exists(k) || cell.hwnd != nullptr)
            continue;
        cell.hwnd = makeStatic(SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX | SS_NOTIFY, idCell + k);
        if (cell.hwnd == nullptr)
            continue;
        auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(cell.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(cellProc)));
        if (staticProc == nullptr)
            staticProc = previous;
    }
    mirroredLoad_ = form_.loads();
}

void GameWindow::mirror() {
    const bool reloaded = mirroredLoad_ != form_.loads();
    bool restacked = reloaded;
    if (reloaded) {
        // A new set of cells replaces the old one: drawn once when all are in place, or the
        // player sees the boards go blank between the old cells going and the new ones showing.
        SendMessageW(hwnd_, WM_SETREDRAW, FALSE, 0);
        recreateCells();
    }
    for (int k = 0; k < CellArray::size; ++k)
        if (Shown& cell = cells_[static_cast<std::size_t>(k)]; cell.hwnd && form_.Grid.exists(k))
            restacked |= mirrorLabel(cell, form_.Grid(k));
    for (std::size_t f = 0; f < frames_.size(); ++f)
        mirrorOutline(frames_[f], form_.Frame[f]);
    mirrorLabel(nameof_, form_.Nameof);
    mirrorLabel(numMoves_, form_.numMoves);
    if (restacked)
        restack();
    if (reloaded) {
        SendMessageW(hwnd_, WM_SETREDRAW, TRUE, 0);
        RedrawWindow(hwnd_, nullptr, nullptr,
                     RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    }
}

bool GameWindow::mirrorLabel(Shown& shown, const Label& label) {
    RECT core{label.left, label.top, label.width, label.height};
    if (shown.fresh || !EqualRect(&core, &shown.place) || shown.placedDpi != dpi_) {
        place(shown.hwnd, scaledRect(label.left, label.top, label.width, label.height));
        shown.place = core;
        shown.placedDpi = dpi_;
    }
    if (HFONT f = font(label.font); f != shown.font) {
        SendMessageW(shown.hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(f), TRUE);
        shown.font = f;
    }
    if (shown.caption != label.caption) {
        SetWindowTextW(shown.hwnd, widen(label.caption).c_str());
        shown.caption = label.caption;
    }
    if (shown.fresh || shown.back != label.backColor || shown.fore != label.foreColor) {
        shown.back = label.backColor;
        shown.fore = label.foreColor;
        InvalidateRect(shown.hwnd, nullptr, TRUE);
    }
    bool marked = label.borderStyle == 1;
    bool markChanged = marked != shown.marked;
    if (markChanged) {
        // The mark is a one-pixel border, switched like any window's.
        LONG_PTR style = GetWindowLongPtrW(shown.hwnd, GWL_STYLE);
        style = marked ? (style | WS_BORDER) : (style & ~static_cast<LONG_PTR>(WS_BORDER));
        SetWindowLongPtrW(shown.hwnd, GWL_STYLE, style);
        // The client area moves by a pixel: paint it anew rather than shift its old bits.
        SetWindowPos(shown.hwnd, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED |
                         SWP_NOCOPYBITS);
        InvalidateRect(shown.hwnd, nullptr, TRUE);
        shown.marked = marked;
    }
    if (shown.fresh || shown.visible != label.visible) {
        ShowWindow(shown.hwnd, label.visible ? SW_SHOWNA : SW_HIDE);
        shown.visible = label.visible;
    }
    shown.fresh = false;
    return markChanged;
}

void GameWindow::mirrorOutline(Lines& lines, const Outline& outline) {
    RECT core{outline.left, outline.top, outline.width, outline.height};
    if (EqualRect(&core, &lines.place) && lines.placedDpi == dpi_)
        return;
    RECT r = scaledRect(outline.left, outline.top, outline.width, outline.height);
    int width = std::max<int>(r.right - r.left, 1);
    int height = std::max<int>(r.bottom - r.top, 1);
    const RECT sides[4] = {
        {r.left, r.top, r.left + width, r.top + 1},       // top
        {r.left, r.bottom - 1, r.left + width, r.bottom}, // bottom
        {r.left, r.top, r.left + 1, r.top + height},      // left
        {r.right - 1, r.top, r.right, r.top + height},    // right
    };
    for (std::size_t s = 0; s < 4; ++s) {
        place(lines.line[s], sides[s]);
        ShowWindow(lines.line[s], SW_SHOWNA);
    }
    lines.place = core;
    lines.placedDpi = dpi_;
}

void GameWindow::restack() {
    // Neighbours overlap a marked cell by a pixel, so it goes above them for its whole border
    // to show, and the outlines go above every cell, or a raised cell would cut into them.
    // All marked cells rise, not only newly marked ones: a cell that was marked before stays
    // below one that lost its mark but was raised later.
    for (const Shown& cell : cells_)
        if (cell.hwnd != nullptr && cell.marked)
            raise(cell.hwnd);
    for (const Lines& lines : frames_)
        for (HWND line : lines.line)
            raise(line);
}

void GameWindow::fitClient() {
    int width = scaled(Form1::clientWidth - 1) + 1;
    int height = scaled(Form1::clientHeight - 1) + 1;
    RECT frame{0, 0, width, height};
    AdjustWindowRectExForDpi(&frame, windowStyle, TRUE, windowExStyle, dpi_);
    SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // A menu bar that wraps to a second line takes height the calculation did not allow for.
    RECT client{};
    GetClientRect(hwnd_, &client);
    int dw = width - (client.right - client.left);
    int dh = height - (client.bottom - client.top);
    if (dw != 0 || dh != 0)
        SetWindowPos(hwnd_, nullptr, 0, 0, frame.right - frame.left + dw,
                     frame.bottom - frame.top + dh, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void GameWindow::changeDpi(UINT dpi) {
    std::vector<FontEntry> old;
    old.swap(fonts_);
    dpi_ = dpi;
    mirror(); // places every control anew and gives each its font at the new size
    for (const auto& entry : old)
        DeleteObject(entry.font);
}

// Positions scale with the DPI, but in whole steps of the cell pitch plus the scaled
// remainder, so cells keep a pitch one pixel less than their size at any scale.
int GameWindow::scaled(int pixel) const {
    int dpi = static_cast<int>(dpi_);
    return pixel / cellPitch * MulDiv(cellPitch, dpi, USER_DEFAULT_SCREEN_DPI) +
           MulDiv(pixel % cellPitch, dpi, USER_DEFAULT_SCREEN_DPI);
}

// A control covering pixels left .. left + width - 1 covers their scaled places.
RECT GameWindow::scaledRect(int left, int top, int width, int height) const {
    RECT r{scaled(left), scaled(top), scaled(left), scaled(top)};
    if (width > 0)
        r.right = scaled(left + width - 1) + 1;
    if (height > 0)
        r.bottom = scaled(top + height - 1) + 1;
    return r;
}

HFONT GameWindow::font(const Font& design) {
    for (const auto& entry : fonts_)
        if (entry.family == design.family && entry.weight == design.weight &&
            entry.points == design.points)
            return entry.font;
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(design.points, static_cast<int>(dpi_), 72);
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

const GameWindow::Shown* GameWindow::shownBy(HWND control) const {
    if (control == nameof_.hwnd)
        return &nameof_;
    if (control == numMoves_.hwnd)
        return &numMoves_;
    int k = GetDlgCtrlID(control) - idCell;
    if (k >= 0 && k < cellCount && cells_[static_cast<std::size_t>(k)].hwnd == control)
        return &cells_[static_cast<std::size_t>(k)];
    return nullptr;
}

LRESULT GameWindow::paintStatic(HDC dc, HWND control, WPARAM wParam, LPARAM lParam) {
    for (const Lines& lines : frames_)
        if (std::find(lines.line.begin(), lines.line.end(), control) != lines.line.end())
            return reinterpret_cast<LRESULT>(GetStockObject(BLACK_BRUSH));
    const Shown* shown = shownBy(control);
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

void GameWindow::keyDown(WPARAM key) {
    if (key < down_.size())
        down_.set(key); // a held key repeats its press; one release still ends the stroke
}

void GameWindow::keyUp(WPARAM key, bool alt) {
    // Only a stroke that began here counts: the press of a release that belongs to the menu
    // (an Alt tap then arrows, an open "Load Level" list) went to the menu instead.
    if (key >= down_.size() || !down_.test(key))
        return;
    down_.reset(key);
    form_.Form_KeyUp(static_cast<int>(key), shiftState(alt));
    mirror();
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

LRESULT GameWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND: {
        int id = LOWORD(wParam);
        if (lParam != 0) { // from a control: a click on a cell
            int code = HIWORD(wParam);
            int k = id - idCell;
            if (code == STN_CLICKED && form_.Grid.exists(k)) {
                form_.Grid_Click(k);
                mirror();
            }
            return 0;
        }
        if (id == idReset) {
            form_.mnuReset_Click();
            mirror();
        } else {
            for (const auto& item : Form1::levelItems)
                if (id == idLevel + item.index) {
                    form_.mnuL_Click(item.index);
                    mirror();
                }
        }
        return 0;
    }
    case WM_CTLCOLORSTATIC:
        return paintStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam), wParam,
                           lParam);
    case WM_KEYDOWN:
        keyDown(wParam);
        return 0;
    case WM_KEYUP:
        keyUp(wParam, false);
        return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        // Alt held with an arrow makes no difference to the game. Windows still sees the key,
        // so that a key pressed with Alt held cancels the Alt tap that would open the menu bar.
        if (arrowKey(wParam)) {
            if (message == WM_SYSKEYDOWN)
                keyDown(wParam);
            else
                keyUp(wParam, (HIWORD(lParam) & KF_ALTDOWN) != 0);
        }
        break;
    case WM_EXITMENULOOP:
        // The menu took the releases of the keys that went up while it was open.
        for (std::size_t key = 0; key < down_.size(); ++key)
            if (down_.test(key) && GetKeyState(static_cast<int>(key)) >= 0)
                down_.reset(key);
        return 0;
    case WM_KILLFOCUS:
        down_.reset(); // releases now go to another window
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
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

} // namespace nudgeboard
