// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "ui/PitchView.h"
#include "ui/WindCountView.h"

#include "ui/BarWindow.h"
#include "ui/Startup.h"
#include "rules/SettingsStore.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

// The window's load handler: startup runs it right after creating the window,
// before anything else of start-up. Its steps run in this order.
void Bar::load()
{
    // L1. The panel starts hidden.
    m_expanded = false;

    // L2. The open dialog's file types.
    m_openDialog->nameFilters = {
        QStringLiteral("All Media Files (*.mp1 *.mp2 *.mp3 *.wav *.wma *.amf *.mp4 *.cda *.mpg *.mpeg *.avi *.wmv)"),
        QStringLiteral("All Files (*)")};

    // L3. Top edge at 0, only the strip showing.
    // L4. Left edge 850 twips from the screen's right edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float left = BarLeftTwips(float(screen.width()) * TwipsPerPixel, float(width()) * TwipsPerPixel);
    setGeometry(screen.x() + Px(int(std::lround(left))), screen.y(), width(), Px(CollapsedHeight));

    // L6. Normal speed, the pitch track showing it.
    m_pitch->startAtNormalSpeed();

    // L5 and L7. The stored wind count, shown on its track.
    m_windCount->load();

    // The wind count is written off the presses; a bar that goes leaves it
    // written.
    connect(this, &QObject::destroyed, [settings = m_settings]() mutable { settings.finishWrites(); });
}
