// The latency floor for the Windows build: a window that repaints its whole client area in the
// other of two colours on every key release, the least a Win32 window can do for a stroke.
#include "app/win32/winapi.h"

#include "app/form1.h"
#include "app/scaling.h"

namespace {

// Both far from black and from each other, so that a single pixel tells them apart.
constexpr COLORREF colors[2] = {RGB(0, 0, 160), RGB(255, 200, 0)};
int shown = 0;

LRESULT CALLBACK floorProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_KEYUP:
    case WM_SYSKEYUP:
        // As the game does: invalidate, then paint before the handler returns.
        shown = 1 - shown;
        InvalidateRect(hwnd, nullptr, FALSE);
        UpdateWindow(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps{};
        HDC dc = BeginPaint(hwnd, &ps);
        HBRUSH brush = CreateSolidBrush(colors[shown]);
        FillRect(dc, &ps.rcPaint, brush);
        DeleteObject(brush);
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = floorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = L"LatencyFloor";
    if (RegisterClassExW(&wc) == 0)
        return 1;
    constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Latency floor", style, CW_USEDEFAULT,
                                CW_USEDEFAULT, 100, 100, nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr)
        return 1;
    // As large as the game's client area.
    int dpi = static_cast<int>(GetDpiForWindow(hwnd));
    nudgeboard::DeviceRect client = nudgeboard::deviceRect(0, 0, nudgeboard::Form1::clientWidth,
                                                           nudgeboard::Form1::clientHeight, dpi);
    RECT frame{0, 0, client.width(), client.height()};
    AdjustWindowRectExForDpi(&frame, style, FALSE, 0, static_cast<UINT>(dpi));
    SetWindowPos(hwnd, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(hwnd, showCommand);
    UpdateWindow(hwnd);
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}
