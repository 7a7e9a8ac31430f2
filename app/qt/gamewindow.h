// The Qt window: shows the core's controls on real widgets and forwards the five events.
#pragma once

#include "app/geometry.h"
#include "app/qt/keyfilter.h"
#include "levels/catalogue.h"

#include <QMainWindow>
#include <array>

class QLabel;
class QAction;

namespace nudgeboard {

class Form1;
class CellWidget;
class OutlineWidget;

class GameWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit GameWindow(Form1& form, QWidget* parent = nullptr);

    // For tests and benchmarks: the widgets that show the controls.
    QWidget* clientArea() const { return client_; }
    CellWidget* cell(int index) const { return cells_[static_cast<std::size_t>(index)]; }
    QLabel* nameLabel() const { return nameof_; }
    QLabel* movesLabel() const { return numMoves_; }
    QAction* levelAction(int level) const;
    QAction* resetAction() const { return reset_; }
    KeyReleaseFilter& keyFilter() { return keys_; }

    // Makes every widget show what the core's controls hold now.
    void mirror();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // Runs a click or menu handler of the game, then shows its effect. A key release still held
    // back by the filter happened first, so it goes to the game first.
    template <class Handler> void deliver(Handler handler) {
        keys_.flush();
        handler();
        mirror();
    }
    bool menuHasKeyboard() const;
    void buildMenus();
    void recreateCells();

    Form1& form_;
    QWidget* client_;
    std::array<OutlineWidget*, 2> frames_{};
    std::array<CellWidget*, cellCount> cells_{};
    QLabel* nameof_;
    QLabel* numMoves_;
    std::array<QAction*, levelCountBuiltIn> levels_{};
    QAction* reset_ = nullptr;
    KeyReleaseFilter keys_;
    int mirroredLoad_ = -1;
};

// The Windows virtual-key code and shift state the game's key handler takes.
int virtualKey(int qtKey);
int shiftState(Qt::KeyboardModifiers modifiers);

} // namespace nudgeboard
