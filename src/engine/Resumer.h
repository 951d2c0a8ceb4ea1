// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/MediaPlayer.h"
#include "rules/ResumeStore.h"

#include <QObject>

#include <memory>
#include <optional>

class Player;

// Each file resumes where it was left. Where the player's file is paused,
// stopped, left for another file, or the program ends (keepPlace), its place
// is kept; a file opened again, as it was then, goes there before anything
// plays, and waits for play.
class Resumer : public QObject
{
    Q_OBJECT
public:
    Resumer(Player &player, std::unique_ptr<ResumeStore> store, QObject *parent = nullptr);

    // Off: files open at the start, and no place is kept.
    void setEnabled(bool enabled) { m_enabled = enabled; }
    bool isEnabled() const { return m_enabled; }

    // Keeps where the open file is now.
    void keepPlace();
    ResumeStore &store() const { return *m_store; }
    // Where the open file resumed; none when it opened at the start.
    std::optional<double> resumedAt() const { return m_resumedAt; }

signals:
    // The file just opened was moved to where it was left.
    void resumed(double seconds);

private:
    void fileOpened(bool opened);
    void stateChanged(PlayState state);

    Player &m_player;
    std::unique_ptr<ResumeStore> m_store;
    bool m_enabled = true;
    // The open file as it was when it opened.
    std::optional<FileIdentity> m_file;
    std::optional<double> m_resumedAt;
};
