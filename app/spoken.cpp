#include "app/spoken.h"

#include "app/form1.h"

namespace nudgeboard {

namespace {

std::string cellContent(const Label& cell, bool goalBoard) {
    if (goalBoard && cell.caption == wildcardCaption)
        return "any square";
    if (cell.backColor == wallColor)
        return "wall";
    if (cell.backColor == emptyColor)
        return "empty";
    for (int k = 0; k < pieceColorCount; ++k) {
        const PaletteEntry& entry = palette[static_cast<std::size_t>(k)];
        if (cell.backColor == entry.color)
            return std::string(entry.name) + " piece";
    }
    // Only a colour from outside the palette; no level paints one.
    return "piece";
}

} // namespace

std::string cellText(const Form1& form, int index) {
    if (!form.Grid.exists(index))
        return {};
    return cellContent(form.Grid(index), index >= goalOffset) + ", row " +
           std::to_string(rowOf(index) + 1) + ", column " + std::to_string(columnOf(index) + 1);
}

std::string_view parWords(const Form1& form) {
    if (!form.solved || !form.loaded())
        return {};
    for (const ParShade& shade : parShades)
        if (form.numMoves.backColor == shade.color)
            return shade.words;
    return {};
}

std::string counterNews(const Form1& form) {
    if (!form.loaded())
        return {};
    std::string_view par = parWords(form);
    if (par.empty())
        return form.numMoves.caption;
    return std::string(solvedCaption) + " " + std::string(par) + ", " + form.numMoves.caption;
}

} // namespace nudgeboard
