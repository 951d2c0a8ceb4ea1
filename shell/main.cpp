#include "shell/Module1.h"

#include <QApplication>
#include <clocale>
#include <cstdio>

int main(int argc, char *argv[])
{
    // The global hot keys need X11: under a Wayland session run through
    // XWayland unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (qgetenv("QT_QPA_PLATFORM") == "xcb" && qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "murmelvox: no X display (DISPLAY is not set); start it from a desktop session.\n");
        return 1;
    }

    QApplication app(argc, argv);
    // The media engine parses numbers with the C locale.
    std::setlocale(LC_NUMERIC, "C");

    Main();
    return app.exec();
}
