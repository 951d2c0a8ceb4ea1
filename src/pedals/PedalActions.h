// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalSettings.h"

#include <QObject>
#include <QTimer>

#include <array>

class PedalMonitor;
class Player;

// The pedals' rules: each press and release carries out the pedal's chosen
// action on the player, through the same commands as the transport buttons
// (so a play or pause from a pedal also resets the hot-key counters). With no
// file open a press does nothing at all.
class PedalActions : public QObject
{
    Q_OBJECT
public:
    explicit PedalActions(Player &player, QObject *parent = nullptr);

    const PedalSettings &settings() const { return m_settings; }
    // Takes effect from the next press; a pedal held now finishes what its
    // press began.
    void setSettings(const PedalSettings &settings);

    // Acts on the pedals this monitor reads.
    void listenTo(PedalMonitor &monitor);

    void press(Pedal pedal);
    void release(Pedal pedal);
    bool isDown(Pedal pedal) const { return m_down[int(pedal)]; }

private:
    // One wind of a held wind pedal; false when the player refused it (at
    // the start or the end), which ends the repeat.
    bool wind(PedalAction action);
    void repeat(int pedal);

    Player &m_player;
    PedalSettings m_settings;
    std::array<bool, PedalCount> m_down{};
    // What each held pedal's press started, carried through to its release.
    std::array<PedalAction, PedalCount> m_started{};
    std::array<QTimer, PedalCount> m_repeat;
};
