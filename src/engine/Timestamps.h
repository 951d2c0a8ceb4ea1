// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/Timestamp.h"

#include <QString>
#include <QStringView>

#include <functional>

class Player;

// The timestamp commands on the player: the position as the typist's
// document writes it, and going to a time read from the document. Every
// input (the bar, the command line, the bus) uses these; putting the text on
// the clipboard or typing it is the desktop's part.
class Timestamps
{
public:
    // `format` is read at each command, so a change in the settings counts
    // at once.
    Timestamps(Player &player, std::function<TimestampFormat()> format);

    // The current position, or nothing when no file is open.
    std::optional<QString> current() const;

    // Goes to the time `text` names; past the end, to the end, paused (the
    // pause look on the buttons; the engine reports a file halted at its
    // end as stopped at its length, so that Play starts it again).
    // Returns why it did not go (no file, no timestamp), for one message;
    // the position is then untouched.
    QString goTo(QStringView text);

private:
    Player &m_player;
    std::function<TimestampFormat()> m_format;
};
