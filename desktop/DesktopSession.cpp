#include "desktop/DesktopSession.h"

#include "desktop/LaunchArgument.h"
#include "desktop/MediaTypes.h"
#include "desktop/Mpris.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include <cstdio>

namespace {

// Opening a file waits for the engine to load it (a few seconds at most).
constexpr int HandOverTimeoutMs = 15000;

void Tell(const QString &text)
{
    std::fprintf(stderr, "murmelvox: %s\n", qPrintable(text));
}

// Whether a session bus is announced: by its address, or by the socket a
// per-user bus keeps in the runtime folder.
bool SessionBusAnnounced()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo(runtime + QStringLiteral("/bus")).exists();
}

} // namespace

DesktopSession::DesktopSession(const QStringList &arguments, const QString &workingDirectory)
    : m_player(std::make_unique<MprisPlayer>())
{
    // Lets the desktop match the bar's window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(MURMELVOX_APP_ID));

    LaunchRequest request = ParseLaunchArguments(arguments, workingDirectory);
    QString unopenable;
    if (request.kind == LaunchRequest::Refused) {
        Tell(request.reason);
        unopenable = request.path;
        request = {};
    }

    // With no bus announced, nothing in the process (the tray icon asks for
    // one too) may start a bus daemon that would outlive the bar.
    if (!SessionBusAnnounced())
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    QDBusConnection bus = QDBusConnection::sessionBus();
    bool ours = false;
    if (!bus.isConnected()) {
        Tell(QStringLiteral("no D-Bus session bus; media keys and other programs cannot control the player"));
    } else if (!m_player->RegisterOn(bus)) {
        Tell(QStringLiteral("cannot offer the player on the session bus"));
    } else {
        // Claim the name only if nobody holds it: the holder is the bar
        // already running.
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply = bus.interface()->registerService(
            MprisPlayer::ServiceName, QDBusConnectionInterface::DontQueueService,
            QDBusConnectionInterface::DontAllowReplacement);
        ours = reply.isValid() && reply.value() == QDBusConnectionInterface::ServiceRegistered;
        if (!ours) {
            bus.unregisterObject(MprisPlayer::ObjectPath);
            if (reply.isValid() && bus.interface()->isServiceRegistered(MprisPlayer::ServiceName)) {
                HandOver(request.kind == LaunchRequest::OpenFile ? request.path : QString());
                return;
            }
            Tell(QStringLiteral("cannot take the name %1 on the session bus: %2")
                     .arg(MprisPlayer::ServiceName, reply.error().message()));
        }
    }

    if (request.kind == LaunchRequest::OpenFile)
        m_player->OpenFile(request.path);
    else if (!unopenable.isEmpty())
        // The engine refuses it as it refuses any file it cannot play, so
        // the bar shows the typist which file that was, struck through.
        // A second launch leaves the running bar's file alone instead.
        m_player->ShowUnopenable(unopenable);
}

DesktopSession::~DesktopSession() = default;

void DesktopSession::HandOver(const QString &path)
{
    m_handedOver = true;
    QDBusMessage call;
    if (path.isEmpty()) {
        call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                              QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    } else {
        call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                              QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("OpenUri"));
        call << QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
    }
    const QDBusMessage reply = QDBusConnection::sessionBus().call(call, QDBus::Block, HandOverTimeoutMs);
    if (reply.type() == QDBusMessage::ErrorMessage) {
        Tell(QStringLiteral("Murmelvox is already running and did not take the request: %1").arg(reply.errorMessage()));
        m_exitCode = 1;
    } else if (path.isEmpty()) {
        Tell(QStringLiteral("Murmelvox is already running"));
    }
}

void DesktopSession::Attach(Player *player, std::function<void()> raise, std::function<void()> quit)
{
    m_player->Attach(player, {std::move(raise), std::move(quit)});
}
