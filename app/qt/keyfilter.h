// Lets through only the key releases that end a key stroke the window itself saw begin.
#pragma once

#include <QObject>
#include <QSet>
#include <QTimer>

namespace nudgeboard {

// A held key sends release/press pairs. Qt flags most of them as auto-repeat, but under X11 a
// repeat's release can arrive unflagged when its press is not yet in the queue. The X server
// gives a repeat's release and the press behind it the same timestamp, while a new stroke's
// press always comes later: so an unflagged release waits for the next press and the
// timestamps decide, however fast the strokes or however late the event loop.
class KeyReleaseFilter : public QObject {
    Q_OBJECT
public:
    // How long a release waits for a repeat's press. Only the last release of a stroke ever
    // waits this long: it has no press behind it, and nothing but a timer can tell that.
    static constexpr int holdMs = 30;

    explicit KeyReleaseFilter(QObject* parent = nullptr);

    // A press the window itself received.
    void press(int key, quint64 timestamp);
    // A release that reached the window. Keys whose press went elsewhere (to an open menu,
    // say) are dropped.
    void release(int key, Qt::KeyboardModifiers modifiers, quint64 timestamp, bool autoRepeat);
    // A release that reached the window while a menu had the keyboard: it belongs to the menu.
    void swallow(int key);
    // The window lost the keyboard: the keys held now will be released elsewhere.
    void forgetPressed() { down_.clear(); }
    // Delivers a held-back release at once (before a click or a menu command, say).
    void flush();

signals:
    void released(int key, Qt::KeyboardModifiers modifiers);

private:
    QTimer timer_;
    QSet<int> down_; // keys pressed in the window and not yet released
    bool holding_ = false;
    int key_ = 0;
    quint64 timestamp_ = 0;
    Qt::KeyboardModifiers modifiers_;
};

} // namespace nudgeboard
