// The boards as a screen reader finds them: two tables, "Play board" and "Goal board", of 36
// cells each, named by the core's cell texts; pressing a cell is a click on it.
#pragma once

#include "app/changes.h"

class QString;
class QWidget;

namespace nudgeboard {

class BoardWidget;
class Form1;

// Makes Qt build the boards' accessible tree for every BoardWidget. Called once, before the
// first board is shown.
void installBoardAccessibility();

// Tells a listening screen reader about the cells whose content or mark changed.
void announceCells(BoardWidget* board, const Changes& changes);

// A widget that shows nothing and that a screen reader speaks each time `announce` is called:
// screen readers speak a notification as it appears, but not a label's new text.
QWidget* makeAnnouncer(QWidget* parent);
void announce(QWidget* announcer, const QString& text);

} // namespace nudgeboard
