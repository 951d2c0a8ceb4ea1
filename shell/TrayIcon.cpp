#include "shell/TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QWidget>

QString TrayTip(const QString &address)
{
    QString tip = QStringLiteral("Murmelvox - from Kelvaro") + QLatin1Char('\n') + address;
    tip.truncate(TrayTipLength);
    return tip.leftJustified(TrayTipLength, QLatin1Char(' '));
}

void AddTrayIcon(QWidget *window, const std::function<void()> &showSettings)
{
    TrayIconData = new QSystemTrayIcon(window->windowIcon(), window);
    TrayIconData->setToolTip(TrayTip());
    if (showSettings) {
        // The tray does not own its menu; the window does.
        auto *menu = new QMenu(window);
        menu->setAccessibleName(QStringLiteral("Murmelvox menu"));
        QAction *settings = menu->addAction(QStringLiteral("Settings…"));
        QObject::connect(settings, &QAction::triggered, window, showSettings);
        TrayIconData->setContextMenu(menu);
    }
    TrayIconData->show();
}

void DeleteTrayIcon()
{
    delete TrayIconData;
    TrayIconData = nullptr;
}
