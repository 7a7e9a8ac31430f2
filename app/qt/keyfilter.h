// Lets through only the key releases that end a real key stroke, never an auto-repeat's.
#pragma once

#include <QObject>
#include <QTimer>

namespace nudgeboard {

// A held key sends release/press pairs. Qt flags them as auto-repeat, but under X11 a repeat's
// release can arrive unflagged, with its press right behind it. So a release is held back
// briefly and dropped if a press of the same key follows.
class KeyReleaseFilter : public QObject {
    Q_OBJECT
public:
    static constexpr int holdMs = 30;

    explicit KeyReleaseFilter(QObject* parent = nullptr);

    void press(int key);
    void release(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat);
    // Delivers a held-back release at once (before a restart, say, or in tests).
    void flush();

signals:
    void released(int key, Qt::KeyboardModifiers modifiers);

private:
    QTimer timer_;
    bool holding_ = false;
    int key_ = 0;
    Qt::KeyboardModifiers modifiers_;
};

} // namespace nudgeboard
