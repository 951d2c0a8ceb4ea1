// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

// The four things a hot key can do, in the order in which a key bound to
// several of them is given to the first.
enum class HotKeyAction { FullRewind, FastRewind, PlayPause, FastForward };

// What happened to an action's key. Every event counts the same in the
// hot-key rules; the kind matters to key sources and to logging.
enum class KeyEvent { Press, Repeat, Release };

// One row per action: what the user reads, where the binding is stored and
// the key it has by default. The Keys dialog, the stored assignments and the
// key sources all go by this table, so a new action is one row.
struct HotKeyActionInfo
{
    HotKeyAction action;
    const char *caption;
    const char *settingsKey;
    const char *defaultKey;
};

inline constexpr std::array<HotKeyActionInfo, 4> HotKeyActions{{
    {HotKeyAction::FullRewind, "Full Rewind", "FuR", "F4"},
    {HotKeyAction::FastRewind, "Fast Rewind", "FR", "F5"},
    {HotKeyAction::PlayPause, "Play/Pause", "PP", "F6"},
    {HotKeyAction::FastForward, "Fast Forward", "FF", "F8"},
}};

constexpr const HotKeyActionInfo &InfoOf(HotKeyAction action)
{
    return HotKeyActions[std::size_t(action)];
}
