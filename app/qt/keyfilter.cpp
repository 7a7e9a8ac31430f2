// Tells a key stroke's real release from an auto-repeat's, and from a menu's.
#include "app/qt/keyfilter.h"

namespace nudgeboard {

KeyReleaseFilter::KeyReleaseFilter(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(holdMs);
    connect(&timer_, &QTimer::timeout, this, &KeyReleaseFilter::flush);
}

void KeyReleaseFilter::press(int key, quint64 timestamp) {
    down_.insert(key);
    if (!holding_)
        return;
    if (key == key_ && timestamp == timestamp_) {
        // The held release and this press are one auto-repeat: the key is still down.
        timer_.stop();
        holding_ = false;
        return;
    }
    flush(); // a new stroke, or another key: the held release was real
}

void KeyReleaseFilter::release(int key, Qt::KeyboardModifiers modifiers, quint64 timestamp,
                               bool autoRepeat) {
    if (autoRepeat)
        return;
    flush();
    if (!down_.remove(key))
        return;
    holding_ = true;
    key_ = key;
    timestamp_ = timestamp;
    modifiers_ = modifiers;
    timer_.start();
}

void KeyReleaseFilter::swallow(int key) {
    down_.remove(key);
}

void KeyReleaseFilter::flush() {
    if (!holding_)
        return;
    timer_.stop();
    holding_ = false;
    emit released(key_, modifiers_);
}

} // namespace nudgeboard
