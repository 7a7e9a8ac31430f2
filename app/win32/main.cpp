// Starts the game: one window, no command line.
#include "app/form1.h"
#include "app/win32/gamewindow.h"

namespace {

int play(HINSTANCE instance, int showCommand) {
    nudgeboard::Form1 form;
    nudgeboard::GameWindow window(form);
    if (!window.open(instance, showCommand)) {
        MessageBoxW(nullptr, L"Nudgeboard could not open its window.", L"Nudgeboard",
                    MB_ICONERROR | MB_OK);
        return 1;
    }
    MSG message{};
    int got = 0;
    while ((got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // Closing the window posts the quit message with status 0.
    return got == 0 ? static_cast<int>(message.wParam) : 1;
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    // Screen readers reach the window's accessible objects through COM; the game plays on
    // without it.
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int status = play(instance, showCommand);
    if (SUCCEEDED(com))
        CoUninitialize();
    return status;
}
