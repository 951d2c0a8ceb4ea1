// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/PedalModels.h"

#include <QString>

#include <array>

class SettingsStore;

// What a pedal does.
enum class PedalAction {
    PlayWhileHeld, // plays while down; on release pauses and winds back the auto-rewind
    PlayPause,     // toggles on each press
    WindBack,      // one wind step back on press, repeated while held
    WindForward,   // the same, forward
    BackToStart,   // to the start on press
    Nothing,
};
constexpr int PedalActionCount = 6;

// The words the settings file and the settings window use for an action.
QString pedalActionKey(PedalAction action);
QString pedalActionLabel(PedalAction action);
QString pedalLabel(Pedal pedal);

struct PedalSettings
{
    // The typist's convention: the left pedal rewinds, the middle one plays
    // while held, the right one winds on.
    std::array<PedalAction, PedalCount> actions{PedalAction::WindBack, PedalAction::PlayWhileHeld,
                                                PedalAction::WindForward, PedalAction::Nothing};
    // Wound back when a held play ends; 0 turns it off.
    double autoRewindSeconds = 1;
    // While a wind pedal stays down: the wait before repeating, and the time
    // between repeats.
    int repeatDelayMs = 500;
    int repeatPaceMs = 250;

    static constexpr double MaxAutoRewindSeconds = 10;
    static constexpr int MinRepeatPaceMs = 50;
    static constexpr int MaxRepeatPaceMs = 2000;

    bool operator==(const PedalSettings &) const = default;
};

// The pedal settings in their own section ("pedals") of the settings file;
// a value missing or out of range reads as its default.
PedalSettings LoadPedalSettings(const SettingsStore &store);
bool SavePedalSettings(SettingsStore &store, const PedalSettings &settings);
