// SPDX-License-Identifier: GPL-3.0-or-later
#include "pedals/PedalActions.h"

#include "pedals/PedalMonitor.h"
#include "engine/Player.h"

#include <algorithm>
#include <utility>

PedalActions::PedalActions(Player &player, QObject *parent) : QObject(parent), m_player(player)
{
    m_started.fill(PedalAction::Nothing);
    for (int pedal = 0; pedal < PedalCount; ++pedal) {
        // A steady pace: coarse timers may drift by 5 %.
        m_repeat[pedal].setTimerType(Qt::PreciseTimer);
        connect(&m_repeat[pedal], &QTimer::timeout, this, [this, pedal] { repeat(pedal); });
    }
}

void PedalActions::setSettings(const PedalSettings &settings)
{
    m_settings = settings;
}

void PedalActions::listenTo(PedalMonitor &monitor)
{
    connect(&monitor, &PedalMonitor::pedalPressed, this, &PedalActions::press);
    connect(&monitor, &PedalMonitor::pedalReleased, this, &PedalActions::release);
}

void PedalActions::press(Pedal pedal)
{
    const int i = int(pedal);
    if (m_down[i])
        return;
    m_down[i] = true;
    const PedalAction action = m_player.hasFile() ? m_settings.actions[i] : PedalAction::Nothing;
    m_started[i] = action;
    switch (action) {
    case PedalAction::PlayWhileHeld:
        m_player.play();
        break;
    case PedalAction::PlayPause:
        m_player.togglePlayPause();
        break;
    case PedalAction::WindBack:
    case PedalAction::WindForward:
        wind(action);
        // Held past the delay, it keeps winding at the pace.
        m_repeat[i].start(m_settings.repeatDelayMs);
        break;
    case PedalAction::BackToStart:
        m_player.rewindToStart();
        break;
    case PedalAction::Nothing:
        break;
    }
}

void PedalActions::release(Pedal pedal)
{
    const int i = int(pedal);
    if (!m_down[i])
        return;
    m_down[i] = false;
    m_repeat[i].stop();
    const PedalAction started = std::exchange(m_started[i], PedalAction::Nothing);
    if (started != PedalAction::PlayWhileHeld || !m_player.hasFile())
        return;
    m_player.pause();
    // The typist hears the last words again when playing resumes.
    if (m_settings.autoRewindSeconds > 0)
        m_player.jumpTo(std::max(0.0, m_player.position() - m_settings.autoRewindSeconds));
}

bool PedalActions::wind(PedalAction action)
{
    return action == PedalAction::WindBack ? m_player.windBack() : m_player.windForward();
}

void PedalActions::repeat(int pedal)
{
    if (!m_player.hasFile() || !wind(m_started[pedal])) {
        m_repeat[pedal].stop();
        return;
    }
    m_repeat[pedal].start(m_settings.repeatPaceMs);
}
