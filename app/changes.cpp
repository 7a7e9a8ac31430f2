// Comparing the core's controls with what a front end last showed.
#include "app/changes.h"

#include "app/form1.h"

namespace nudgeboard {

namespace {
// True if the shown copy differs from the control; the copy then becomes the control.
bool differs(std::optional<Label>& shown, const Label* control) {
    std::optional<Label> now;
    if (control != nullptr)
        now = *control;
    if (shown == now)
        return false;
    shown = std::move(now);
    return true;
}
} // namespace

Changes ShownControls::update(const Form1& form) {
    Changes changes;
    if (load_ != form.loads()) {
        changes.newLoad = true;
        load_ = form.loads();
    }
    for (int k = 0; k < cellCount; ++k) {
        auto& shown = cells_[static_cast<std::size_t>(k)];
        const Label* cell = form.Grid.exists(k) ? &form.Grid(k) : nullptr;
        if (differs(shown, cell) || changes.newLoad)
            changes.cells.set(static_cast<std::size_t>(k));
    }
    changes.nameof = differs(nameof_, &form.Nameof);
    changes.numMoves = differs(numMoves_, &form.numMoves);
    if (frames_ != form.Frame) {
        frames_ = form.Frame;
        changes.frames = true;
    }
    return changes;
}

} // namespace nudgeboard
