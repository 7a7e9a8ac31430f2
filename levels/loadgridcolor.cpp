// Painting one cell from one layout character.
#include "app/form1.h"
#include "levels/palette.h"

namespace nudgeboard {

void Form1::loadgridcolor(std::string_view ch, int k) {
    if (!Grid.exists(k))
        return;
    Label& cell = Grid(k);
    cell.caption.clear();
    // An unknown character keeps the cell's colour; its caption has still been cleared.
    for (const auto& entry : palette)
        if (ch == entry.character)
            cell.backColor = entry.color;
    if (ch == wildcardCaption)
        cell.caption = wildcardCaption[0];
}

} // namespace nudgeboard
