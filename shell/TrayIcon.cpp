#include "shell/TrayIcon.h"

#include <QSystemTrayIcon>
#include <QWidget>

QString TrayTip(const QString &address)
{
    QString tip = QStringLiteral("Murmelvox - from Kelvaro") + QLatin1Char('\n') + address;
    tip.truncate(TrayTipLength);
    return tip.leftJustified(TrayTipLength, QLatin1Char(' '));
}

void AddTrayIcon(QWidget *window)
{
    TrayIconData = new QSystemTrayIcon(window->windowIcon(), window);
    TrayIconData->setToolTip(TrayTip());
    TrayIconData->show();
}

void DeleteTrayIcon()
{
    delete TrayIconData;
    TrayIconData = nullptr;
}
