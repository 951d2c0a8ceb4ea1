// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/Resumer.h"

#include "engine/Player.h"

Resumer::Resumer(Player &player, std::unique_ptr<ResumeStore> store, QObject *parent)
    : QObject(parent), m_player(player), m_store(std::move(store))
{
    connect(&player, &Player::leavingFile, this, [this] {
        keepPlace();
        m_file.reset();
        m_resumedAt.reset();
    });
    connect(&player, &Player::fileChanged, this, [this](const QString &, bool opened) { fileOpened(opened); });
    connect(&player, &Player::stateChanged, this, &Resumer::stateChanged);
}

void Resumer::keepPlace()
{
    if (m_enabled && m_file && m_player.hasFile())
        m_store->keep(*m_file, ResumePoint(m_player.position(), m_player.duration()));
}

// The player announces an opened file before it runs the commands given
// while it opened: the move comes before any play, and a jump asked for
// meanwhile still has the last word.
void Resumer::fileOpened(bool opened)
{
    m_resumedAt.reset();
    m_file = opened ? FileIdentity::of(m_player.file().native()) : std::nullopt;
    if (!m_enabled || !m_file)
        return;
    const double place = ResumePoint(m_store->place(*m_file).value_or(0), m_player.duration());
    if (place <= 0)
        return;
    m_resumedAt = place;
    m_player.jumpTo(place);
    emit resumed(place);
}

void Resumer::stateChanged(PlayState state)
{
    // Stop goes back to the start, and so forgets the place; so does the
    // end of the file.
    if (state == PlayState::Paused || state == PlayState::Stopped)
        keepPlace();
}
