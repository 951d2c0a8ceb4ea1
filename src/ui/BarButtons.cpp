// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "hotkeys/GlobalHotKeys.h"
#include "rules/SettingsStore.h"
#include "ui/BarWindow.h"
#include "ui/TrayIcon.h"

#include <QGuiApplication>
#include <QPropertyAnimation>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <sys/socket.h>

namespace {

// The X server drops what the bar holds there (its windows above all) when
// the connection ends, which is otherwise when the process does.
void EndDisplayConnection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    if (xcb_connection_t *c = x11 ? x11->connection() : nullptr)
        ::shutdown(xcb_get_file_descriptor(c), SHUT_RDWR);
}

// Long enough for a large settings file on a local disk.
constexpr int ExitSettingsWaitMs = 2000;

} // namespace

// The exit button: the only way the program ends.
void Bar::exitProgram()
{
    // A thread of the engine stuck in a read (a file on a hung share) keeps
    // the process from ending, and with it its connections to the display
    // and the bus: what they hold is given back here, not left to the end.

    // 1. Release the global hot keys.
    m_globalHotKeys->releaseKeys();

    // 2. Give up the names on the session bus, for the next bar.
    emit exiting();

    // 3. The tray icon and the bar's windows go, and are gone from the
    //    screen before the process is.
    m_trayIcon.reset();
    FlushDisplay();
    EndDisplayConnection();

    // 4. A wind count still being written reaches the disk, unless the
    //    disk does not answer: the exit must not wait on it.
    m_settings.finishWrites(QDeadlineTimer(ExitSettingsWaitMs));

    // 5. End at once: no handler of any window runs and nothing is saved.
    //    Ending the process closes the audio output, so the sound stops
    //    with it.
    std::_Exit(0);
}

// The expand/collapse button. Only the window's height changes, frame by
// frame; the panel is uncovered or covered in place.
void Bar::togglePanel()
{
    if (m_panelMotion->state() == QAbstractAnimation::Running) {
        // While the panel slides out, a click asks for what is under way.
        // While it slides in, the click waits for the bar to close and then
        // opens it again.
        if (m_expanded)
            m_clickedWhileCollapsing = true;
        return;
    }
    m_panelMotion->setStartValue(size());
    m_panelMotion->setEndValue(QSize(width(), Px(m_expanded ? CollapsedHeight : ExpandedHeight)));
    m_panelMotion->start();
}

void Bar::panelMotionEnded()
{
    m_expanded = !m_expanded;
    if (m_clickedWhileCollapsing) {
        m_clickedWhileCollapsing = false;
        togglePanel();
    }
}

void Bar::expandAtOnce()
{
    m_panelMotion->stop();
    resize(width(), Px(ExpandedHeight));
    m_expanded = true;
}
