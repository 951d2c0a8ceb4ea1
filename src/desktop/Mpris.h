// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "desktop/MprisModel.h"
#include "desktop/RemoteAction.h"
#include "engine/MediaPlayer.h"

#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class Player;
class Timestamps;

// The bar as a media player on the session bus (MPRIS 2): media keys,
// desktop sound menus and tools such as playerctl drive it. Every command
// goes through the player's commands, as a press of the matching button
// does, so the transport buttons' looks and the hot-key counters stay in
// step. With no file open, commands do nothing, as the hot keys do (a
// message box would wait for a user who is not looking at the bar).
class MprisPlayer : public QObject
{
    Q_OBJECT
public:
    static const QString ServiceName;   // org.mpris.MediaPlayer2.murmelvox
    static const QString ObjectPath;    // /org/mpris/MediaPlayer2
    static const QString DesktopEntry;  // the .desktop file's name, without ".desktop"

    explicit MprisPlayer(QObject *parent = nullptr);
    ~MprisPlayer() override;

    // Puts the object on `bus`. Done before the bar exists, so that a file
    // handed over by a second launch during start-up is not lost.
    bool RegisterOn(const QDBusConnection &bus);
    QDBusConnection Bus() const { return m_bus; }

    // What Raise, Quit and the settings action do to the program's window,
    // and what the timestamp actions do on the desktop (none: nothing).
    struct Window
    {
        std::function<void()> raise;
        std::function<void()> quit;
        std::function<void()> settings;
        std::function<void()> copyTimestamp;
        std::function<void()> insertTimestamp;
    };

    // The bar is up: commands act on its player from now on, and the file
    // asked for meanwhile (on the command line or by a second launch) opens.
    void Attach(Player *player, Window window);

    // Opens a local file through the bar's drop path, now or once the bar is
    // up. Returns an empty string, or why the file was refused.
    QString OpenFile(const QString &pathOrUri);
    // OpenUri: as OpenFile, and `call` is answered once the outcome is known:
    // an empty reply when the file opened, an error with the reason when it
    // was refused or could not be opened.
    void OpenUri(const QString &uri, const QDBusMessage &call);
    // Opens a local file the caller has checked, now or once the bar is up.
    void OpenLocalFile(const FilePath &path);
    // Puts a local file that cannot be opened (missing, not a regular file)
    // on the bar as an unplayable one.
    void ShowUnopenable(const FilePath &path);

    // org.mpris.MediaPlayer2
    void Raise();
    void Quit();

    // org.mpris.MediaPlayer2.Player
    void Play();
    void Pause();
    void PlayPause();
    void Stop();
    void Next();
    void Previous();
    void Seek(qlonglong offsetMicroseconds);
    void SetPosition(const QDBusObjectPath &trackId, qlonglong positionMicroseconds);

    // An action from the command line, carried out once the caller has its
    // answer. The playback actions do what the matching MPRIS command, hot
    // key or button does, and nothing without a file.
    void Act(RemoteAction action);

    // The position as a timestamp; nothing with no file.
    std::optional<QString> Timestamp() const;
    // Goes to the time a timestamp names; why not, when it did not.
    QString GoTo(const QString &timestamp);

    QString PlaybackStatus() const;
    double Rate() const;
    void SetRate(double rate);
    // 1.0 is the recording's own level; up to 2.0 (the volume's 200 %).
    double Volume() const;
    void SetVolume(double volume);
    QVariantMap Metadata() const;
    qlonglong Position() const;
    bool HasFile() const;

    // The rates the pitch glyphs step between (the track itself stops short
    // of 2).
    static constexpr double MinimumRate = MediaPlayer::MinimumRate;
    static constexpr double MaximumRate = MediaPlayer::MaximumRate;
    static constexpr double MaximumVolume = 2.0;

signals:
    void Seeked(qlonglong position);

private:
    // A jump made on the bar is announced this long after it, once: a drag
    // on the seek bar or a held wind key jumps many times a second, and a
    // command of ours that jumps at once after it announces its own jump.
    static constexpr int BarSeekDelayMs = 100;

    bool Ready() const;
    // Announces the properties that changed (PropertiesChanged); runs when
    // the player reports a change and when a file was opened.
    void Refresh();
    // Follows the engine's position; a jump that shows in it is announced
    // also when it was made on the engine directly.
    void PositionMoved(double position);
    // A jump made through the player, however small, announced a moment
    // later.
    void Jumped(double position);
    void AnnounceSeek();
    void ActNow(RemoteAction action);
    void Opened(const FilePath &path);
    void OpenNow(const FilePath &path);
    // Answers the OpenUri calls waiting for the file being opened: with
    // success when `failure` is empty.
    void AnswerOpenCalls(const QString &failure);

    Window m_window;
    QPointer<Player> m_player;
    std::unique_ptr<Timestamps> m_timestamps;
    QDBusConnection m_bus{QString()};
    FilePath m_pendingPath;         // asked for before the bar was up
    FilePath m_path;                // the file opened last, as far as we know
    QList<QDBusMessage> m_openCalls;   // OpenUri calls waiting for the outcome
    quint64 m_trackNumber = 0;
    PlayerReading m_announced;
    SeekWatch m_seekWatch;
    double m_position = 0;          // as the engine last reported it
    QTimer m_barSeek;               // a jump on the bar waits to be announced
    QElapsedTimer m_clock;
};

// org.freedesktop.DBus.Properties for the two interfaces below, answered
// here rather than by Qt: Qt converts a value of another type where it can
// (the string "2" would set a rate of 2) and answers InternalError where it
// cannot, while the caller should learn that it sent the wrong type
// (InvalidArgs), with nothing changed.
class MprisPropertiesAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.DBus.Properties")
    // Qt describes this interface in every object's introspection already;
    // a text of its own here keeps it from being described twice.
    Q_CLASSINFO("D-Bus Introspection", " ")
public:
    explicit MprisPropertiesAdaptor(MprisPlayer *player);

public slots:
    // `message` lets a refusal go back to the caller as an error.
    QDBusVariant Get(const QString &interface_name, const QString &property_name, const QDBusMessage &message);
    QVariantMap GetAll(const QString &interface_name, const QDBusMessage &message);
    void Set(const QString &interface_name, const QString &property_name, const QDBusVariant &value,
             const QDBusMessage &message);

private:
    MprisPlayer *m_player;
};

// The program's own interface on the player's object: the command line's
// actions for the running bar.
class RemoteAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "com.kelvaro.Murmelvox.Remote")
    // A second launch asks for it to tell a bar from another program under
    // the player's name.
    Q_PROPERTY(QString Version READ Version)
public:
    static const QString Interface;

    explicit RemoteAdaptor(MprisPlayer *player);

    QString Version() const;

public slots:
    // `action` by its name (RemoteActions); an unknown one is refused.
    void Act(const QString &action, const QDBusMessage &message);
    // The position as a timestamp (Failed with no file).
    QString Timestamp(const QDBusMessage &message);
    // Goes to the time `timestamp` names, before answering; InvalidArgs for
    // one that names none, Failed with no file.
    void GoTo(const QString &timestamp, const QDBusMessage &message);

private:
    MprisPlayer *m_player;
};

// org.mpris.MediaPlayer2
class MprisRootAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2")
    Q_PROPERTY(bool CanQuit READ CanQuit)
    Q_PROPERTY(bool CanRaise READ CanRaise)
    Q_PROPERTY(bool HasTrackList READ HasTrackList)
    Q_PROPERTY(QString Identity READ Identity)
    Q_PROPERTY(QString DesktopEntry READ DesktopEntry)
    Q_PROPERTY(QStringList SupportedUriSchemes READ SupportedUriSchemes)
    Q_PROPERTY(QStringList SupportedMimeTypes READ SupportedMimeTypes)
public:
    explicit MprisRootAdaptor(MprisPlayer *player);

    bool CanQuit() const { return true; }
    bool CanRaise() const { return true; }
    bool HasTrackList() const { return false; }
    QString Identity() const;
    QString DesktopEntry() const;
    QStringList SupportedUriSchemes() const;
    QStringList SupportedMimeTypes() const;

public slots:
    void Raise();
    void Quit();

private:
    MprisPlayer *m_player;
};

// org.mpris.MediaPlayer2.Player
class MprisPlayerAdaptor : public QDBusAbstractAdaptor
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.mpris.MediaPlayer2.Player")
    Q_PROPERTY(QString PlaybackStatus READ PlaybackStatus)
    Q_PROPERTY(double Rate READ Rate WRITE SetRate)
    Q_PROPERTY(double MinimumRate READ MinimumRate)
    Q_PROPERTY(double MaximumRate READ MaximumRate)
    Q_PROPERTY(QVariantMap Metadata READ Metadata)
    Q_PROPERTY(double Volume READ Volume WRITE SetVolume)
    Q_PROPERTY(qlonglong Position READ Position)
    Q_PROPERTY(bool CanGoNext READ CanGoNext)
    Q_PROPERTY(bool CanGoPrevious READ CanGoPrevious)
    Q_PROPERTY(bool CanPlay READ CanPlay)
    Q_PROPERTY(bool CanPause READ CanPause)
    Q_PROPERTY(bool CanSeek READ CanSeek)
    Q_PROPERTY(bool CanControl READ CanControl)
public:
    explicit MprisPlayerAdaptor(MprisPlayer *player);

    QString PlaybackStatus() const { return m_player->PlaybackStatus(); }
    double Rate() const { return m_player->Rate(); }
    void SetRate(double rate) { m_player->SetRate(rate); }
    double MinimumRate() const { return MprisPlayer::MinimumRate; }
    double MaximumRate() const { return MprisPlayer::MaximumRate; }
    QVariantMap Metadata() const { return m_player->Metadata(); }
    double Volume() const { return m_player->Volume(); }
    void SetVolume(double volume) { m_player->SetVolume(volume); }
    qlonglong Position() const { return m_player->Position(); }
    bool CanGoNext() const { return m_player->HasFile(); }
    bool CanGoPrevious() const { return m_player->HasFile(); }
    bool CanPlay() const { return m_player->HasFile(); }
    bool CanPause() const { return m_player->HasFile(); }
    bool CanSeek() const { return m_player->HasFile(); }
    bool CanControl() const { return true; }

public slots:
    void Next() { m_player->Next(); }
    void Previous() { m_player->Previous(); }
    void Pause() { m_player->Pause(); }
    void PlayPause() { m_player->PlayPause(); }
    void Stop() { m_player->Stop(); }
    void Play() { m_player->Play(); }
    void Seek(qlonglong Offset) { m_player->Seek(Offset); }
    void SetPosition(const QDBusObjectPath &TrackId, qlonglong Position) { m_player->SetPosition(TrackId, Position); }
    // `message` lets a refusal go back to the caller as an error.
    void OpenUri(const QString &Uri, const QDBusMessage &message);

signals:
    void Seeked(qlonglong Position);

private:
    MprisPlayer *m_player;
};
