// The Qt window, offscreen, driven by real mouse and key events.
#include "app/form1.h"
#include "app/qt/boardwidget.h"
#include "app/qt/gamewindow.h"
#include "board.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QTest>
#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

TEST_F(WindowTest, TitleClientAreaAndControls) {
    EXPECT_EQ(window->windowTitle(), "Nudgeboard");
    EXPECT_EQ(window->clientArea()->size(), QSize(290, 214));
    EXPECT_EQ(window->clientArea()->y(), window->menuBar()->height());
    EXPECT_EQ(window->board()->shownCells(), 72);
    EXPECT_EQ(window->board()->geometry(), QRect(0, 0, 290, 145));
    struct Case {
        int cell, x, y;
    };
    for (const auto& c : {Case{5, 120, 0}, Case{36, 144, 0}, Case{41, 264, 0}, Case{30, 0, 120},
                          Case{71, 264, 120}}) {
        SCOPED_TRACE(c.cell);
        const BoardWidget::Cell& shownCell = cell(c.cell);
        EXPECT_EQ(QRect(shownCell.left, shownCell.top, shownCell.width, shownCell.height),
                  QRect(c.x, c.y, 25, 25));
        EXPECT_TRUE(shownCell.visible);
        // A click in the cell reaches it, at its last pixel too where no later cell lies over it.
        EXPECT_EQ(window->board()->cellAt(QPointF(c.x + 12.5, c.y + 12.5)), c.cell);
    }
    EXPECT_EQ(window->board()->cellAt(QPointF(288.5, 144.5)), 71);
    EXPECT_EQ(window->board()->cellAt(QPointF(289.5, 10)), -1);
    EXPECT_EQ(window->nameLabel()->geometry(), QRect(0, 152, 289, 25));
    EXPECT_EQ(window->movesLabel()->geometry(), QRect(0, 184, 289, 25));
    EXPECT_EQ(window->nameLabel()->text(), "9 Puzzle");
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 0 (38)");
    EXPECT_TRUE(window->nameLabel()->font().bold());
    EXPECT_EQ(window->nameLabel()->font().pointSize(), 18);
    EXPECT_EQ(window->nameLabel()->alignment(), Qt::AlignCenter);
    // Flat palette colours: a wall, piece "2" and a goal wildcard.
    EXPECT_EQ(shown(0), QColor(102, 102, 102));
    EXPECT_EQ(shown(7), QColor(0, 0, 255));
    // Nothing inside takes the keyboard.
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (!qobject_cast<QMenuBar*>(child) && !qobject_cast<QMenu*>(child)) {
            EXPECT_EQ(child->focusPolicy(), Qt::NoFocus) << child->metaObject()->className();
        }
    }
}

TEST_F(WindowTest, MenusInOrderWithResetOnTheBar) {
    QList<QAction*> bar = window->menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), "Load Level");
    ASSERT_NE(bar[0]->menu(), nullptr);
    EXPECT_EQ(bar[1]->text(), "Reset");
    EXPECT_EQ(bar[1]->menu(), nullptr);
    QStringList items;
    for (QAction* item : bar[0]->menu()->actions()) {
        items << item->text();
        EXPECT_TRUE(item->shortcut().isEmpty());
        EXPECT_FALSE(item->isCheckable());
    }
    QStringList names; // the catalogue's, in its order
    for (const Level& level : catalogue)
        names << QString::fromUtf8(level.name.data(), static_cast<qsizetype>(level.name.size()));
    EXPECT_EQ(items, names);
    // Reset acts from a click on the bar itself.
    form.Grid_Click(20);
    form.Form_KeyUp(vkRight, 0);
    window->refresh();
    ASSERT_EQ(window->movesLabel()->text(), "Moves: 1 (38)");
    QRect resetArea = window->menuBar()->actionGeometry(bar[1]);
    QTest::mouseClick(window->menuBar(), Qt::LeftButton, Qt::NoModifier, resetArea.center());
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 0 (38)");
}

TEST_F(WindowTest, ClicksSelectAndArrowReleasesMove) {
    click(20); // "1", left of the gap
    EXPECT_TRUE(cell(20).marked);
    click(0);  // a wall: the selection stays
    click(57); // the goal board: likewise
    EXPECT_TRUE(cell(20).marked);
    stroke(Qt::Key_Right, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(shown(21), QColor(0, 255, 0));
    EXPECT_EQ(shown(20), QColor(0, 0, 0));
    EXPECT_TRUE(cell(21).marked);
    EXPECT_FALSE(cell(20).marked);
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 1 (38)");
    stroke(Qt::Key_A);     // other keys do nothing
    stroke(Qt::Key_Right); // against a wall
    EXPECT_EQ(shown(21), QColor(0, 255, 0));
    EXPECT_EQ(form.moveCount, 1);
}

// A held key sends presses and one release when it comes up (X11 with detectable auto-repeat);
// Qt flags the repeats it makes up itself elsewhere (Wayland) on both halves. Either way the
// piece moves once, the moment the key comes up.
TEST_F(WindowTest, HeldKeyMovesOnceOnItsRelease) {
    click(20);
    send(QEvent::KeyPress, Qt::Key_Right, 1000);
    for (quint64 t = 1500; t < 1800; t += 100) {
        send(QEvent::KeyPress, Qt::Key_Right, t, true);
        send(QEvent::KeyRelease, Qt::Key_Right, t + 50, true);
        send(QEvent::KeyPress, Qt::Key_Right, t + 50, true);
        EXPECT_EQ(shown(20), QColor(0, 255, 0)) << "moved by a repeat";
    }
    send(QEvent::KeyRelease, Qt::Key_Right, 2000);
    EXPECT_EQ(shown(21), QColor(0, 255, 0)) << "no move at once on the release";
    EXPECT_EQ(form.moveCount, 1);
}

// Every stroke counts, even when its release and the next press carry the same millisecond.
TEST_F(WindowTest, QuickSuccessiveKeysAllArrive) {
    click(20);
    QTest::keyPress(window->windowHandle(), Qt::Key_Right);
    QTest::keyRelease(window->windowHandle(), Qt::Key_Right);
    QTest::keyPress(window->windowHandle(), Qt::Key_Left);
    QTest::keyRelease(window->windowHandle(), Qt::Key_Left);
    EXPECT_EQ(shown(20), QColor(0, 255, 0));
    EXPECT_EQ(shown(21), QColor(0, 0, 0));
    // "C" of "Traffic" has two empty squares on its right.
    trigger(window->levelAction(8));
    click(25);
    for (int stroke = 0; stroke < 2; ++stroke) {
        send(QEvent::KeyPress, Qt::Key_Right, 100);
        send(QEvent::KeyRelease, Qt::Key_Right, 100);
    }
    EXPECT_EQ(shown(27), QColor(102, 255, 0));
    EXPECT_EQ(shown(26), QColor(0, 0, 0));
    // On X11 with repeats sent as presses only, Qt flags such a release as a repeat's: it is not.
    window->setRepeats(GameWindow::Repeats::PressesOnly);
    for (int stroke = 0; stroke < 2; ++stroke) {
        send(QEvent::KeyPress, Qt::Key_Left, 200, stroke > 0);
        send(QEvent::KeyRelease, Qt::Key_Left, 200, stroke == 0);
    }
    EXPECT_EQ(shown(25), QColor(102, 255, 0));
    EXPECT_EQ(shown(27), QColor(0, 0, 0));
}

// An X server without the keyboard extension sends a held key as release/press pairs, flagged
// or not: one timestamp marks a repeat, and the stroke's release waits for the next press.
TEST_F(WindowTest, WithoutDetectableRepeatsTimestampsDecide) {
    window->setRepeats(GameWindow::Repeats::ByTimestamp);
    click(20);
    send(QEvent::KeyPress, Qt::Key_Right, 1000);
    for (quint64 t = 1500; t < 1800; t += 100) {
        send(QEvent::KeyRelease, Qt::Key_Right, t, true);
        send(QEvent::KeyPress, Qt::Key_Right, t, true);
        send(QEvent::KeyRelease, Qt::Key_Right, t + 50);
        send(QEvent::KeyPress, Qt::Key_Right, t + 50);
        settle();
        EXPECT_EQ(shown(20), QColor(0, 255, 0)) << "moved by a repeat";
    }
    send(QEvent::KeyRelease, Qt::Key_Right, 2000);
    settle();
    EXPECT_EQ(shown(21), QColor(0, 255, 0));
    // Two strokes a millisecond apart are two moves; the first is let through by the second.
    send(QEvent::KeyPress, Qt::Key_Left, 3000);
    send(QEvent::KeyRelease, Qt::Key_Left, 3000);
    send(QEvent::KeyPress, Qt::Key_Right, 3001);
    EXPECT_EQ(shown(20), QColor(0, 255, 0));
    send(QEvent::KeyRelease, Qt::Key_Right, 3001);
    // A click right after a release does not overtake it: the released key moves "1" first.
    click(13); // "5", blocked to the right
    EXPECT_EQ(shown(21), QColor(0, 255, 0));
    EXPECT_TRUE(cell(13).marked);
    EXPECT_EQ(form.moveCount, 1);
}

// A tapped Alt or F10 gives the menu bar the keyboard and shows it: its first entry is drawn
// highlighted, arrows walk the bar and move nothing; Escape gives the keyboard back.
TEST_F(WindowTest, MenuBarByKeyboardIsSeenAndKeepsTheArrows) {
    QMenuBar* bar = window->menuBar();
    QImage idle = bar->grab().toImage();
    for (Qt::Key enter : {Qt::Key_Alt, Qt::Key_F10}) {
        SCOPED_TRACE(enter == Qt::Key_Alt ? "Alt" : "F10");
        click(20);
        QTest::keyClick(window->windowHandle(), enter);
        ASSERT_TRUE(bar->hasFocus());
        EXPECT_EQ(bar->activeAction(), bar->actions().value(0));
        EXPECT_TRUE(bar->grab().toImage() != idle) << "the bar looks as before";
        QTest::keyClick(window->windowHandle(), Qt::Key_Right);
        EXPECT_EQ(bar->activeAction(), bar->actions().value(1));
        EXPECT_EQ(shown(20), QColor(0, 255, 0)) << "an arrow for the bar moved the piece";
        QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
        EXPECT_FALSE(bar->hasFocus());
        EXPECT_TRUE(bar->grab().toImage() == idle) << "the bar still looks active";
        stroke(Qt::Key_Right);
        EXPECT_EQ(shown(21), QColor(0, 255, 0)) << "the board did not get the keyboard back";
        trigger(window->resetAction());
    }
    // F10 once more leaves the bar, as on Windows.
    QTest::keyClick(window->windowHandle(), Qt::Key_F10);
    ASSERT_TRUE(bar->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_F10);
    EXPECT_FALSE(bar->hasFocus());
    // A click on the board takes the keyboard back too.
    QTest::keyClick(window->windowHandle(), Qt::Key_Alt);
    ASSERT_TRUE(bar->hasFocus());
    click(20);
    EXPECT_FALSE(bar->hasFocus());
    stroke(Qt::Key_Right);
    EXPECT_EQ(shown(21), QColor(0, 255, 0));
}

// A release whose press went elsewhere (to an open menu, say) moves nothing; nor does one whose
// press came before the window lost the keyboard.
TEST_F(WindowTest, ReleaseWithoutPressIsIgnored) {
    click(20);
    send(QEvent::KeyRelease, Qt::Key_Right, 100);
    send(QEvent::KeyPress, Qt::Key_Right, 200);
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(window.get(), &away);
    send(QEvent::KeyRelease, Qt::Key_Right, 300);
    EXPECT_EQ(shown(20), QColor(0, 255, 0));
    EXPECT_EQ(form.moveCount, 0);
}

// What reaches the screen: flat palette colours, a black one-pixel mark even on white, a white "?".
TEST_F(WindowTest, PixelsOnScreen) {
    click(20);
    stroke(Qt::Key_Right); // "1" now under white "7"; then select "7" itself
    click(15);
    QImage board = window->board()->grab().toImage();
    auto pixel = [&](int x, int y) { return QColor(board.pixel(x, y)); };
    // Cell 15 (white "7", marked) spans x 72..96, y 48..72; its edge lines are black.
    EXPECT_EQ(pixel(84, 60), QColor(255, 255, 255));
    for (auto [x, y] : {std::pair{72, 60}, {96, 60}, {84, 48}, {84, 72}})
        EXPECT_EQ(pixel(x, y), QColor(0, 0, 0)) << x << "," << y;
    EXPECT_EQ(pixel(73, 60), QColor(255, 255, 255)); // one pixel wide
    EXPECT_EQ(pixel(84, 73), QColor(0, 255, 0));     // "1" below it, unmarked
    // Unmarked cells are flat to their edges: the wall in cell 1, "3" in cell 8.
    EXPECT_EQ(pixel(25, 1), QColor(102, 102, 102));
    EXPECT_EQ(pixel(48, 24), QColor(255, 0, 255));
    EXPECT_EQ(pixel(60, 36), QColor(255, 0, 255));
    trigger(window->levelAction(2));
    // Goal cell 50 (row 2, column 2) is a wildcard: black with white strokes of "?".
    QImage goal = window->board()->grab(QRect(192, 48, 25, 25)).toImage();
    int white = 0, black = 0;
    for (int y = 0; y < 25; ++y)
        for (int x = 0; x < 25; ++x) {
            QColor c(goal.pixel(x, y));
            white += c == QColor(255, 255, 255);
            black += c == QColor(0, 0, 0);
        }
    EXPECT_GT(white, 4);
    EXPECT_GT(black, 300);
    // A marked cell never covers an outline, even once unmarked.
    trigger(window->levelAction(8));
    click(0);
    click(25);
    board = window->board()->grab().toImage();
    EXPECT_EQ(pixel(12, 0), QColor(0, 0, 0));
    EXPECT_EQ(pixel(0, 12), QColor(0, 0, 0));
}

// A restart shows the new load's 72 cells, whatever the old ones showed; widgets do not pile up.
TEST_F(WindowTest, RestartShowsTheNewLoadsCells) {
    click(20);
    stroke(Qt::Key_Right);
    trigger(window->levelAction(8));
    EXPECT_EQ(window->board()->shownCells(), 72);
    EXPECT_EQ(window->nameLabel()->text(), "Traffic");
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 0 (26)");
    for (int k = 0; k < 72; ++k) {
        SCOPED_TRACE(k);
        EXPECT_EQ(shown(k), toQColor(form.Grid(k).backColor.value_or(0)));
        EXPECT_FALSE(cell(k).marked);
        EXPECT_TRUE(cell(k).visible);
    }
    EXPECT_EQ(cell(59).caption, "?");
    int children = window->findChildren<QObject*>().size();
    for (int i = 0; i < 20; ++i)
        trigger(i % 2 ? window->resetAction() : window->levelAction(1 + i % levelCountBuiltIn));
    EXPECT_EQ(window->findChildren<QObject*>().size(), children);
    EXPECT_TRUE(window->isVisible());
}

// Level 1 from its start to "SOLVED!!", by mouse and keyboard.
TEST_F(WindowTest, PlayLevelOneToSolved) {
    for (auto [cellIndex, key] : levelOneSolution) {
        ASSERT_EQ(window->nameLabel()->text(), "9 Puzzle");
        QColor piece = shown(cellIndex);
        click(cellIndex);
        ASSERT_TRUE(cell(cellIndex).marked);
        stroke(qtKey(key));
        ASSERT_NE(shown(cellIndex), piece) << "cell " << cellIndex << " did not move";
    }
    EXPECT_EQ(window->nameLabel()->text(), "SOLVED!!");
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 20 (38)");
    EXPECT_TRUE(window->movesLabel()->autoFillBackground());
    EXPECT_EQ(window->movesLabel()->palette().color(QPalette::Window), QColor(0, 255, 255));
    // Solved is final: keys change nothing now.
    click(21);
    stroke(Qt::Key_Up);
    EXPECT_EQ(window->movesLabel()->text(), "Moves: 20 (38)");
    // Reset brings back the system colours and the level's name.
    trigger(window->resetAction());
    EXPECT_EQ(window->nameLabel()->text(), "9 Puzzle");
    EXPECT_FALSE(window->movesLabel()->autoFillBackground());
}
