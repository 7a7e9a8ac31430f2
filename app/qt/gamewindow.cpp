// The Qt window: mirrors the core's controls onto widgets after every event it forwards.
#include "app/qt/gamewindow.h"

#include "app/form1.h"
#include "app/qt/cellwidget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>

namespace nudgeboard {

int virtualKey(int qtKey) {
    switch (qtKey) {
    case Qt::Key_Left:
        return vkLeft;
    case Qt::Key_Up:
        return vkUp;
    case Qt::Key_Right:
        return vkRight;
    case Qt::Key_Down:
        return vkDown;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Space:
        return 32;
    default:
        // Letters and digits share their codes with ASCII; other keys mean nothing to the game.
        if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) ||
            (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
            return qtKey;
        return 0;
    }
}

int shiftState(Qt::KeyboardModifiers modifiers) {
    return (modifiers & Qt::ShiftModifier ? 1 : 0) | (modifiers & Qt::ControlModifier ? 2 : 0) |
           (modifiers & Qt::AltModifier ? 4 : 0);
}

namespace {

void mirrorLabel(QLabel* widget, const Label& label) {
    widget->setGeometry(label.left, label.top, label.width, label.height);
    QString caption = QString::fromStdString(label.caption);
    if (widget->text() != caption)
        widget->setText(caption);
    // An unset colour is the system's: the label then shows the window's own background.
    bool filled = label.backColor.has_value();
    QColor back = filled ? toQColor(*label.backColor) : QColor();
    if (widget->autoFillBackground() != filled ||
        (filled && widget->palette().color(QPalette::Window) != back)) {
        QPalette palette = widget->parentWidget()->palette();
        if (filled)
            palette.setColor(QPalette::Window, back);
        widget->setPalette(palette);
        widget->setAutoFillBackground(filled);
    }
    widget->setVisible(label.visible);
}

QLabel* makeLabel(QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFocusPolicy(Qt::NoFocus);
    label->setTextFormat(Qt::PlainText);
    return label;
}

} // namespace

GameWindow::GameWindow(Form1& form, QWidget* parent)
    : QMainWindow(parent), form_(form), client_(new QWidget(this)), nameof_(makeLabel(client_)),
      numMoves_(makeLabel(client_)) {
    setWindowTitle(toQString(Form1::title));
    client_->setFixedSize(Form1::clientWidth, Form1::clientHeight);
    client_->setFocusPolicy(Qt::NoFocus);
    setCentralWidget(client_);
    buildMenus();
    // Arrow keys come to the window itself; nothing inside takes the focus.
    setFocusPolicy(Qt::StrongFocus);
    connect(&keys_, &KeyReleaseFilter::released, this,
            [this](int key, Qt::KeyboardModifiers modifiers) {
                form_.Form_KeyUp(virtualKey(key), shiftState(modifiers));
                mirror();
            });
    for (auto& frame : frames_)
        frame = new OutlineWidget(client_);
    form_.Show();
    nameof_->setFont(toQFont(form_.Nameof.font));
    numMoves_->setFont(toQFont(form_.numMoves.font));
    mirror();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void GameWindow::buildMenus() {
    QMenu* loadLevel = menuBar()->addMenu(toQString(Form1::loadLevelCaption));
    for (const auto& item : Form1::levelItems) {
        QAction* action = loadLevel->addAction(toQString(item.caption));
        int index = item.index;
        connect(action, &QAction::triggered, this,
                [this, index] { deliver([&] { form_.mnuL_Click(index); }); });
        levels_[static_cast<std::size_t>(index - 1)] = action;
    }
    // A command on the bar itself, with no drop-down list.
    reset_ = menuBar()->addAction(toQString(Form1::resetEntry.caption));
    connect(reset_, &QAction::triggered, this,
            [this] { deliver([&] { form_.mnuReset_Click(); }); });
}

QAction* GameWindow::levelAction(int level) const {
    return level >= 1 && level <= levelCountBuiltIn ? levels_[static_cast<std::size_t>(level - 1)]
                                                    : nullptr;
}

void GameWindow::recreateCells() {
    // A new load of the window has new cells: every widget but cell 0's goes, and each cell the
    // core now holds gets a widget of its own.
    for (std::size_t k = 1; k < cells_.size(); ++k) {
        delete cells_[k];
        cells_[k] = nullptr;
    }
    for (int k = 0; k < CellArray::size; ++k) {
        auto& widget = cells_[static_cast<std::size_t>(k)];
        if (form_.Grid.exists(k) && widget == nullptr) {
            widget = new CellWidget(k, client_);
            connect(widget, &CellWidget::clicked, this,
                    [this](int index) { deliver([&] { form_.Grid_Click(index); }); });
        }
    }
    for (auto* frame : frames_)
        frame->raise();
    mirroredLoad_ = form_.loads();
}

void GameWindow::mirror() {
    if (mirroredLoad_ != form_.loads())
        recreateCells();
    bool raised = false;
    for (int k = 0; k < CellArray::size; ++k)
        if (auto* widget = cells_[static_cast<std::size_t>(k)]; widget && form_.Grid.exists(k))
            raised |= widget->mirror(form_.Grid(k));
    for (std::size_t f = 0; f < frames_.size(); ++f) {
        const Outline& o = form_.Frame[f];
        frames_[f]->setGeometry(o.left, o.top, o.width, o.height);
        // The outlines stay above every cell, a raised one too, or its colour would cover them.
        if (raised)
            frames_[f]->raise();
    }
    mirrorLabel(nameof_, form_.Nameof);
    mirrorLabel(numMoves_, form_.numMoves);
}

void GameWindow::focusOutEvent(QFocusEvent* event) {
    keys_.forgetPressed();
    QMainWindow::focusOutEvent(event);
}

bool GameWindow::menuHasKeyboard() const {
    return QApplication::activePopupWidget() != nullptr || menuBar()->hasFocus();
}

void GameWindow::keyPressEvent(QKeyEvent* event) {
    keys_.press(event->key(), event->timestamp());
    event->accept();
}

void GameWindow::keyReleaseEvent(QKeyEvent* event) {
    // A menu that holds the keyboard passes the releases of its keys on to the window.
    if (menuHasKeyboard())
        keys_.swallow(event->key());
    else
        keys_.release(event->key(), event->modifiers(), event->timestamp(), event->isAutoRepeat());
    event->accept();
}

} // namespace nudgeboard
