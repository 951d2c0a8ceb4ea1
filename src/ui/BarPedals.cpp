// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Bar.h"

#include "pedals/PedalActions.h"
#include "pedals/PedalMonitor.h"
#include "ui/PedalsWindow.h"

#include <QMessageBox>

void Bar::startPedals()
{
    pedalActions->setSettings(LoadPedalSettings(m_settings));
    // Told once, in a box that does not block the bar; the bar carries on
    // without the pedal.
    connect(pedalMonitor, &PedalMonitor::cannotOpen, this, [](const QString &text) {
        auto *notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Murmelvox"), text, QMessageBox::Ok);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->setModal(false);
        notice->setWindowFlag(Qt::WindowStaysOnTopHint);
        notice->setAccessibleName(QStringLiteral("Foot pedal not readable"));
        notice->setAccessibleDescription(text);
        notice->show();
    });
    pedalMonitor->start();
}

void Bar::showSettings()
{
    if (!m_settingsWindow) {
        // A window of its own that lives no longer than the bar it acts on.
        m_settingsWindow = new PedalsWindow(*pedalMonitor, *pedalActions, m_settings, this);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
}
