// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/FootPedals.h"

#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "rules/PedalSettings.h"
#include "ui/PedalsWindow.h"

#include <QMessageBox>

FootPedals::FootPedals(Player &player, SettingsStore settings, QWidget *owner)
    : QObject(owner),
      m_owner(owner),
      m_settings(settings),
      m_monitor(new PedalMonitor(this)),
      m_actions(new PedalActions(player, this))
{
    m_actions->listenTo(*m_monitor);
}

void FootPedals::start()
{
    m_actions->setSettings(LoadPedalSettings(m_settings));
    m_monitor->setTaughtLayouts(LoadTaughtLayouts(m_settings));
    // Told once, in a box that does not block the bar; the bar carries on
    // without the pedal.
    connect(m_monitor, &PedalMonitor::cannotOpen, this, [](const QString &text) {
        auto *notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Murmelvox"), text, QMessageBox::Ok);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->setModal(false);
        notice->setWindowFlag(Qt::WindowStaysOnTopHint);
        notice->setAccessibleName(QStringLiteral("Foot pedal not readable"));
        notice->setAccessibleDescription(text);
        notice->show();
    });
    m_monitor->start();
}

void FootPedals::showSettings()
{
    if (!m_window) {
        m_window = new PedalsWindow(*m_monitor, *m_actions, m_settings, m_owner);
        m_window->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
}
