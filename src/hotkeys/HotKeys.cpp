// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/HotKeys.h"

#include "rules/KeyAssignments.h"
#include "engine/Player.h"

#include <QScopedValueRollback>
#include <limits>

namespace {

// A counter that is not reset keeps counting (a key held for hours with no
// file open); it stops at the top instead of wrapping, because a wrapped
// counter would come round to the firing value and act unasked.
void Count(std::int16_t &counter)
{
    if (counter < std::numeric_limits<std::int16_t>::max())
        ++counter;
}

} // namespace

HotKeys::HotKeys(Player &player, QObject *parent) : QObject(parent), m_player(player)
{
    connect(&player, &Player::transportCommanded, this,
            [this](Player::Transport command) { transportCommanded(int(command)); });
}

void HotKeys::transportCommanded(int command)
{
    if (m_acting)
        return;
    // After Play the next Play/Pause stroke pauses; after Pause or Stop it plays.
    m_counts = {};
    if (Player::Transport(command) == Player::Transport::Play)
        m_counts.playPause = 2;
}

void HotKeys::handle(HotKeyAction action, KeyEvent)
{
    const QScopedValueRollback acting(m_acting, true);

    switch (action) {
    case HotKeyAction::FullRewind:
        m_player.rewindToStart();
        return;
    case HotKeyAction::FastRewind:
    case HotKeyAction::FastForward: {
        const bool back = action == HotKeyAction::FastRewind;
        std::int16_t &count = back ? m_counts.rewind : m_counts.forward;
        Count(count);
        if (!m_player.hasFile() || count != 2)
            return;
        count = 0;
        back ? m_player.windBack() : m_player.windForward();
        return;
    }
    case HotKeyAction::PlayPause:
        Count(m_counts.playPause);
        if (!m_player.hasFile())
            return;
        // Any stroke lets the Stop button up; the second plays, the fourth pauses.
        m_player.showLook({std::nullopt, std::nullopt, false});
        if (m_counts.playPause == 2) {
            m_player.play();
        } else if (m_counts.playPause == 4) {
            m_player.pause();
            m_counts.playPause = 0;
        }
        return;
    }
}

bool HotKeys::handleKey(FunctionKey key, KeyEvent event)
{
    // None marks an unbound action, never a key.
    if (key == FunctionKey::None)
        return false;
    for (const HotKeyActionInfo &info : HotKeyActions) {
        if (m_bindings[std::size_t(info.action)] == key) {
            handle(info.action, event);
            return true;
        }
    }
    return false;
}
