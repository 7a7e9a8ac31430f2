// The hold-back of key releases that tells a real release from an auto-repeat's.
#include "app/qt/keyfilter.h"

namespace nudgeboard {

KeyReleaseFilter::KeyReleaseFilter(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(holdMs);
    connect(&timer_, &QTimer::timeout, this, &KeyReleaseFilter::flush);
}

void KeyReleaseFilter::press(int key) {
    if (!holding_)
        return;
    if (key == key_) {
        // The held release belonged to an auto-repeat pair: the key is still down.
        timer_.stop();
        holding_ = false;
        return;
    }
    flush(); // another key: the held release was real
}

void KeyReleaseFilter::release(int key, Qt::KeyboardModifiers modifiers, bool autoRepeat) {
    if (autoRepeat)
        return;
    flush();
    holding_ = true;
    key_ = key;
    modifiers_ = modifiers;
    timer_.start();
}

void KeyReleaseFilter::flush() {
    if (!holding_)
        return;
    timer_.stop();
    holding_ = false;
    emit released(key_, modifiers_);
}

} // namespace nudgeboard
