// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class SettingsStore;

// Which of a recording's channels the typist hears; every choice is heard
// as one (mono) signal, so that a single ear-piece carries all of it.
enum class AudioChannel {
    Both,   // left and right mixed
    Left,   // the left channel only (say, the interviewer's microphone)
    Right,
};

struct AudioSettings
{
    // Percent of the recording's own level; above 100 the engine amplifies
    // and limits the peaks instead of clipping them.
    int volumePercent = 100;
    AudioChannel channel = AudioChannel::Both;
    // Cuts rumble, evens out quiet and loud passages, reduces steady noise.
    bool clearSpeech = false;

    static constexpr int MinVolumePercent = 0;
    static constexpr int MaxVolumePercent = 200;
    // What one volume-up or volume-down command moves.
    static constexpr int VolumeStepPercent = 5;

    bool operator==(const AudioSettings &) const = default;
};

// `percent` kept within the volume's range.
int ClampedVolume(int percent);

// The audio settings in their own section ("audio") of the settings file;
// a value missing or not understood reads as its default.
AudioSettings LoadAudioSettings(const SettingsStore &store);
bool SaveAudioSettings(SettingsStore &store, const AudioSettings &settings);
