// Putting the current level on the screen, and the catalogue looked up by level number.
#include "app/form1.h"
#include "levels/catalogue.h"

#include <algorithm>

namespace nudgeboard {

namespace {

const Level* builtIn(int level) {
    if (level < 1 || level > levelCountBuiltIn)
        return nullptr;
    return &catalogue[static_cast<std::size_t>(level - 1)];
}

} // namespace

std::string_view Form1::levelName(int level) {
    const Level* l = builtIn(level);
    return l ? l->name : std::string_view{};
}

std::int16_t Form1::levelPar(int level) {
    const Level* l = builtIn(level);
    return l ? l->par : std::int16_t{0};
}

std::string_view Form1::startLayout(int level, int row) {
    const Level* l = builtIn(level);
    return l && row >= 0 && row < boardSide ? l->start[static_cast<std::size_t>(row)]
                                            : std::string_view{};
}

std::string_view Form1::goalLayout(int level, int row) {
    const Level* l = builtIn(level);
    return l && row >= 0 && row < boardSide ? l->goal[static_cast<std::size_t>(row)]
                                            : std::string_view{};
}

void Form1::loadlevel() {
    // Play and goal cell of the same square alternate, row by row.
    for (int row = 0; row < boardSide; ++row) {
        std::string_view start = startLayout(curLevel, row);
        std::string_view goal = goalLayout(curLevel, row);
        for (int column = 0; column < boardSide; ++column) {
            auto col = static_cast<std::size_t>(column);
            loadgridcolor(start.substr(std::min(col, start.size()), 1), cellIndex(row, column));
            loadgridcolor(goal.substr(std::min(col, goal.size()), 1),
                          goalOffset + cellIndex(row, column));
        }
    }
    Nameof.caption = std::string(levelName(curLevel));
    numMoves.caption = counterText(0, levelPar(curLevel));
}

} // namespace nudgeboard
