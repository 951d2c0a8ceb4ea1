#include "desktop/Mpris.h"

#include "desktop/LaunchArgument.h"
#include "desktop/MediaTypes.h"
#include "hotkeys/HookModule.h"
#include "playback/FileLabel.h"
#include "playback/MediaPlayerControl.h"
#include "playback/Sliders.h"
#include "shell/Form1.h"

#include <QDBusMessage>
#include <QMimeData>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <cmath>
#include <utility>

const QString MprisPlayer::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.murmelvox");
const QString MprisPlayer::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString MprisPlayer::DesktopEntry = QStringLiteral(MURMELVOX_APP_ID);

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Mouse button and position the transport handlers are given; they read
// neither.
constexpr int LeftButton = 1;

} // namespace

MprisPlayer::MprisPlayer(QObject *parent) : QObject(parent)
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    m_clock.start();
}

bool MprisPlayer::RegisterOn(const QDBusConnection &bus)
{
    m_bus = bus;
    return m_bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors);
}

void MprisPlayer::Attach(Form1 *form)
{
    m_form = form;
    // After the bar's own handlers (connected when it was built), learn
    // which file the open dialog or a drop brought in.
    connect(form->Picture5, &PictureBox::clicked, this, &MprisPlayer::DialogClosed);
    connect(form->Picture7, &PictureBox::filesDropped, this, &MprisPlayer::Dropped);
    connect(form->Timer1, &QTimer::timeout, this, &MprisPlayer::Refresh);
    if (!m_pendingPath.isEmpty())
        OpenNow(std::exchange(m_pendingPath, QString()));
    Refresh();
}

bool MprisPlayer::Ready() const
{
    return m_form && m_form->MP;
}

bool MprisPlayer::HasFile() const
{
    return Ready() && m_form->MP->PlayState() != MediaPlayer::NoFile;
}

QString MprisPlayer::OpenFile(const QString &pathOrUri)
{
    // A caller on the bus runs in a directory of its own: relative names
    // mean nothing here.
    const LaunchRequest request = LocalFileRequest(pathOrUri, QString());
    if (request.kind != LaunchRequest::OpenFile)
        return request.reason;
    if (Ready())
        OpenNow(request.path);
    else
        m_pendingPath = request.path;
    return {};
}

void MprisPlayer::ShowUnopenable(const QString &path)
{
    if (Ready())
        OpenNow(path);
    else
        m_pendingPath = path;
}

void MprisPlayer::OpenNow(const QString &path)
{
    // The same path as a file dropped on the lower panel.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    m_opening = true;
    m_form->Picture7_OLEDragDrop(&data);
    m_opening = false;
    Opened(path);
}

void MprisPlayer::DialogClosed()
{
    // The dialog leaves FileName empty when cancelled.
    if (m_form && m_form->CD && !m_form->CD->FileName.isEmpty())
        Opened(m_form->CD->FileName);
}

void MprisPlayer::Dropped(const QMimeData *data)
{
    if (m_opening)
        return;
    if (const std::optional<QString> path = FirstDroppedFile(data))
        Opened(*path);
}

void MprisPlayer::Opened(const QString &path)
{
    m_path = path;
    ++m_trackNumber;
    Refresh();
}

void MprisPlayer::Raise()
{
    if (!Ready())
        return;
    // Brought to the front only: the keyboard stays with the application
    // the typist is writing in, as when the bar first appears.
    m_form->show();
    m_form->raise();
}

void MprisPlayer::Quit()
{
    if (!Ready())
        return;
    // The exit button ends the program at once; let the caller have its
    // answer first.
    QTimer::singleShot(0, m_form.data(), [form = m_form] {
        if (form)
            form->Picture4_Click();
    });
}

void MprisPlayer::Play()
{
    if (!HasFile())
        return;
    m_form->Picture1_MouseDown(LeftButton, 0, 0, 0);
    m_form->Picture1_MouseUp(LeftButton, 0, 0, 0);
    m_form->Picture1_Click();
    Refresh();
}

void MprisPlayer::Pause()
{
    if (!HasFile())
        return;
    m_form->Picture2_MouseDown(LeftButton, 0, 0, 0);
    m_form->Picture2_MouseUp(LeftButton, 0, 0, 0);
    m_form->Picture2_Click();
    Refresh();
}

void MprisPlayer::PlayPause()
{
    if (!HasFile())
        return;
    // Toggles what the user hears, whatever button was pressed last.
    if (m_form->MP->PlayState() == MediaPlayer::Playing)
        Pause();
    else
        Play();
}

void MprisPlayer::Stop()
{
    if (!HasFile())
        return;
    m_form->Picture3_MouseDown(LeftButton, 0, 0, 0);
    m_form->Picture3_MouseUp(LeftButton, 0, 0, 0);
    m_form->Picture3_Click();
    Refresh();
}

void MprisPlayer::Next()
{
    if (HasFile() && WindForward(*m_form->MP, WindStep()))
        AnnounceSeek();
}

void MprisPlayer::Previous()
{
    if (HasFile() && WindBack(*m_form->MP, WindStep()))
        AnnounceSeek();
}

void MprisPlayer::Seek(qlonglong offsetMicroseconds)
{
    if (!HasFile())
        return;
    MediaPlayer &mp = *m_form->MP;
    mp.setCurrentPosition(SeekTarget(mp.CurrentPosition(), FromMicroseconds(offsetMicroseconds), mp.Duration()));
    AnnounceSeek();
}

void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong positionMicroseconds)
{
    if (!HasFile() || trackId.path() != TrackIdFor(m_trackNumber))
        return;
    MediaPlayer &mp = *m_form->MP;
    const double seconds = FromMicroseconds(positionMicroseconds);
    if (!ValidPosition(seconds, mp.Duration()))
        return;
    mp.setCurrentPosition(seconds);
    AnnounceSeek();
}

void MprisPlayer::AnnounceSeek()
{
    const double position = m_form->MP->CurrentPosition();
    m_seekWatch.Reset(position, m_form->MP->PlayState() == MediaPlayer::Playing, m_form->MP->Rate(), m_clock.elapsed());
    emit Seeked(ToMicroseconds(position));
    Refresh();
}

QString MprisPlayer::PlaybackStatus() const
{
    return Ready() ? PlaybackStatusFor(m_form->MP->PlayState()) : PlaybackStatusFor(MediaPlayer::NoFile);
}

double MprisPlayer::Rate() const
{
    return Ready() ? m_form->MP->Rate() : 1.0;
}

void MprisPlayer::SetRate(double rate)
{
    if (!Ready() || !std::isfinite(rate))
        return;
    // A rate of 0 means a pause to MPRIS clients.
    if (rate <= 0) {
        Pause();
        return;
    }
    // Through the pitch track, as a press on it would set the rate.
    const double onTrack = std::clamp(rate, MinimumRate, MaximumRate);
    m_form->Picture8_MouseDown(LeftButton, 0, PitchPosition(onTrack), 0);
    Refresh();
}

QVariantMap MprisPlayer::Metadata() const
{
    if (!Ready())
        return MetadataFor(false, 0, QString(), 0);
    return PlayerReading::Of(*m_form->MP, m_trackNumber, m_path).metadata;
}

qlonglong MprisPlayer::Position() const
{
    return HasFile() ? ToMicroseconds(m_form->MP->CurrentPosition()) : 0;
}

void MprisPlayer::Refresh()
{
    if (!Ready())
        return;
    const MediaPlayer &mp = *m_form->MP;
    const PlayerReading now = PlayerReading::Of(mp, m_trackNumber, m_path);
    const QVariantMap changed = ChangedProperties(m_announced, now);
    const bool newTrack = now.metadata != m_announced.metadata;
    m_announced = now;

    const double position = now.hasFile ? mp.CurrentPosition() : 0;
    const bool playing = now.playbackStatus == QLatin1String("Playing");
    if (newTrack)
        m_seekWatch.Reset(position, playing, now.rate, m_clock.elapsed());
    else if (m_seekWatch.Jumped(position, playing, now.rate, m_clock.elapsed()))
        emit Seeked(ToMicroseconds(position));

    if (changed.isEmpty() || !m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

MprisRootAdaptor::MprisRootAdaptor(MprisPlayer *player) : QDBusAbstractAdaptor(player), m_player(player) {}

QString MprisRootAdaptor::Identity() const
{
    return QStringLiteral("Murmelvox");
}

QString MprisRootAdaptor::DesktopEntry() const
{
    return MprisPlayer::DesktopEntry;
}

QStringList MprisRootAdaptor::SupportedUriSchemes() const
{
    return {QStringLiteral("file")};
}

QStringList MprisRootAdaptor::SupportedMimeTypes() const
{
    return QString::fromLatin1(MURMELVOX_MIME_TYPES).split(u';', Qt::SkipEmptyParts);
}

void MprisRootAdaptor::Raise()
{
    m_player->Raise();
}

void MprisRootAdaptor::Quit()
{
    m_player->Quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(MprisPlayer *player) : QDBusAbstractAdaptor(player), m_player(player)
{
    connect(player, &MprisPlayer::Seeked, this, &MprisPlayerAdaptor::Seeked);
}

void MprisPlayerAdaptor::OpenUri(const QString &Uri, const QDBusMessage &message)
{
    const QString refused = m_player->OpenFile(Uri);
    if (refused.isEmpty())
        return;
    message.setDelayedReply(true);
    m_player->Bus().send(message.createErrorReply(QDBusError::InvalidArgs, refused));
}
