// The same events through the Qt window, offscreen, each followed by its repaint.
#include "app/form1.h"
#include "app/qt/gamewindow.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <benchmark/benchmark.h>

using namespace nudgeboard;

namespace {

QApplication* app = nullptr;

void sendKey(QWidget* window, QEvent::Type type, Qt::Key key) {
    QKeyEvent event(type, key, Qt::NoModifier);
    QApplication::sendEvent(window, &event);
}

void WindowKeyReleaseMovesPiece(benchmark::State& state) {
    Form1 form;
    GameWindow window(form);
    window.show();
    QApplication::processEvents();
    form.Grid_Click(20);
    Qt::Key key = Qt::Key_Right;
    for (auto _ : state) {
        sendKey(&window, QEvent::KeyPress, key);
        sendKey(&window, QEvent::KeyRelease, key);
        QApplication::processEvents(); // paints the changed cells
        key = key == Qt::Key_Right ? Qt::Key_Left : Qt::Key_Right;
    }
    if (form.moveCount != 1)
        state.SkipWithError("the piece did not move");
}
BENCHMARK(WindowKeyReleaseMovesPiece);

void WindowRestart(benchmark::State& state) {
    Form1 form;
    GameWindow window(form);
    window.show();
    QApplication::processEvents();
    for (auto _ : state) {
        window.resetAction()->trigger();
        QApplication::processEvents();
    }
    benchmark::DoNotOptimize(form.loads());
}
BENCHMARK(WindowRestart)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    app = &application;
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
