// A game window shown offscreen, with the player's mouse and keyboard as real Qt events.
#pragma once

#include "app/form1.h"
#include "app/qt/boardwidget.h"
#include "app/qt/gamewindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace nudgeboard::testing {

// The Qt key behind a key code the game's handler takes; other codes become keys it ignores.
inline Qt::Key qtKey(int keyCode) {
    switch (keyCode) {
    case vkLeft:
        return Qt::Key_Left;
    case vkUp:
        return Qt::Key_Up;
    case vkRight:
        return Qt::Key_Right;
    case vkDown:
        return Qt::Key_Down;
    default:
        return keyCode % 2 ? Qt::Key_A : Qt::Key_Space;
    }
}

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        window = std::make_unique<GameWindow>(form);
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // A click in the middle of a cell, where no neighbour overlaps it.
    void click(int cellIndex) {
        QPoint middle(cellLeft(cellIndex) + cellSize / 2, cellTop(cellIndex) + cellSize / 2);
        QTest::mouseClick(window->board(), Qt::LeftButton, Qt::NoModifier, middle);
    }
    // A key stroke as the keyboard sends it, routed by Qt to whatever has the focus.
    void stroke(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyPress(window->windowHandle(), key, modifiers);
        QTest::keyRelease(window->windowHandle(), key, modifiers);
        QApplication::processEvents();
    }
    // A key event straight to the window, with the timestamp the X server would give it.
    void send(QEvent::Type type, Qt::Key key, quint64 timestamp, bool autoRepeat = false) {
        QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
        event.setTimestamp(timestamp);
        QApplication::sendEvent(window.get(), &event);
    }
    // Waits out the hold-back of the timestamp rule.
    void settle() { QTest::qWait(RepeatFilter::holdMs * 2); }
    void trigger(QAction* action) { action->trigger(); }
    const BoardWidget::Cell& cell(int cellIndex) const { return window->board()->cell(cellIndex); }
    QColor shown(int cellIndex) const { return cell(cellIndex).color; }

    Form1 form;
    std::unique_ptr<GameWindow> window;
};

} // namespace nudgeboard::testing
