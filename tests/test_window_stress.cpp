// The real window under random play and thousands of restarts: nothing lost, nothing leaked.
#include "app/form1.h"
#include "app/qt/boardwidget.h"
#include "app/qt/gamewindow.h"
#include "random_play.h"
#include "window_fixture.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>
#include <random>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

Qt::KeyboardModifiers modifiers(int shift) {
    Qt::KeyboardModifiers m;
    if (shift & 1)
        m |= Qt::ShiftModifier;
    if (shift & 2)
        m |= Qt::ControlModifier;
    if (shift & 4)
        m |= Qt::AltModifier;
    return m;
}

void sendKey(QWidget* window, QEvent::Type type, Qt::Key key, Qt::KeyboardModifiers m,
             bool repeat) {
    QKeyEvent event(type, key, m, QString(), repeat);
    QApplication::sendEvent(window, &event);
}

// Delivers an event the way a player's mouse, keyboard and menus would.
void deliver(GameWindow& window, const Event& e) {
    switch (e.kind) {
    case Event::Click:
        QTest::mouseClick(window.board(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(cellLeft(e.value) + 12, cellTop(e.value) + 12));
        break;
    case Event::Key: {
        Qt::Key key = qtKey(e.value);
        Qt::KeyboardModifiers m = modifiers(e.shift);
        sendKey(&window, QEvent::KeyPress, key, m, false);
        if (e.autoRepeat) {
            // A held key: repeated presses, and a flagged release/press pair as Qt makes up.
            sendKey(&window, QEvent::KeyPress, key, m, true);
            sendKey(&window, QEvent::KeyRelease, key, m, true);
            sendKey(&window, QEvent::KeyPress, key, m, true);
        }
        sendKey(&window, QEvent::KeyRelease, key, m, false);
        break;
    }
    case Event::LevelItem:
        window.levelAction(e.value)->trigger();
        break;
    case Event::Reset:
        window.resetAction()->trigger();
        break;
    }
}

// The widgets show exactly what the core holds.
std::string differenceShown(const GameWindow& window, const Form1& form) {
    if (window.board()->shownCells() != 72)
        return "not 72 cells shown";
    for (int k = 0; k < 72; ++k) {
        const BoardWidget::Cell& cell = window.board()->cell(k);
        const Label& label = form.Grid(k);
        if (cell.color != toQColor(label.backColor.value_or(0)) ||
            cell.marked != (label.borderStyle == 1) || cell.caption.toStdString() != label.caption)
            return "cell " + std::to_string(k) + " shows something else";
    }
    if (window.nameLabel()->text().toStdString() != form.Nameof.caption ||
        window.movesLabel()->text().toStdString() != form.numMoves.caption)
        return "a label shows something else";
    return {};
}

using StressTest = WindowTest;

} // namespace

TEST_F(StressTest, RandomPlayThroughTheWindow) {
    const std::uint64_t seed = 4242;
    std::mt19937_64 rng(seed);
    InvariantChecker check;
    std::uint8_t bytes[bytesPerEvent];
    for (long n = 0; n < 20'000; ++n) {
        for (auto& b : bytes)
            b = static_cast<std::uint8_t>(rng());
        Event e = decode(bytes);
        check.before(form);
        deliver(*window, e);
        std::string error = check.after(form, e.kind == Event::Key);
        if (error.empty())
            error = differenceShown(*window, form);
        ASSERT_EQ(error, "") << "seed " << seed << ", event " << n << " (" << describe(e) << ")";
    }
}

// Thousands of restarts leave exactly the same widgets behind.
TEST_F(StressTest, TenThousandRestarts) {
    const auto objects = window->findChildren<QObject*>().size();
    for (int n = 0; n < 10'000; ++n) {
        if (n % 2)
            window->resetAction()->trigger();
        else
            window->levelAction(1 + n / 2 % 8)->trigger();
    }
    QApplication::processEvents();
    EXPECT_EQ(window->findChildren<QObject*>().size(), objects);
    EXPECT_EQ(form.Grid.count(), 72);
    EXPECT_EQ(form.curLevel, 8);
    EXPECT_EQ(differenceShown(*window, form), "");
    EXPECT_TRUE(window->isVisible());
}
