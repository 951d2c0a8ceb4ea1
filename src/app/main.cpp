// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/DesktopSession.h"
#include "desktop/MediaTypes.h"
#include "desktop/RemoteAction.h"
#include "ui/ExitSignals.h"
#include "ui/ReadableLabels.h"
#include "ui/Bar.h"
#include "ui/Startup.h"
#include "ui/TimestampCommands.h"

#include <QApplication>
#include <QStyleFactory>

#include <fontconfig/fontconfig.h>
#include <xcb/xcb.h>

#include <clocale>
#include <cstdio>
#include <thread>

namespace {

// Whether the X display named by DISPLAY accepts us. Asked before Qt starts,
// because Qt ends the process with a long platform-plugin report when it
// cannot connect.
bool DisplayReachable()
{
    xcb_connection_t *c = xcb_connect(nullptr, nullptr);
    const bool ok = xcb_connection_has_error(c) == 0;
    xcb_disconnect(c);
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    // An action for the bar already running, --help or --version: no display needed,
    // as a Wayland desktop's key bindings run the actions.
    if (const std::optional<int> status = DesktopSession::AnswerCommand(argc, argv))
        return *status;

    // The global hot keys need X11: under a Wayland session run through
    // XWayland unless the user chose a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    if (qgetenv("QT_QPA_PLATFORM").startsWith("xcb")) {
        if (qEnvironmentVariableIsEmpty("DISPLAY")) {
            std::fprintf(stderr, "murmelvox: no X display (DISPLAY is not set); start Murmelvox from a desktop session.\n");
            return 1;
        }
        if (!DisplayReachable()) {
            std::fprintf(stderr, "murmelvox: cannot open the X display \"%s\"; start Murmelvox from a desktop session.\n",
                         qgetenv("DISPLAY").constData());
            return 1;
        }
    }

    // Before the thread below starts: this may set the environment, which
    // fontconfig reads.
    DesktopSession::ChooseSessionBus();

    // Our only regular expressions are Qt's own, matching the open dialog's
    // name filters against a folder's names. The JIT compiler would keep its
    // code and stacks mapped for the whole session to save microseconds.
    if (!qEnvironmentVariableIsSet("QT_ENABLE_REGEXP_JIT"))
        qputenv("QT_ENABLE_REGEXP_JIT", "0");

    // Fontconfig reads its configuration and its font caches on first use,
    // which comes when the bar is shown. Read meanwhile on another core,
    // they are ready by then and the bar appears sooner.
    std::thread(FcInit).detach();

    QApplication app(argc, argv);
    // Only the exit button ends the program: closing a notice, a message box
    // or a dialog must never count as closing the "last" window (the bar is a
    // tool window, which Qt does not count).
    QApplication::setQuitOnLastWindowClosed(false);
    // The bar's controls are laid out to the pixel; one style everywhere
    // keeps them fitting whatever the desktop's theme.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    // The media engine parses numbers with the C locale.
    std::setlocale(LC_NUMERIC, "C");
    // Screen readers read the labels' texts.
    InstallReadableLabels();

    // Lets the desktop match the bar's window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MURMELVOX_APP_ID));

    // One bar per session: a second launch hands its file over and ends.
    DesktopSession desktop(QByteArrayList(argv, argv + argc));
    if (desktop.HandedOver())
        return desktop.ExitCode();
    Bar *bar = startup();
    // Before anything can show a message box, in whose loop the exit button
    // may be pressed.
    QObject::connect(bar, &Bar::exiting, [&desktop] { desktop.ReleaseNames(); });
    TimestampCommands timestamps(bar->player(), bar->settings());
    desktop.Attach(
        &bar->player(), [bar] { bar->show(); bar->raise(); }, [bar] { bar->exitProgram(); },
        [bar] { bar->showSettings(); }, [&timestamps] { timestamps.copyToClipboard(); },
        [&timestamps] { timestamps.insertIntoFocused(); });
    // Started by the menu entry's Settings, with no bar running before.
    if (ParseCommandArguments(app.arguments()).kind == CommandRequest::OpenSettings)
        bar->showSettings();
    const ExitSignals exitSignals([bar] { bar->exitProgram(); });
    return app.exec();
}
