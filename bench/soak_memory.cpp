// Resident memory of the real window before and after 10,000 restarts (offscreen).
#include "app/form1.h"
#include "app/qt/gamewindow.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <cstdio>

using namespace nudgeboard;

namespace {

// Resident set in KiB, where the system tells it (Linux); -1 elsewhere.
long residentKiB() {
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine())
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return -1;
}

void restart(GameWindow& window, int n) {
    if (n % 2)
        window.resetAction()->trigger();
    else
        window.levelAction(1 + n / 2 % 8)->trigger();
    QApplication::processEvents();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Form1 form;
    GameWindow window(form);
    window.show();
    for (int n = 0; n < 100; ++n) // warm up caches and allocator pools
        restart(window, n);
    long before = residentKiB();
    const int restarts = 10'000;
    for (int n = 0; n < restarts; ++n)
        restart(window, n);
    long after = residentKiB();
    std::printf("restarts %d, resident before %ld KiB, after %ld KiB, growth %ld KiB\n", restarts,
                before, after, after - before);
    return after - before < 1024 ? 0 : 1;
}
