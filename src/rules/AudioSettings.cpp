// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/AudioSettings.h"

#include "rules/SettingsStore.h"

#include <algorithm>

namespace {

const QString Section = QStringLiteral("audio");
const QString VolumeKey = QStringLiteral("volume");
const QString ChannelKey = QStringLiteral("channel");
const QString ClearSpeechKey = QStringLiteral("clearSpeech");

const char *const ChannelNames[] = {"both", "left", "right"};

} // namespace

int ClampedVolume(int percent)
{
    return std::clamp(percent, AudioSettings::MinVolumePercent, AudioSettings::MaxVolumePercent);
}

AudioSettings LoadAudioSettings(const SettingsStore &store)
{
    AudioSettings settings;
    const QVariantMap values = store.section(Section);
    bool ok = false;
    const int volume = values.value(VolumeKey).toString().toInt(&ok);
    if (ok && volume == ClampedVolume(volume))
        settings.volumePercent = volume;
    const QString channel = values.value(ChannelKey).toString();
    for (int i = 0; i < int(std::size(ChannelNames)); ++i) {
        if (channel == QLatin1String(ChannelNames[i]))
            settings.channel = AudioChannel(i);
    }
    // Only the two words written: QVariant would take any other text as true.
    const QString clear = values.value(ClearSpeechKey).toString();
    if (clear == QLatin1String("true") || clear == QLatin1String("false"))
        settings.clearSpeech = clear == QLatin1String("true");
    return settings;
}

bool SaveAudioSettings(SettingsStore &store, const AudioSettings &settings)
{
    QVariantMap values;
    values.insert(VolumeKey, QString::number(settings.volumePercent));
    values.insert(ChannelKey, QLatin1String(ChannelNames[int(settings.channel)]));
    values.insert(ClearSpeechKey, settings.clearSpeech ? QStringLiteral("true") : QStringLiteral("false"));
    return store.setSection(Section, values);
}
