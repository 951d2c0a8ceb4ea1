// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/Mpris.h"

#include "desktop/LaunchArgument.h"
#include "desktop/MediaTypes.h"
#include "rules/FileLabel.h"
#include "engine/AudioControls.h"
#include "engine/Player.h"
#include "engine/Timestamps.h"
#include "rules/SettingsStore.h"
#include "rules/Sliders.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QMetaProperty>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <utility>

const QString MprisPlayer::ServiceName = QStringLiteral("org.mpris.MediaPlayer2.murmelvox");
const QString MprisPlayer::ObjectPath = QStringLiteral("/org/mpris/MediaPlayer2");
const QString MprisPlayer::DesktopEntry = QStringLiteral(MURMELVOX_APP_ID);

namespace {

const QString PlayerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

} // namespace

MprisPlayer::MprisPlayer(QObject *parent) : QObject(parent)
{
    new MprisPropertiesAdaptor(this);
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);
    new RemoteAdaptor(this);
    m_barSeek.setSingleShot(true);
    m_barSeek.setInterval(BarSeekDelayMs);
    connect(&m_barSeek, &QTimer::timeout, this, [this] { emit Seeked(ToMicroseconds(m_position)); });
    m_clock.start();
}

bool MprisPlayer::RegisterOn(const QDBusConnection &bus)
{
    m_bus = bus;
    return m_bus.registerObject(ObjectPath, this, QDBusConnection::ExportAdaptors);
}

MprisPlayer::~MprisPlayer() = default;

void MprisPlayer::Attach(Player *player, Window window)
{
    m_window = std::move(window);
    m_player = player;
    // Read at each use: the settings window may change the format.
    m_timestamps = std::make_unique<Timestamps>(*player, [] { return LoadTimestampFormat(SettingsStore()); });
    connect(m_player, &Player::fileChanged, this, [this](const QString &, bool opened) {
        Opened(m_player->file());
        if (opened)
            AnswerOpenCalls({});
    });
    connect(m_player, &Player::openFailed, this, &MprisPlayer::AnswerOpenCalls);
    connect(m_player, &Player::stateChanged, this, &MprisPlayer::Refresh);
    connect(m_player, &Player::durationChanged, this, &MprisPlayer::Refresh);
    connect(m_player, &Player::rateChanged, this, &MprisPlayer::Refresh);
    connect(&m_player->audio(), &AudioControls::changed, this, &MprisPlayer::Refresh);
    connect(m_player, &Player::positionMoved, this, &MprisPlayer::PositionMoved);
    connect(m_player, &Player::positionChanged, this, &MprisPlayer::Jumped);
    m_position = m_player->position();
    if (!m_pendingPath.isEmpty())
        OpenNow(std::exchange(m_pendingPath, FilePath()));
    Refresh();
}

bool MprisPlayer::Ready() const
{
    return m_player;
}

bool MprisPlayer::HasFile() const
{
    return Ready() && m_player->hasFile();
}

QString MprisPlayer::OpenFile(const QString &pathOrUri)
{
    // A caller on the bus runs in a directory of its own: relative names
    // mean nothing here.
    const LaunchRequest request = LocalFileRequest(pathOrUri, QString());
    if (request.kind != LaunchRequest::OpenFile)
        return request.reason;
    OpenLocalFile(request.path);
    return {};
}

void MprisPlayer::OpenUri(const QString &uri, const QDBusMessage &call)
{
    call.setDelayedReply(true);
    const LaunchRequest request = LocalFileRequest(uri, QString());
    if (request.kind != LaunchRequest::OpenFile) {
        m_bus.send(call.createErrorReply(QDBusError::InvalidArgs, request.reason));
        return;
    }
    AnswerOpenCalls(QStringLiteral("Another file was opened instead."));
    m_openCalls.append(call);
    OpenLocalFile(request.path);
}

void MprisPlayer::AnswerOpenCalls(const QString &failure)
{
    for (const QDBusMessage &call : std::exchange(m_openCalls, {}))
        m_bus.send(failure.isEmpty() ? call.createReply() : call.createErrorReply(QDBusError::Failed, failure));
}

void MprisPlayer::ShowUnopenable(const FilePath &path)
{
    OpenLocalFile(path);
}

void MprisPlayer::OpenLocalFile(const FilePath &path)
{
    if (Ready())
        OpenNow(path);
    else
        m_pendingPath = path;
}

void MprisPlayer::OpenNow(const FilePath &path)
{
    m_player->open(path);
}

void MprisPlayer::Opened(const FilePath &path)
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
    m_window.raise();
}

void MprisPlayer::Quit()
{
    if (!Ready())
        return;
    // The exit button ends the program at once; let the caller have its
    // answer first.
    QTimer::singleShot(0, m_player.data(), m_window.quit);
}

void MprisPlayer::Play()
{
    if (!HasFile())
        return;
    m_player->play();
}

void MprisPlayer::Pause()
{
    if (!HasFile())
        return;
    m_player->pause();
}

void MprisPlayer::PlayPause()
{
    if (!HasFile())
        return;
    // Toggles what the user hears, whatever button was pressed last.
    m_player->togglePlayPause();
}

void MprisPlayer::Stop()
{
    if (!HasFile())
        return;
    m_player->stop();
}

void MprisPlayer::Next()
{
    if (HasFile() && m_player->windForward())
        AnnounceSeek();
}

void MprisPlayer::Previous()
{
    if (HasFile() && m_player->windBack())
        AnnounceSeek();
}

void MprisPlayer::Seek(qlonglong offsetMicroseconds)
{
    if (!HasFile())
        return;
    m_player->jumpTo(SeekTarget(m_player->position(), FromMicroseconds(offsetMicroseconds), m_player->duration()));
    AnnounceSeek();
}

void MprisPlayer::SetPosition(const QDBusObjectPath &trackId, qlonglong positionMicroseconds)
{
    if (!HasFile() || trackId.path() != TrackIdFor(m_trackNumber))
        return;
    const double seconds = FromMicroseconds(positionMicroseconds);
    if (!ValidPosition(seconds, m_player->duration()))
        return;
    m_player->jumpTo(seconds);
    AnnounceSeek();
}

void MprisPlayer::Act(RemoteAction action)
{
    QTimer::singleShot(0, this, [this, action] { ActNow(action); });
}

void MprisPlayer::ActNow(RemoteAction action)
{
    if (!Ready())
        return;
    switch (action) {
    case RemoteAction::PlayPause:
        PlayPause();
        return;
    case RemoteAction::Play:
        Play();
        return;
    case RemoteAction::Pause:
        Pause();
        return;
    case RemoteAction::Stop:
        Stop();
        return;
    case RemoteAction::WindBack:
        Previous();
        return;
    case RemoteAction::WindForward:
        Next();
        return;
    case RemoteAction::ToStart:
        if (HasFile()) {
            m_player->rewindToStart();
            AnnounceSeek();
        }
        return;
    case RemoteAction::Settings:
        m_window.settings();
        return;
    case RemoteAction::CopyTimestamp:
        if (HasFile() && m_window.copyTimestamp)
            m_window.copyTimestamp();
        return;
    case RemoteAction::InsertTimestamp:
        if (HasFile() && m_window.insertTimestamp)
            m_window.insertTimestamp();
        return;
    }
}

std::optional<QString> MprisPlayer::Timestamp() const
{
    return Ready() ? m_timestamps->current() : std::nullopt;
}

QString MprisPlayer::GoTo(const QString &timestamp)
{
    if (!Ready())
        return QStringLiteral("The bar is still starting.");
    const QString refused = m_timestamps->goTo(timestamp);
    if (refused.isEmpty())
        AnnounceSeek();
    return refused;
}

// A command's own jump, announced at once; a jump on the bar still waiting
// to be announced is past.
void MprisPlayer::AnnounceSeek()
{
    m_barSeek.stop();
    m_position = m_player->position();
    m_seekWatch.Reset(m_position, m_player->isPlaying(), m_player->rate(), m_clock.elapsed());
    emit Seeked(ToMicroseconds(m_position));
}

QString MprisPlayer::PlaybackStatus() const
{
    return Ready() ? PlaybackStatusFor(m_player->engine().PlayState()) : PlaybackStatusFor(PlayState::NoFile);
}

double MprisPlayer::Rate() const
{
    return Ready() ? m_player->engine().Rate() : 1.0;
}

void MprisPlayer::SetRate(double rate)
{
    if (!Ready() || !std::isfinite(rate))
        return;
    // A rate of 0 means a pause to MPRIS clients; any other rate outside the
    // bounds is taken as the nearest bound.
    if (rate == 0) {
        Pause();
        return;
    }
    m_player->setRate(std::clamp(rate, MinimumRate, MaximumRate));
}

double MprisPlayer::Volume() const
{
    return Ready() ? m_player->audio().volume() / 100.0 : 1.0;
}

void MprisPlayer::SetVolume(double volume)
{
    if (!Ready() || !std::isfinite(volume))
        return;
    // Outside the bounds: the nearest bound, as with the rate.
    m_player->audio().setVolume(int(std::lround(std::clamp(volume, 0.0, MaximumVolume) * 100)));
}

QVariantMap MprisPlayer::Metadata() const
{
    if (!Ready())
        return MetadataFor(false, 0, FilePath(), 0);
    return PlayerReading::Of(m_player->engine(), m_trackNumber, m_path).metadata;
}

// Where the bar stands, also while stopped: Stop goes back to the start, but
// a seek while stopped, or playing to the end, leaves the file stopped
// elsewhere. The interface leaves the position while stopped open; clients
// that show 0 then only follow a convention.
qlonglong MprisPlayer::Position() const
{
    return HasFile() ? ToMicroseconds(m_player->engine().CurrentPosition()) : 0;
}

void MprisPlayer::Refresh()
{
    if (!Ready())
        return;
    const MediaPlayer &mp = m_player->engine();
    PlayerReading now = PlayerReading::Of(mp, m_trackNumber, m_path);
    now.volume = Volume();
    const QVariantMap changed = ChangedProperties(m_announced, now);
    const bool newTrack = now.metadata != m_announced.metadata;
    m_announced = now;

    // A new file starts where it starts: not a jump. Otherwise playback
    // starting, stopping or changing speed changes how the position may move
    // from here on.
    if (newTrack) {
        m_barSeek.stop();
        m_seekWatch.Reset(m_position, now.playbackStatus == QLatin1String("Playing"), now.rate, m_clock.elapsed());
    } else {
        PositionMoved(m_position);
    }

    if (changed.isEmpty() || !m_bus.isConnected())
        return;
    QDBusMessage signal = QDBusMessage::createSignal(ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                     QStringLiteral("PropertiesChanged"));
    signal << PlayerInterface << changed << QStringList();
    m_bus.send(signal);
}

void MprisPlayer::Jumped(double position)
{
    // A bookmark chosen with no file open moves nothing.
    if (!HasFile())
        return;
    m_position = position;
    if (!m_barSeek.isActive())
        m_barSeek.start();
}

void MprisPlayer::PositionMoved(double position)
{
    m_position = position;
    if (m_seekWatch.Jumped(position, m_player->isPlaying(), m_player->rate(), m_clock.elapsed())
        && !m_barSeek.isActive())
        m_barSeek.start();
}

namespace {

QString InterfaceOf(const QDBusAbstractAdaptor *adaptor)
{
    const QMetaObject *mo = adaptor->metaObject();
    return QLatin1String(mo->classInfo(mo->indexOfClassInfo("D-Bus Interface")).value());
}

// The adaptors a Get, GetAll or Set is for: the one of `interface`, or every
// one when the caller names none.
QList<QDBusAbstractAdaptor *> AdaptorsFor(const QObject *object, const QString &interface)
{
    QList<QDBusAbstractAdaptor *> found;
    for (QDBusAbstractAdaptor *adaptor : object->findChildren<QDBusAbstractAdaptor *>(Qt::FindDirectChildrenOnly)) {
        if (interface.isEmpty() || InterfaceOf(adaptor) == interface)
            found.append(adaptor);
    }
    return found;
}

// An adaptor's own properties, the ones on the bus (QObject's are not).
QList<QMetaProperty> PropertiesOf(const QDBusAbstractAdaptor *adaptor)
{
    QList<QMetaProperty> properties;
    const QMetaObject *mo = adaptor->metaObject();
    for (int i = QObject::staticMetaObject.propertyCount(); i < mo->propertyCount(); ++i)
        properties.append(mo->property(i));
    return properties;
}

struct FoundProperty
{
    QDBusAbstractAdaptor *adaptor = nullptr;
    QMetaProperty property;
    QDBusError::ErrorType error = QDBusError::NoError;
    QString why;
};

FoundProperty FindProperty(const QObject *object, const QString &interface, const QString &name)
{
    FoundProperty found;
    const QList<QDBusAbstractAdaptor *> adaptors = AdaptorsFor(object, interface);
    if (adaptors.isEmpty()) {
        found.error = QDBusError::UnknownInterface;
        found.why = QStringLiteral("no interface %1 here").arg(interface);
        return found;
    }
    for (QDBusAbstractAdaptor *adaptor : adaptors) {
        for (const QMetaProperty &property : PropertiesOf(adaptor)) {
            if (QLatin1String(property.name()) == name) {
                found.adaptor = adaptor;
                found.property = property;
                return found;
            }
        }
    }
    found.error = QDBusError::UnknownProperty;
    found.why = QStringLiteral("no property %1 here").arg(name);
    return found;
}

} // namespace

MprisPropertiesAdaptor::MprisPropertiesAdaptor(MprisPlayer *player) : QDBusAbstractAdaptor(player), m_player(player)
{
}

QDBusVariant MprisPropertiesAdaptor::Get(const QString &interface_name, const QString &property_name,
                                         const QDBusMessage &message)
{
    const FoundProperty found = FindProperty(m_player, interface_name, property_name);
    if (!found.adaptor) {
        message.setDelayedReply(true);
        m_player->Bus().send(message.createErrorReply(found.error, found.why));
        return {};
    }
    return QDBusVariant(found.property.read(found.adaptor));
}

QVariantMap MprisPropertiesAdaptor::GetAll(const QString &interface_name, const QDBusMessage &message)
{
    const QList<QDBusAbstractAdaptor *> adaptors = AdaptorsFor(m_player, interface_name);
    if (adaptors.isEmpty()) {
        message.setDelayedReply(true);
        m_player->Bus().send(message.createErrorReply(QDBusError::UnknownInterface,
                                                      QStringLiteral("no interface %1 here").arg(interface_name)));
        return {};
    }
    QVariantMap values;
    for (QDBusAbstractAdaptor *adaptor : adaptors)
        for (const QMetaProperty &property : PropertiesOf(adaptor))
            values.insert(QLatin1String(property.name()), property.read(adaptor));
    return values;
}

void MprisPropertiesAdaptor::Set(const QString &interface_name, const QString &property_name,
                                 const QDBusVariant &value, const QDBusMessage &message)
{
    FoundProperty found = FindProperty(m_player, interface_name, property_name);
    if (found.adaptor && !found.property.isWritable()) {
        found.error = QDBusError::PropertyReadOnly;
        found.why = QStringLiteral("%1 is read-only").arg(property_name);
    } else if (found.adaptor) {
        // The D-Bus types must agree; a value that is no basic type (an
        // array, a structure) has none here and never agrees.
        const char *given = QDBusMetaType::typeToSignature(value.variant().metaType());
        const char *wanted = QDBusMetaType::typeToSignature(found.property.metaType());
        if (!given || qstrcmp(given, wanted) != 0) {
            found.error = QDBusError::InvalidArgs;
            found.why = QStringLiteral("%1 takes the type \"%2\", not \"%3\"")
                            .arg(property_name, QLatin1String(wanted),
                                 given ? QLatin1String(given) : QLatin1String(value.variant().typeName()));
        } else {
            found.property.write(found.adaptor, value.variant());
            return;
        }
    }
    message.setDelayedReply(true);
    m_player->Bus().send(message.createErrorReply(found.error, found.why));
}

const QString RemoteAdaptor::Interface = QStringLiteral("com.kelvaro.Murmelvox.Remote");

RemoteAdaptor::RemoteAdaptor(MprisPlayer *player) : QDBusAbstractAdaptor(player), m_player(player) {}

QString RemoteAdaptor::Version() const
{
    return QStringLiteral(MURMELVOX_VERSION);
}

void RemoteAdaptor::Act(const QString &action, const QDBusMessage &message)
{
    if (const std::optional<RemoteAction> known = RemoteActionNamed(action)) {
        m_player->Act(*known);
        return;
    }
    message.setDelayedReply(true);
    m_player->Bus().send(message.createErrorReply(QDBusError::InvalidArgs, QStringLiteral("no action %1").arg(action)));
}

QString RemoteAdaptor::Timestamp(const QDBusMessage &message)
{
    if (const std::optional<QString> text = m_player->Timestamp())
        return *text;
    message.setDelayedReply(true);
    m_player->Bus().send(message.createErrorReply(QDBusError::Failed, QStringLiteral("No file is open.")));
    return {};
}

void RemoteAdaptor::GoTo(const QString &timestamp, const QDBusMessage &message)
{
    const QString refused = m_player->GoTo(timestamp);
    if (refused.isEmpty())
        return;
    message.setDelayedReply(true);
    m_player->Bus().send(message.createErrorReply(
        ParseTimestamp(timestamp) ? QDBusError::Failed : QDBusError::InvalidArgs, refused));
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
    m_player->OpenUri(Uri, message);
}
