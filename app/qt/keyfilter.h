// Tells a held key's repeats from real strokes by their timestamps, where the X server cannot.
#pragma once

#include <QObject>
#include <QTimer>

namespace nudgeboard {

// Only for an X server without the keyboard extension: it cannot be asked to send a held key
// as presses alone, so a held key sends release/press pairs, and Qt flags a repeat only when its
// press is already queued. The server gives a repeat's release and the press behind it the same
// timestamp, while a new stroke's press always comes later: so a stroke's release waits for the
// next press and the timestamps decide. The last release of a stroke has no press behind it,
// and nothing but a timer can tell that.
class RepeatFilter : public QObject {
    Q_OBJECT
public:
    static constexpr int holdMs = 30;

    explicit RepeatFilter(QObject* parent = nullptr);

    // The release of a stroke, or of a repeat: held back until the next press or the timeout.
    void hold(int key, quint64 timestamp);
    // A press: with the held release's key and time it was a repeat, and the release is dropped.
    void press(int key, quint64 timestamp);
    // Delivers a held-back release at once (before a click or a menu command, say).
    void flush();
    // Drops a held-back release (the keyboard went elsewhere).
    void drop();

signals:
    void released(int key);

private:
    QTimer timer_;
    bool holding_ = false;
    int key_ = 0;
    quint64 timestamp_ = 0;
};

} // namespace nudgeboard
