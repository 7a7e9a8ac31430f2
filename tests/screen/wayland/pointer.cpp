// A mouse for the on-screen tests under a Wayland compositor that has none: a virtual pointer
// (wlroots' protocol) driven by lines on standard input, each answered with "ok" once the
// compositor has handled it.
//   move X Y WIDTH HEIGHT   to screen pixel X, Y of a screen WIDTH by HEIGHT pixels
//   down | up               the left button
#include "virtual-pointer-client.h"

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>
#include <wayland-client.h>

namespace {

constexpr std::uint32_t leftButton = 0x110; // BTN_LEFT

struct Globals {
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
            std::uint32_t) {
    if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        static_cast<Globals*>(data)->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener registryListener = {global, globalRemove};

std::uint32_t now() {
    auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

// Carries out one line; false if it is no command.
bool perform(zwlr_virtual_pointer_v1* pointer, const std::string& line) {
    std::istringstream words(line);
    std::string command;
    words >> command;
    if (command == "move") {
        std::uint32_t x = 0, y = 0, width = 0, height = 0;
        if (!(words >> x >> y >> width >> height) || x >= width || y >= height)
            return false;
        zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y, width, height);
    } else if (command == "down" || command == "up") {
        zwlr_virtual_pointer_v1_button(pointer, now(), leftButton,
                                       command == "down" ? WL_POINTER_BUTTON_STATE_PRESSED
                                                         : WL_POINTER_BUTTON_STATE_RELEASED);
    } else {
        return false;
    }
    zwlr_virtual_pointer_v1_frame(pointer);
    return true;
}

} // namespace

int main() {
    wl_display* display = wl_display_connect(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "pointer: no Wayland display\n");
        return 1;
    }
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (globals.manager == nullptr) {
        std::fprintf(stderr, "pointer: the compositor offers no virtual pointer\n");
        return 1;
    }
    // One pointer for the whole run: the seat keeps its pointer, and the game its wl_pointer.
    zwlr_virtual_pointer_v1* pointer =
        zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, nullptr);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!perform(pointer, line)) {
            std::fprintf(stderr, "pointer: not a command: %s\n", line.c_str());
            return 2;
        }
        if (wl_display_roundtrip(display) < 0) {
            std::fprintf(stderr, "pointer: the compositor went away\n");
            return 1;
        }
        std::cout << "ok" << std::endl;
    }
    wl_display_disconnect(display);
    return 0;
}
