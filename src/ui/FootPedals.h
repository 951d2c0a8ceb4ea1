// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/SettingsStore.h"

#include <QObject>
#include <QPointer>

class PedalActions;
class PedalMonitor;
class PedalsWindow;
class Player;
class QWidget;

// The foot pedals of one bar: what reads them, their actions on the player,
// and the settings window where the typist chooses those actions.
class FootPedals : public QObject
{
    Q_OBJECT
public:
    // `owner` is the bar: the settings window lives no longer than it.
    FootPedals(Player &player, SettingsStore settings, QWidget *owner);

    // Loads the stored actions and reads the pedals plugged in, from then on
    // (start-up runs it after the first paint).
    void start();

    // Opens the settings window, or brings it to the front.
    void showSettings();

private:
    QWidget *m_owner;
    SettingsStore m_settings;
    PedalMonitor *m_monitor;
    PedalActions *m_actions;
    QPointer<PedalsWindow> m_window;
};
