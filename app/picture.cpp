// The boards' picture: the shown cells in paint order, and the hit test that follows it.
#include "app/picture.h"

#include "app/form1.h"

namespace nudgeboard {

BoardPicture boardPicture(const Form1& form, int dpi) {
    BoardPicture picture;
    picture.line = deviceLine(dpi);
    // Unmarked cells, then marked ones, each in index order: ascending paint layers.
    for (bool marked : {false, true})
        for (int k = 0; k < cellCount; ++k) {
            if (!form.Grid.exists(k) || !form.Grid(k).visible ||
                (form.Grid(k).borderStyle == 1) != marked)
                continue;
            const Label& cell = form.Grid(k);
            // A cell always has its colours, copies of cell 0's design.
            picture.painted[picture.count++] = {
                k,
                deviceRect(cell.left, cell.top, cell.width, cell.height, dpi),
                cell.backColor.value_or(emptyColor),
                marked,
                cell.caption,
                cell.foreColor.value_or(emptyColor),
                &cell.font};
        }
    for (std::size_t f = 0; f < form.Frame.size(); ++f) {
        const Outline& o = form.Frame[f];
        picture.outlines[f] = deviceRect(o.left, o.top, o.width, o.height, dpi);
    }
    return picture;
}

int cellAt(const BoardPicture& picture, int x, int y) {
    auto cells = picture.cells();
    for (auto it = cells.rbegin(); it != cells.rend(); ++it) {
        const DeviceRect& r = it->rect;
        if (r.left <= x && x < r.right && r.top <= y && y < r.bottom)
            return it->index;
    }
    return -1;
}

} // namespace nudgeboard
