// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/HotKeyActions.h"
#include "rules/KeyAssignments.h"

#include <QObject>
#include <cstdint>

class Player;

// The hot-key rules: they count each action's key events and act on the
// player at the counts that fire. Full Rewind acts on every event; the winds
// act on every second event; Play/Pause plays on the second and pauses on the
// fourth, so a press-and-release toggles. A transport command from anywhere
// else (a button, MPRIS, a pedal) resets the counts so that the next
// Play/Pause key stroke does the opposite of what is heard.
class HotKeys : public QObject
{
    Q_OBJECT
public:
    struct Counts
    {
        std::int16_t playPause = 0;
        std::int16_t rewind = 0;
        std::int16_t forward = 0;
        bool operator==(const Counts &) const = default;
    };

    explicit HotKeys(Player &player, QObject *parent = nullptr);

    void handle(HotKeyAction action, KeyEvent event);
    // One event of a function key. True when the key is bound to an action:
    // the event is then the program's.
    bool handleKey(FunctionKey key, KeyEvent event = KeyEvent::Press);

    // The key of each action; a key bound to several goes to the first.
    const KeyBindings &bindings() const { return m_bindings; }
    void setBindings(const KeyBindings &bindings) { m_bindings = bindings; }

    Counts counts() const { return m_counts; }
    void setCounts(const Counts &counts) { m_counts = counts; }

private:
    void transportCommanded(int command);

    Player &m_player;
    Counts m_counts;
    KeyBindings m_bindings{};
    bool m_acting = false; // the player's transport signals are our own
};
