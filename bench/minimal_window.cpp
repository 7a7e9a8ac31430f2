// The yardstick for start-up: an empty Qt main window with a menu bar, nothing else.
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.setWindowTitle("Minimal");
    window.menuBar()->addMenu("Menu");
    auto* client = new QWidget(&window);
    client->setFixedSize(290, 214);
    window.setCentralWidget(client);
    window.show();
    return app.exec();
}
