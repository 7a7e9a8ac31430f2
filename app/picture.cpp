// The boards' picture: the shown cells in paint order, and the hit test that follows it.
#include "app/picture.h"

#include "app/form1.h"

#include <algorithm>

namespace nudgeboard {

BoardPicture boardPicture(const Form1& form, int dpi) {
    BoardPicture picture{{}, {}, deviceLine(dpi)};
    picture.cells.reserve(cellCount);
    for (int k = 0; k < cellCount; ++k) {
        if (!form.Grid.exists(k) || !form.Grid(k).visible)
            continue;
        const Label& cell = form.Grid(k);
        // A cell always has its colours (copies of cell 0's design); black if one never had.
        picture.cells.push_back({k, deviceRect(cell.left, cell.top, cell.width, cell.height, dpi),
                                 cell.backColor.value_or(emptyColor), cell.borderStyle == 1,
                                 cell.caption, cell.foreColor.value_or(emptyColor), &cell.font});
    }
    std::stable_sort(picture.cells.begin(), picture.cells.end(),
                     [](const PaintedCell& a, const PaintedCell& b) {
                         return paintLayer(a.index, a.marked) < paintLayer(b.index, b.marked);
                     });
    for (std::size_t f = 0; f < form.Frame.size(); ++f) {
        const Outline& o = form.Frame[f];
        picture.outlines[f] = deviceRect(o.left, o.top, o.width, o.height, dpi);
    }
    return picture;
}

int cellAt(const BoardPicture& picture, int x, int y) {
    for (auto it = picture.cells.rbegin(); it != picture.cells.rend(); ++it) {
        const DeviceRect& r = it->rect;
        if (r.left <= x && x < r.right && r.top <= y && y < r.bottom)
            return it->index;
    }
    return -1;
}

} // namespace nudgeboard
