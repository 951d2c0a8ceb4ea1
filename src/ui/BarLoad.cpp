// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "rules/Sliders.h"
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
    Expanded = false;

    // L2. The open dialog's file types.
    openDialog->nameFilters = {
        QStringLiteral("All Media Files (*.mp1 *.mp2 *.mp3 *.wav *.wma *.amf *.mp4 *.cda *.mpg *.mpeg *.avi *.wmv)"),
        QStringLiteral("All Files (*)")};

    // L3. Top edge at 0, only the strip showing.
    // L4. Left edge 850 twips from the screen's right edge.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const float left = BarLeftTwips(float(screen.width()) * TwipsPerPixel, float(width()) * TwipsPerPixel);
    setGeometry(screen.x() + Px(int(std::lround(left))), screen.y(), width(), Px(CollapsedHeight));

    // L5. The wind count: the number the stored text begins with. A text
    //     with no number at all (a damaged store) would silently turn the
    //     wind keys into no-ops; it gets the default instead.
    windCount = WindCountFromStoredText(m_settings.value(QStringLiteral("WindCount"), QStringLiteral("500"))).value_or(500);

    // L6. The pitch slider as if pressed in its middle: normal speed.
    setPitchAt(1000);

    // L7. The wind-count slider as if pressed at the wind count.
    setWindCountAt(windCount);

    // The wind count is written off the presses; a bar that goes leaves it
    // written.
    connect(this, &QObject::destroyed, [settings = m_settings]() mutable { settings.finishWrites(); });
}
