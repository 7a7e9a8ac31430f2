// Starts the game: one window, no command line.
#include "app/form1.h"
#include "app/qt/gamewindow.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLatin1String>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

// The game's command as it works from any folder: the name alone when the shell found it on
// the PATH (an installed game), else the full path it was started by.
std::string program = "nudgeboard";

void sayNoDisplay() {
    std::fprintf(stderr,
                 "nudgeboard: no display to open the window on; without a desktop, run: "
                 "xvfb-run -a %s\n",
                 program.c_str());
}

QStringList heldBack;

// While the toolkit looks for a display, its messages are held back: if it finds none, the
// player gets one clear line instead of the toolkit's abort. Any other fatal start-up fault
// (a missing platform plugin, say) is passed on as the toolkit words it.
void startupMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtFatalMsg) {
        heldBack << message;
        return;
    }
    if ((heldBack.join('\n') + message).contains(QLatin1String("connect to display"))) {
        sayNoDisplay();
    } else {
        for (const QString& held : heldBack)
            std::fprintf(stderr, "%s\n", qPrintable(held));
        std::fprintf(stderr, "nudgeboard: %s\n", qPrintable(message));
    }
    std::_Exit(1);
}

bool noDisplayVariables() {
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") &&
           qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return false;
#endif
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc > 0 && argv[0] && std::string(argv[0]).find('/') != std::string::npos) {
        std::error_code error;
        auto path = std::filesystem::weakly_canonical(std::filesystem::absolute(argv[0]), error);
        if (!error)
            program = path.string();
    }
    if (noDisplayVariables()) {
        sayNoDisplay();
        return 1;
    }
    // The game takes no command line, so none of it reaches the toolkit either.
    int qtArgc = argc > 0 ? 1 : 0;
    QtMessageHandler previous = qInstallMessageHandler(startupMessages);
    QApplication app(qtArgc, argv);
    qInstallMessageHandler(previous);
    for (const QString& message : heldBack)
        qWarning("%s", qPrintable(message));

    nudgeboard::Form1 form;
    nudgeboard::GameWindow window(form);
    window.show();
    const int status = app.exec();
    // Qt 6.4's Wayland plugin, taking its connection down, now and then waits forever on its
    // own reader thread, and the game outlives its closed window. The game keeps nothing to
    // save, so under Wayland it ends here, without the toolkit's teardown.
    if (QGuiApplication::platformName().startsWith(QLatin1String("wayland"))) {
        std::fflush(nullptr);
        std::_Exit(status);
    }
    return status;
}
