// The timestamp rule for X servers that repeat a held key as release/press pairs.
#include "app/qt/keyfilter.h"

namespace nudgeboard {

RepeatFilter::RepeatFilter(QObject* parent) : QObject(parent) {
    timer_.setSingleShot(true);
    timer_.setInterval(holdMs);
    connect(&timer_, &QTimer::timeout, this, &RepeatFilter::flush);
}

void RepeatFilter::hold(int key, quint64 timestamp) {
    flush();
    holding_ = true;
    key_ = key;
    timestamp_ = timestamp;
    timer_.start();
}

void RepeatFilter::press(int key, quint64 timestamp) {
    if (!holding_)
        return;
    if (key == key_ && timestamp == timestamp_) {
        drop(); // the held release and this press are one repeat: the key is still down
        return;
    }
    flush(); // a new stroke, or another key: the held release was real
}

void RepeatFilter::flush() {
    if (!holding_)
        return;
    drop();
    emit released(key_);
}

void RepeatFilter::drop() {
    timer_.stop();
    holding_ = false;
}

} // namespace nudgeboard
