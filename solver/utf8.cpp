// One UTF-8 decoder for the level reader and the table.
#include "solver/utf8.h"

namespace nudgeboard::solver::utf8 {

namespace {

bool in(char32_t c, char32_t from, char32_t to) {
    return c >= from && c <= to;
}

} // namespace

Character first(std::string_view text) {
    if (text.empty())
        return {};
    auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    unsigned char lead = byte(0);
    std::size_t length = lead < 0x80                   ? 1
                         : lead >= 0xC2 && lead < 0xE0 ? 2
                         : lead >= 0xE0 && lead < 0xF0 ? 3
                         : lead >= 0xF0 && lead < 0xF5 ? 4
                                                       : 0;
    if (length == 0 || length > text.size())
        return {};
    char32_t code = length == 1 ? lead : lead & (0x7Fu >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return {};
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    // No overlong forms, no surrogates, nothing past U+10FFFF.
    bool fits = length == 1 || (in(code, 0x80, 0x7FF) && length == 2) ||
                (in(code, 0x800, 0xFFFF) && !in(code, 0xD800, 0xDFFF) && length == 3) ||
                (in(code, 0x10000, 0x10FFFF) && length == 4);
    return fits ? Character{code, length} : Character{};
}

bool printable(char32_t c) {
    bool control = c < 0x20 || in(c, 0x7F, 0x9F);
    bool reorders =
        c == 0x061C || in(c, 0x200E, 0x200F) || in(c, 0x202A, 0x202E) || in(c, 0x2066, 0x2069);
    return !control && !reorders;
}

int columns(char32_t c) {
    if (in(c, 0x0300, 0x036F) || in(c, 0x1AB0, 0x1AFF) || in(c, 0x1DC0, 0x1DFF) ||
        in(c, 0x200B, 0x200F) || in(c, 0x20D0, 0x20FF) || in(c, 0xFE00, 0xFE0F) ||
        in(c, 0xFE20, 0xFE2F))
        return 0;
    bool wide = in(c, 0x1100, 0x115F) || in(c, 0x2E80, 0x303E) || in(c, 0x3041, 0x33FF) ||
                in(c, 0x3400, 0x4DBF) || in(c, 0x4E00, 0x9FFF) || in(c, 0xA000, 0xA4CF) ||
                in(c, 0xAC00, 0xD7A3) || in(c, 0xF900, 0xFAFF) || in(c, 0xFE30, 0xFE4F) ||
                in(c, 0xFF00, 0xFF60) || in(c, 0xFFE0, 0xFFE6) || in(c, 0x1F300, 0x1F64F) ||
                in(c, 0x1F680, 0x1F6FF) || in(c, 0x1F900, 0x1F9FF) || in(c, 0x1FA70, 0x1FAFF) ||
                in(c, 0x20000, 0x3FFFD);
    return wide ? 2 : 1;
}

int columns(std::string_view text) {
    int width = 0;
    while (!text.empty()) {
        Character c = first(text);
        width += c.length == 0 ? 1 : columns(c.code);
        text.remove_prefix(c.length == 0 ? 1 : c.length);
    }
    return width;
}

} // namespace nudgeboard::solver::utf8
