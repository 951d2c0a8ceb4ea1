// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/AudioControls.h"

#include "engine/MpvEngine.h"

AudioControls::AudioControls(MpvEngine *engine, QObject *parent) : QObject(parent), m_engine(engine)
{
    if (m_engine)
        m_settings = m_engine->audio();
}

void AudioControls::restoreFrom(SettingsStore store)
{
    m_store = store;
    const AudioSettings stored = LoadAudioSettings(store);
    if (stored == m_settings)
        return;
    m_settings = stored;
    if (m_engine)
        m_engine->setAudio(m_settings);
    emit changed(m_settings);
}

void AudioControls::apply(AudioSettings settings)
{
    settings.volumePercent = ClampedVolume(settings.volumePercent);
    if (settings == m_settings)
        return;
    m_settings = settings;
    if (m_engine)
        m_engine->setAudio(m_settings);
    if (m_store && !SaveAudioSettings(*m_store, m_settings))
        qCWarning(lcSettings) << m_store->notSavedText(QStringLiteral("the audio settings"));
    emit changed(m_settings);
}

void AudioControls::setVolume(int percent)
{
    AudioSettings next = m_settings;
    next.volumePercent = percent;
    apply(next);
}

void AudioControls::volumeUp()
{
    setVolume(m_settings.volumePercent + AudioSettings::VolumeStepPercent);
}

void AudioControls::volumeDown()
{
    setVolume(m_settings.volumePercent - AudioSettings::VolumeStepPercent);
}

void AudioControls::setChannel(AudioChannel channel)
{
    AudioSettings next = m_settings;
    next.channel = channel;
    apply(next);
}

void AudioControls::setClearSpeech(bool on)
{
    AudioSettings next = m_settings;
    next.clearSpeech = on;
    apply(next);
}
