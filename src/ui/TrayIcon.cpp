// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/TrayIcon.h"

#include <QMenu>
#include <QWidget>

QString TrayTip(const QString &address)
{
    QString tip = QStringLiteral("Murmelvox - from Kelvaro") + QLatin1Char('\n') + address;
    tip.truncate(TrayTipLength);
    return tip.leftJustified(TrayTipLength, QLatin1Char(' '));
}

std::unique_ptr<QSystemTrayIcon> AddTrayIcon(QWidget *window, const std::function<void()> &showSettings)
{
    auto icon = std::make_unique<QSystemTrayIcon>(window->windowIcon());
    icon->setToolTip(TrayTip());
    if (showSettings) {
        // The tray does not own its menu; the window does.
        auto *menu = new QMenu(window);
        menu->setAccessibleName(QStringLiteral("Murmelvox menu"));
        QAction *settings = menu->addAction(QStringLiteral("Settings…"));
        QObject::connect(settings, &QAction::triggered, window, showSettings);
        icon->setContextMenu(menu);
    }
    icon->show();
    return icon;
}
