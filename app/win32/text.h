// The core's texts are UTF-8; Windows takes UTF-16.
#pragma once

#include "app/win32/winapi.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace nudgeboard {

inline std::wstring widen(std::string_view text) {
    if (text.empty())
        return {};
    int size = static_cast<int>(std::min<std::size_t>(text.size(), 1 << 20));
    int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    if (length > 0)
        MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
    return wide;
}

} // namespace nudgeboard
