// The yardstick for key latency: a Qt window whose whole client area changes colour on every
// key release, with nothing else in between.
#include <QApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QWidget>

namespace {

class Floor : public QWidget {
protected:
    void keyReleaseEvent(QKeyEvent* event) override {
        dark_ = !dark_;
        update();
        event->accept();
    }
    void paintEvent(QPaintEvent*) override {
        QPainter(this).fillRect(rect(), dark_ ? QColor(0, 0, 128) : QColor(255, 255, 0));
    }

private:
    bool dark_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    Floor window;
    window.setWindowTitle("Latency floor");
    window.setFixedSize(290, 214);
    window.setAttribute(Qt::WA_OpaquePaintEvent);
    window.show();
    return app.exec();
}
