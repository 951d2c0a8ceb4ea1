// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FilePath.h"
#include "engine/MediaPlayer.h"

#include <QString>
#include <QVariantMap>

// The parts of the media-player interface on the session bus that can be
// worked out without a bus or a window: how the player's state reads as
// MPRIS properties, what changed between two readings, and where Seek,
// SetPosition, Next and Previous go.

// MPRIS counts time in whole microseconds.
qint64 ToMicroseconds(double seconds);
double FromMicroseconds(qint64 microseconds);

// "Playing" when playing; "Stopped" with no file and when stopped; "Paused"
// for every other state.
QString PlaybackStatusFor(PlayState state);

// Object path naming the n-th file opened in this run; the path of "no
// track" when n is 0.
QString TrackIdFor(quint64 trackNumber);

// mpris:trackid, xesam:title (the file's name), xesam:url and mpris:length
// (left out while the length is not known); only mpris:trackid ("no track")
// when no file is open.
QVariantMap MetadataFor(bool hasFile, quint64 trackNumber, const FilePath &path, double durationSeconds);

// One reading of everything the player announces through PropertiesChanged.
struct PlayerReading
{
    QString playbackStatus = QStringLiteral("Stopped");
    double rate = 1;
    double volume = 1;         // not the engine's: the caller fills it in
    bool hasFile = false;      // CanPlay, CanPause, CanSeek, CanGoNext, CanGoPrevious
    QVariantMap metadata;

    static PlayerReading Of(const MediaPlayer &player, quint64 trackNumber, const FilePath &path);
};

// The properties whose values differ, by their MPRIS names.
QVariantMap ChangedProperties(const PlayerReading &before, const PlayerReading &after);

// Tells a jump of the play position (a seek by any control: hot keys,
// bookmarks, the seek bar, Stop) from its steady advance while playing, so
// that every jump is announced with the Seeked signal.
class SeekWatch
{
public:
    // Jumps smaller than this go unannounced: the position read while
    // playing runs a little ahead or behind.
    static constexpr double ToleranceSeconds = 0.5;

    // Takes `position` as where things stand now (after a seek we announced
    // ourselves, or when a new file opens).
    void Reset(double position, bool playing, double rate, qint64 nowMs);
    // Whether `position` is behind the last reading or ahead of where steady
    // playback since then could have brought it; becomes the new reference
    // either way.
    bool Jumped(double position, bool playing, double rate, qint64 nowMs);

private:
    bool m_valid = false;
    double m_position = 0;
    bool m_playing = false;
    double m_rate = 1;
    qint64 m_atMs = 0;
};

// Seek: the position moved by `offsetSeconds`, kept between the start and
// the end of the file.
double SeekTarget(double position, double offsetSeconds, double duration);

// SetPosition: a position outside the file is ignored.
bool ValidPosition(double seconds, double duration);

