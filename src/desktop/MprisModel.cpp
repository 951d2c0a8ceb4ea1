// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/MprisModel.h"

#include "engine/MediaPlayer.h"

#include <QDBusObjectPath>

#include <cmath>
#include <limits>

qint64 ToMicroseconds(double seconds)
{
    if (!std::isfinite(seconds) || seconds <= 0)
        return 0;
    const double us = std::round(seconds * 1e6);
    if (us >= double(std::numeric_limits<qint64>::max()))
        return std::numeric_limits<qint64>::max();
    return qint64(us);
}

double FromMicroseconds(qint64 microseconds)
{
    return double(microseconds) / 1e6;
}

QString PlaybackStatusFor(PlayState state)
{
    if (state == PlayState::Playing)
        return QStringLiteral("Playing");
    if (state == PlayState::NoFile || state == PlayState::Stopped)
        return QStringLiteral("Stopped");
    return QStringLiteral("Paused");
}

QString TrackIdFor(quint64 trackNumber)
{
    if (trackNumber == 0)
        return QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack");
    return QStringLiteral("/org/mpris/MediaPlayer2/murmelvox/track/%1").arg(trackNumber);
}

QVariantMap MetadataFor(bool hasFile, quint64 trackNumber, const FilePath &path, double durationSeconds)
{
    QVariantMap m;
    if (!hasFile || trackNumber == 0 || path.isEmpty()) {
        m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackIdFor(0))));
        return m;
    }
    m.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(QDBusObjectPath(TrackIdFor(trackNumber))));
    m.insert(QStringLiteral("xesam:title"), path.fileName());
    m.insert(QStringLiteral("xesam:url"), path.toUri());
    if (std::isfinite(durationSeconds) && durationSeconds > 0)
        m.insert(QStringLiteral("mpris:length"), ToMicroseconds(durationSeconds));
    return m;
}

PlayerReading PlayerReading::Of(const MediaPlayer &player, quint64 trackNumber, const FilePath &path)
{
    PlayerReading r;
    const PlayState state = player.PlayState();
    r.playbackStatus = PlaybackStatusFor(state);
    r.rate = player.Rate();
    r.hasFile = state != PlayState::NoFile;
    r.metadata = MetadataFor(r.hasFile, trackNumber, path, r.hasFile ? player.Duration() : 0);
    return r;
}

QVariantMap ChangedProperties(const PlayerReading &before, const PlayerReading &after)
{
    QVariantMap changed;
    if (before.playbackStatus != after.playbackStatus)
        changed.insert(QStringLiteral("PlaybackStatus"), after.playbackStatus);
    if (before.rate != after.rate)
        changed.insert(QStringLiteral("Rate"), after.rate);
    if (before.volume != after.volume)
        changed.insert(QStringLiteral("Volume"), after.volume);
    if (before.metadata != after.metadata)
        changed.insert(QStringLiteral("Metadata"), after.metadata);
    if (before.hasFile != after.hasFile) {
        for (const char *name : {"CanPlay", "CanPause", "CanSeek", "CanGoNext", "CanGoPrevious"})
            changed.insert(QLatin1String(name), after.hasFile);
    }
    return changed;
}

void SeekWatch::Reset(double position, bool playing, double rate, qint64 nowMs)
{
    m_valid = true;
    m_position = position;
    m_playing = playing;
    m_rate = rate;
    m_atMs = nowMs;
}

bool SeekWatch::Jumped(double position, bool playing, double rate, qint64 nowMs)
{
    bool jumped = false;
    if (m_valid) {
        // Playback may have started or stopped in between, and it may stall
        // (a seek being decoded, the sound output starting) with no reading
        // meanwhile: the position may have moved for any part of the
        // interval, but not back.
        const double advance = m_playing || playing ? double(nowMs - m_atMs) / 1000.0 * m_rate : 0;
        jumped = position < m_position - ToleranceSeconds || position > m_position + advance + ToleranceSeconds;
    }
    Reset(position, playing, rate, nowMs);
    return jumped;
}

double SeekTarget(double position, double offsetSeconds, double duration)
{
    double target = position + offsetSeconds;
    if (!(target > 0))
        return 0;
    if (duration > 0 && target > duration)
        return duration;
    return target;
}

bool ValidPosition(double seconds, double duration)
{
    return seconds >= 0 && seconds <= duration;
}
