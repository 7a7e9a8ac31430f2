// The palette: which colour each layout character paints, the two colours play tests for, and
// the solved counter's three.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace nudgeboard {

// A cell colour: red + 256 * green + 65536 * blue, compared only as a whole value.
using Rgb = std::int32_t;

constexpr Rgb rgb(int red, int green, int blue) {
    return red + 256 * green + 65536 * blue;
}

constexpr Rgb emptyColor = rgb(0, 0, 0);
constexpr Rgb wallColor = rgb(102, 102, 102);
// The selected piece's mark and the boards' outlines: black shows on every piece colour.
constexpr Rgb lineColor = rgb(0, 0, 0);

// The counter's colour once the level is solved: the moves under, at or over the par.
constexpr Rgb underParCyan = rgb(0, 255, 255);
constexpr Rgb atParGreen = rgb(0, 255, 0);
constexpr Rgb overParRed = rgb(255, 0, 0);

// The same result in words, for a player who does not see the colour.
struct ParShade {
    Rgb color;
    std::string_view words;
};
constexpr std::array<ParShade, 3> parShades{{
    {underParCyan, "under par"},
    {atParGreen, "at par"},
    {overParRed, "over par"},
}};

struct PaletteEntry {
    std::string_view character;
    Rgb color;
    std::string_view name; // what a screen reader calls a piece of this colour
};

// In the order loadgridcolor tests them. "*" and "?" share black; only the "?" caption tells
// a wildcard from an empty square. Wall and empty squares are not pieces and go unnamed.
constexpr std::array<PaletteEntry, 27> palette{{
    {"0", rgb(255, 0, 0), "red"},
    {"1", rgb(0, 255, 0), "green"},
    {"2", rgb(0, 0, 255), "blue"},
    {"3", rgb(255, 0, 255), "magenta"},
    {"4", rgb(255, 255, 0), "yellow"},
    {"5", rgb(0, 255, 255), "cyan"},
    {"6", rgb(255, 102, 0), "orange"},
    {"7", rgb(255, 255, 255), "white"},
    {"8", rgb(153, 153, 153), "grey"},
    {"9", rgb(255, 102, 102), "pink"},
    {"A", rgb(102, 255, 102), "light green"},
    {"B", rgb(102, 102, 255), "light blue"},
    {"C", rgb(102, 255, 0), "lime"},
    {"D", rgb(0, 255, 102), "spring green"},
    {"E", rgb(0, 102, 255), "azure"},
    {"F", rgb(102, 0, 255), "violet"},
    {"G", rgb(255, 0, 102), "rose"},
    {"H", rgb(204, 204, 204), "light grey"},
    {"I", rgb(102, 51, 51), "brown"},
    {"J", rgb(102, 0, 0), "maroon"},
    {"K", rgb(102, 102, 0), "olive"},
    {"L", rgb(0, 102, 0), "dark green"},
    {"M", rgb(0, 102, 102), "teal"},
    {"N", rgb(0, 0, 102), "navy"},
    {"#", wallColor, ""},
    {"*", emptyColor, ""},
    {"?", emptyColor, ""},
}};

constexpr std::string_view wildcardCaption = "?";

// Every entry but the last three ("#", "*", "?") is a piece's colour.
constexpr int pieceColorCount = static_cast<int>(palette.size()) - 3;

constexpr bool inPalette(char c) {
    for (const auto& entry : palette)
        if (entry.character.size() == 1 && entry.character[0] == c)
            return true;
    return false;
}

// Every piece character must have a colour and a name of its own, the colour distinct from wall
// and empty.
constexpr bool pieceColorsDistinct() {
    constexpr auto pieces = static_cast<std::size_t>(pieceColorCount);
    for (std::size_t a = 0; a < pieces; ++a) {
        if (palette[a].color == wallColor || palette[a].color == emptyColor ||
            palette[a].name.empty())
            return false;
        for (std::size_t b = a + 1; b < pieces; ++b)
            if (palette[a].color == palette[b].color || palette[a].name == palette[b].name)
                return false;
    }
    return true;
}
static_assert(pieceColorsDistinct());

} // namespace nudgeboard
