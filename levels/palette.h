// The palette: which colour each layout character paints, and the two colours play tests for.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nudgeboard {

// A cell colour: red + 256 * green + 65536 * blue, compared only as a whole value.
using Rgb = std::int32_t;

constexpr Rgb RGB(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

constexpr Rgb emptyColor = RGB(0, 0, 0);
constexpr Rgb wallColor = RGB(102, 102, 102);

struct PaletteEntry {
    std::string_view character;
    Rgb color;
};

// In the order loadgridcolor tests them. "*" and "?" share black; only the "?" caption tells
// a wildcard from an empty square.
constexpr std::array<PaletteEntry, 27> palette{{
    {"0", RGB(255, 0, 0)},     {"1", RGB(0, 255, 0)},     {"2", RGB(0, 0, 255)},
    {"3", RGB(255, 0, 255)},   {"4", RGB(255, 255, 0)},   {"5", RGB(0, 255, 255)},
    {"6", RGB(255, 102, 0)},   {"7", RGB(255, 255, 255)}, {"8", RGB(153, 153, 153)},
    {"9", RGB(255, 102, 102)}, {"A", RGB(102, 255, 102)}, {"B", RGB(102, 102, 255)},
    {"C", RGB(102, 255, 0)},   {"D", RGB(0, 255, 102)},   {"E", RGB(0, 102, 255)},
    {"F", RGB(102, 0, 255)},   {"G", RGB(255, 0, 102)},   {"H", RGB(204, 204, 204)},
    {"I", RGB(102, 51, 51)},   {"J", RGB(102, 0, 0)},     {"K", RGB(102, 102, 0)},
    {"L", RGB(0, 102, 0)},     {"M", RGB(0, 102, 102)},   {"N", RGB(0, 0, 102)},
    {"#", wallColor},          {"*", emptyColor},         {"?", emptyColor},
}};

constexpr std::string_view wildcardCaption = "?";

constexpr bool inPalette(char c) {
    for (const auto& entry : palette)
        if (entry.character.size() == 1 && entry.character[0] == c)
            return true;
    return false;
}

// Every piece character must have a colour of its own, distinct from wall and empty.
constexpr bool pieceColorsDistinct() {
    for (std::size_t a = 0; a < 24; ++a) {
        if (palette[a].color == wallColor || palette[a].color == emptyColor)
            return false;
        for (std::size_t b = a + 1; b < 24; ++b)
            if (palette[a].color == palette[b].color)
                return false;
    }
    return true;
}
static_assert(pieceColorsDistinct());

} // namespace nudgeboard
