// The Qt window: shows the core's controls and forwards the five events.
#pragma once

#include "app/changes.h"
#include "app/qt/keyfilter.h"
#include "app/strokes.h"
#include "levels/catalogue.h"

#include <QMainWindow>
#include <array>

class QLabel;
class QAction;

namespace nudgeboard {

class Form1;
class BoardWidget;

class GameWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit GameWindow(Form1& form, QWidget* parent = nullptr);

    // For tests and benchmarks: the widgets that show the controls.
    QWidget* clientArea() const { return client_; }
    BoardWidget* board() const { return board_; }
    QLabel* nameLabel() const { return nameof_; }
    QLabel* movesLabel() const { return numMoves_; }
    QAction* levelAction(int level) const;
    QAction* resetAction() const { return reset_; }
    // How a held key's repeats are told from strokes.
    enum class Repeats {
        Flagged,     // the toolkit makes up repeats itself and flags them (Wayland, others)
        PressesOnly, // X11 with detectable auto-repeat: the server never sends a repeat's release
        ByTimestamp, // X11 without its keyboard extension: release/press pairs, see RepeatFilter
    };
    void setRepeats(Repeats kind) { repeatKind_ = kind; }

    // Makes the widgets show what changed in the core's controls since the last call.
    void refresh();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void keyReleaseEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // Runs a click or menu handler of the game, then shows its effect. A key release still held
    // back by the timestamp rule happened first, so it goes to the game first.
    template <class Handler> void deliver(Handler handler) {
        repeats_.flush();
        handler();
        refresh();
    }
    void keyUp(int key);
    bool menuHasKeyboard() const;
    void toggleMenuBarKeyboard();
    void buildMenus();

    Form1& form_;
    QWidget* client_;
    BoardWidget* board_;
    QLabel* nameof_;
    QLabel* numMoves_;
    QWidget* announcer_;
    std::array<QAction*, levelCountBuiltIn> levels_{};
    QAction* reset_ = nullptr;
    ShownControls shown_;
    KeyStrokes strokes_;
    RepeatFilter repeats_;
    Repeats repeatKind_;
    bool f10Down_ = false;
};

// The game's key code for a Qt key: the arrows; every other key is 0, which the game ignores.
int virtualKey(int qtKey);

} // namespace nudgeboard
