// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/AudioSettings.h"
#include "rules/SettingsStore.h"

#include <QObject>

#include <optional>

class MpvEngine;

// The audio commands every input calls (hot keys, pedals, MPRIS): volume,
// channel and clear speech. They take effect on the engine at once and are
// kept in the settings file once the settings have been restored from it.
class AudioControls : public QObject
{
    Q_OBJECT
public:
    // `engine` hears the settings; none for a player on a stand-in engine,
    // whose settings are kept all the same.
    explicit AudioControls(MpvEngine *engine, QObject *parent = nullptr);

    // Takes the settings stored in `store` and saves every later change there.
    void restoreFrom(SettingsStore store);

    const AudioSettings &settings() const { return m_settings; }
    int volume() const { return m_settings.volumePercent; }

    // Kept within 0-200 %.
    void setVolume(int percent);
    void volumeUp();
    void volumeDown();
    void setChannel(AudioChannel channel);
    void setClearSpeech(bool on);

signals:
    void changed(const AudioSettings &settings);

private:
    void apply(AudioSettings settings);

    MpvEngine *m_engine;
    std::optional<SettingsStore> m_store;
    AudioSettings m_settings;
};
