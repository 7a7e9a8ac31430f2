// The Qt window: shows the core's controls as widgets after every event it forwards.
#include "app/qt/gamewindow.h"

#include "app/form1.h"
#include "app/qt/boardaccessible.h"
#include "app/qt/boardwidget.h"
#include "app/spoken.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QProxyStyle>
#include <QStyleOption>
#include <cstdlib>

#if defined(NUDGEBOARD_XKB)
// The C header names a member "explicit", a C++ keyword.
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit
#endif

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
    default:
        return 0;
    }
}

namespace {

using Repeats = GameWindow::Repeats;

// Asks the X server to send a held key as repeated presses and a single release, for this
// program's connection only; then every release that arrives ends a stroke.
Repeats detectRepeats() {
#if QT_CONFIG(xcb)
    // Only on X11 is there a server to ask; under Wayland Qt repeats a held key itself.
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return Repeats::Flagged;
    auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>();
    if (x11 == nullptr || x11->connection() == nullptr)
        return Repeats::Flagged;
#if defined(NUDGEBOARD_XKB)
    xcb_connection_t* connection = x11->connection();
    const xcb_query_extension_reply_t* xkb = xcb_get_extension_data(connection, &xcb_xkb_id);
    if (xkb == nullptr || !xkb->present)
        return Repeats::ByTimestamp;
    auto* use = xcb_xkb_use_extension_reply(
        connection, xcb_xkb_use_extension(connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION),
        nullptr);
    bool supported = use != nullptr && use->supported;
    std::free(use);
    if (!supported)
        return Repeats::ByTimestamp;
    const std::uint32_t flag = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    auto* flags = xcb_xkb_per_client_flags_reply(
        connection,
        xcb_xkb_per_client_flags(connection, XCB_XKB_ID_USE_CORE_KBD, flag, flag, 0, 0, 0),
        nullptr);
    bool on = flags != nullptr && (flags->value & flag) != 0;
    std::free(flags);
    return on ? Repeats::PressesOnly : Repeats::ByTimestamp;
#else
    return Repeats::ByTimestamp;
#endif
#else
    return Repeats::Flagged;
#endif
}

// The bar's entry that holds the keyboard is drawn highlighted, as when its list is open: the
// player sees where the keys go.
class MenuBarStyle : public QProxyStyle {
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
        if (element == CE_MenuBarItem && (option->state & State_Selected)) {
            if (auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
                QStyleOptionMenuItem shown = *item;
                shown.state |= State_Sunken;
                QProxyStyle::drawControl(element, &shown, painter, widget);
                return;
            }
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }
};

void refreshLabel(QLabel* widget, const Label& label) {
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
    : QMainWindow(parent), form_(form), client_(new QWidget(this)),
      board_(new BoardWidget(client_)), nameof_(makeLabel(client_)), numMoves_(makeLabel(client_)),
      announcer_(makeAnnouncer(client_)), repeatKind_(detectRepeats()) {
    setWindowTitle(toQString(Form1::title));
    client_->setFixedSize(Form1::clientWidth, Form1::clientHeight);
    client_->setFocusPolicy(Qt::NoFocus);
    // The boards with their outlines: y 0..144 of the client area.
    board_->setGeometry(0, 0, Form1::clientWidth, boardPixels);
    setCentralWidget(client_);
    buildMenus();
    // Arrow keys come to the window itself; nothing inside takes the focus.
    setFocusPolicy(Qt::StrongFocus);
    connect(board_, &BoardWidget::clicked, this, [this](int index) {
        // A click on the board takes the keyboard back from the menu bar, as on Windows.
        if (menuBar()->hasFocus())
            setFocus(Qt::MouseFocusReason);
        deliver([&] { form_.Grid_Click(index); });
    });
    connect(&repeats_, &RepeatFilter::released, this, [this](int key) { keyUp(key); });
    form_.Show();
    nameof_->setFont(toQFont(form_.Nameof.font));
    numMoves_->setFont(toQFont(form_.numMoves.font));
    refresh();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void GameWindow::buildMenus() {
    auto* style = new MenuBarStyle;
    style->setParent(this);
    menuBar()->setStyle(style);
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

void GameWindow::refresh() {
    Changes changes = shown_.update(form_);
    board_->refresh(form_, changes);
    announceCells(board_, changes);
    if (changes.nameof)
        refreshLabel(nameof_, form_.Nameof);
    if (changes.numMoves) {
        refreshLabel(numMoves_, form_.numMoves);
        // The counter's colour against par, for a player who cannot see it.
        numMoves_->setAccessibleDescription(toQString(parWords(form_)));
        if (!changes.newLoad)
            announce(announcer_, toQString(counterNews(form_)));
    }
}

void GameWindow::keyUp(int key) {
    // The game never reads the modifier state: Shift, Ctrl and Alt make no difference.
    form_.Form_KeyUp(key, 0);
    refresh();
}

void GameWindow::focusOutEvent(QFocusEvent* event) {
    strokes_.forgetAll();
    repeats_.flush(); // released before the keyboard went
    QMainWindow::focusOutEvent(event);
}

void GameWindow::changeEvent(QEvent* event) {
    // The layout is fixed: a desktop that maximises the window or makes it full screen anyway
    // gets it back at its own size.
    if (event->type() == QEvent::WindowStateChange &&
        (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen)))
        setWindowState(windowState() & ~(Qt::WindowMaximized | Qt::WindowFullScreen));
    QMainWindow::changeEvent(event);
}

bool GameWindow::menuHasKeyboard() const {
    return QApplication::activePopupWidget() != nullptr || menuBar()->hasFocus();
}

void GameWindow::toggleMenuBarKeyboard() {
    // F10 does what a tapped Alt does: the bar's own Alt handling sees a lone Alt come and go.
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Alt, Qt::AltModifier);
    QApplication::sendEvent(this, &down);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Alt, Qt::NoModifier);
    QApplication::sendEvent(this, &up);
}

void GameWindow::keyPressEvent(QKeyEvent* event) {
    event->accept();
    if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::NoModifier) {
        f10Down_ = true;
        return;
    }
    int key = virtualKey(event->key());
    if (key == 0)
        return;
    repeats_.press(key, event->timestamp());
    strokes_.pressed(key);
}

void GameWindow::keyReleaseEvent(QKeyEvent* event) {
    // A menu that holds the keyboard passes the releases of its keys on to the window.
    event->accept();
    // With repeats sent as presses only, every release is a stroke's, however Qt flags it: Qt
    // takes a release for a repeat when the next press carries the same millisecond, as two
    // strokes from a macro tool do.
    if (event->isAutoRepeat() && repeatKind_ != Repeats::PressesOnly)
        return;
    if (event->key() == Qt::Key_F10) {
        if (f10Down_ && QApplication::activePopupWidget() == nullptr)
            toggleMenuBarKeyboard();
        f10Down_ = false;
        return;
    }
    int key = virtualKey(event->key());
    if (key == 0 || !strokes_.released(key, menuHasKeyboard()))
        return;
    if (repeatKind_ == Repeats::ByTimestamp)
        repeats_.hold(key, event->timestamp());
    else
        keyUp(key);
}

} // namespace nudgeboard
