// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/DesktopSession.h"

#include "desktop/LaunchArgument.h"
#include "desktop/MediaTypes.h"
#include "desktop/Mpris.h"
#include "desktop/RemoteAction.h"
#include "desktop/SessionBusProbe.h"
#include "engine/MpvEngine.h"
#include "rules/Timestamp.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QLoggingCategory>
#include <QTextStream>

#include <cstdio>
#include <utility>

namespace {

Q_LOGGING_CATEGORY(lcCommand, "murmelvox")

// A bar asked who it is answers at once, unless it is busy opening a file;
// a program that has not answered within this is taken as gone, soon
// enough for a launch from a menu.
constexpr int IdentityTimeoutMs = 2500;
// The bar answers OpenUri once the engine has opened the file, or given up
// waiting for it; it may first finish opening a file of its own.
constexpr int HandOverTimeoutMs = 2 * MpvEngine::OpenDeadlineMs + 2000;
// The bar answers an action before carrying it out.
constexpr int ActionTimeoutMs = 2000;
// A bus answers its greeting in a few milliseconds; one that has not within
// this is taken as gone, short enough for a key binding's command.
constexpr std::chrono::milliseconds SessionBusGreetingTimeout{2000};

// The announced bus took the connection and never answered; the process
// runs as if there were none.
bool s_busSilent = false;

void Tell(const QString &text)
{
    std::fprintf(stderr, "murmelvox: %s\n", qPrintable(text));
}

bool TimedOut(const QDBusMessage &reply)
{
    return reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NoReply")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.Timeout");
}

// Why the holder of the player's name is no bar to hand over to, or
// nothing: a bar tells its version on its own interface; another program
// under the name does not, and a stopped one does not answer at all.
QString NoRunningBar(const QDBusConnection &bus)
{
    QDBusMessage call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                                       QStringLiteral("org.freedesktop.DBus.Properties"),
                                                       QStringLiteral("Get"));
    call << RemoteAdaptor::Interface << QStringLiteral("Version");
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, IdentityTimeoutMs);
    if (reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1
        && reply.arguments().first().metaType() == QMetaType::fromType<QDBusVariant>()) {
        const QVariant version = reply.arguments().first().value<QDBusVariant>().variant();
        if (version.metaType() == QMetaType::fromType<QString>() && !version.toString().isEmpty())
            return {};
    }
    if (TimedOut(reply))
        return QStringLiteral("the program holding %1 on the session bus does not answer").arg(MprisPlayer::ServiceName);
    return QStringLiteral("%1 on the session bus is held by a program that is not Murmelvox").arg(MprisPlayer::ServiceName);
}

// Calls `method` of the running bar for `option`; says in one line on
// stderr why it could not, and answers nothing then.
std::optional<QDBusMessage> CallBar(const QString &option, const QString &method, const QVariantList &arguments)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        if (s_busSilent)
            qCCritical(lcCommand, "the D-Bus session bus does not answer, so no running bar can take %s",
                       qPrintable(option));
        else
            qCCritical(lcCommand, "no D-Bus session bus, so no running bar to take %s", qPrintable(option));
        return std::nullopt;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                                       RemoteAdaptor::Interface, method);
    call.setArguments(arguments);
    // A bar is started by its user, never by an action.
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, ActionTimeoutMs);
    if (reply.type() != QDBusMessage::ErrorMessage)
        return reply;
    if (reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.ServiceUnknown")
        || reply.errorName() == QLatin1String("org.freedesktop.DBus.Error.NameHasNoOwner"))
        qCCritical(lcCommand, "Murmelvox is not running; %s was not sent", qPrintable(option));
    else
        qCCritical(lcCommand, "the running Murmelvox did not take %s: %s", qPrintable(option),
                   qPrintable(reply.errorMessage()));
    return std::nullopt;
}

int SendAction(RemoteAction action)
{
    return CallBar(QStringLiteral("--") + RemoteActionName(action), QStringLiteral("Act"), {RemoteActionName(action)})
               ? 0 : 1;
}

int PrintTimestamp()
{
    const std::optional<QDBusMessage> reply = CallBar(QLatin1String(TimestampOption), QStringLiteral("Timestamp"), {});
    if (!reply)
        return 1;
    const QVariantList answer = reply->arguments();
    if (answer.size() != 1 || answer.first().metaType() != QMetaType::fromType<QString>()) {
        qCCritical(lcCommand, "the running Murmelvox gave no timestamp");
        return 1;
    }
    QTextStream(stdout) << answer.first().toString() << '\n';
    return 0;
}

int GoTo(const QString &time)
{
    // Refused here already, so that a typo is told even with no bar.
    if (!ParseTimestamp(time)) {
        qCCritical(lcCommand, "%s is not a timestamp such as 12:34 or [00:12:34]", qPrintable(time.left(40)));
        return 1;
    }
    return CallBar(QLatin1String(GoToOption), QStringLiteral("GoTo"), {time}) ? 0 : 1;
}

} // namespace

std::optional<int> DesktopSession::AnswerCommand(int &argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    const CommandRequest request = ParseCommandArguments(arguments);
    switch (request.kind) {
    case CommandRequest::Launch:
        return std::nullopt;
    case CommandRequest::Help:
        QTextStream(stdout) << UsageText();
        return 0;
    case CommandRequest::Version:
        QTextStream(stdout) << VersionText();
        return 0;
    case CommandRequest::Misused:
        qCCritical(lcCommand, "%s", qPrintable(request.reason));
        return 2;
    case CommandRequest::Action:
    case CommandRequest::OpenSettings:
    case CommandRequest::PrintTimestamp:
    case CommandRequest::GoTo:
        break;
    }
    // Qt's bus thread may still read D-Bus types while the process exits.
    // A type registered before the bus starts makes Qt's type registry
    // outlive the bus; otherwise the registry goes first and the thread
    // complains on stderr.
    qRegisterMetaType<QDBusVariant>();
    ChooseSessionBus();
    const QCoreApplication app(argc, argv);
    if (request.kind == CommandRequest::OpenSettings) {
        // With no bar running this becomes a launch, whose bar shows its
        // settings. Asked on a connection of its own, so that the bar gets
        // the default connection fresh.
        const QString probeName = QStringLiteral("murmelvox-settings-probe");
        QDBusMessage reply;
        {
            const QDBusConnection probe = QDBusConnection::connectToBus(QDBusConnection::SessionBus, probeName);
            QDBusMessage hasOwner = QDBusMessage::createMethodCall(
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                QStringLiteral("org.freedesktop.DBus"), QStringLiteral("NameHasOwner"));
            hasOwner << MprisPlayer::ServiceName;
            if (probe.isConnected())
                reply = probe.call(hasOwner, QDBus::Block, ActionTimeoutMs);
        }
        QDBusConnection::disconnectFromBus(probeName);
        const bool barRuns = reply.type() == QDBusMessage::ReplyMessage && reply.arguments().size() == 1
                             && reply.arguments().at(0).typeId() == QMetaType::Bool
                             && reply.arguments().at(0).toBool();
        if (!barRuns)
            return std::nullopt;
    }
    if (request.kind == CommandRequest::PrintTimestamp)
        return PrintTimestamp();
    if (request.kind == CommandRequest::GoTo)
        return GoTo(request.time);
    return SendAction(request.action);
}

void DesktopSession::ChooseSessionBus()
{
    // Once a process: the menu's Settings asks before it becomes a launch.
    static bool chosen = false;
    if (std::exchange(chosen, true))
        return;
    // With no bus announced, nothing in the process may start a bus daemon
    // that would outlive it; a bus that does not answer is left alone too.
    const QByteArray address = AnnouncedSessionBusAddress();
    s_busSilent = !address.isEmpty() && SessionBusIsSilent(address, SessionBusGreetingTimeout);
    if (address.isEmpty() || s_busSilent)
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

DesktopSession::DesktopSession(const QByteArrayList &arguments, const FilePath &workingDirectory)
    : m_player(std::make_unique<MprisPlayer>())
{
    LaunchRequest request = ParseLaunchArguments(arguments, workingDirectory);
    const bool refused = request.kind == LaunchRequest::Refused;
    FilePath unopenable;
    if (refused) {
        Tell(request.reason);
        unopenable = request.path;
        request = {};
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    bool ours = false;
    if (!bus.isConnected()) {
        Tell(s_busSilent ? QStringLiteral("the D-Bus session bus does not answer; running without it, so media keys "
                                          "and other programs cannot control the player")
                         : QStringLiteral("no D-Bus session bus; media keys and other programs cannot control the player"));
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
                // A refused file ends the launch as it would without a bar
                // running (the reason is out); the running bar is left alone.
                if (refused) {
                    m_handedOver = true;
                    m_exitCode = 1;
                } else {
                    HandOver(bus, request.kind == LaunchRequest::OpenFile ? request.path : FilePath());
                }
                return;
            }
            Tell(QStringLiteral("cannot take the name %1 on the session bus: %2")
                     .arg(MprisPlayer::ServiceName, reply.error().message()));
        }
    }

    if (request.kind == LaunchRequest::OpenFile)
        m_player->OpenLocalFile(request.path);
    else if (!unopenable.isEmpty())
        // The engine refuses it as it refuses any file it cannot play, so
        // the bar shows the typist which file that was, struck through.
        // A second launch leaves the running bar's file alone instead.
        m_player->ShowUnopenable(unopenable);
}

DesktopSession::~DesktopSession() = default;

void DesktopSession::HandOver(const QDBusConnection &bus, const FilePath &path)
{
    m_handedOver = true;
    if (const QString why = NoRunningBar(bus); !why.isEmpty()) {
        Tell(why);
        m_exitCode = 1;
        return;
    }
    QDBusMessage call;
    if (path.isEmpty()) {
        call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                              QStringLiteral("org.mpris.MediaPlayer2"), QStringLiteral("Raise"));
    } else {
        call = QDBusMessage::createMethodCall(MprisPlayer::ServiceName, MprisPlayer::ObjectPath,
                                              QStringLiteral("org.mpris.MediaPlayer2.Player"), QStringLiteral("OpenUri"));
        call << path.toUri();
    }
    call.setAutoStartService(false);
    const QDBusMessage reply = bus.call(call, QDBus::Block, HandOverTimeoutMs);
    if (TimedOut(reply)) {
        Tell(path.isEmpty() ? QStringLiteral("Murmelvox is already running and did not answer in time")
                            : QStringLiteral("Murmelvox is already running and did not open the file in time"));
        m_exitCode = 1;
    } else if (reply.type() == QDBusMessage::ErrorMessage) {
        Tell(QStringLiteral("Murmelvox is already running and did not take the request: %1").arg(reply.errorMessage()));
        m_exitCode = 1;
    } else if (path.isEmpty()) {
        Tell(QStringLiteral("Murmelvox is already running"));
    }
}

void DesktopSession::Attach(Player *player, std::function<void()> raise, std::function<void()> quit,
                            std::function<void()> settings, std::function<void()> copyTimestamp,
                            std::function<void()> insertTimestamp)
{
    m_player->Attach(player, {std::move(raise), std::move(quit), std::move(settings), std::move(copyTimestamp),
                              std::move(insertTimestamp)});
}

void DesktopSession::ReleaseNames()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.DBus"),
                                                       QStringLiteral("/org/freedesktop/DBus"),
                                                       QStringLiteral("org.freedesktop.DBus"), QStringLiteral("ReleaseName"));
    call << MprisPlayer::ServiceName;
    constexpr int ReleaseTimeoutMs = 300;
    const QDBusMessage reply = bus.call(call, QDBus::Block, ReleaseTimeoutMs);
    // 1: released; 2 and 3: it was not ours.
    constexpr uint Released = 1;
    const QVariantList answer = reply.arguments();
    if (reply.type() != QDBusMessage::ReplyMessage || answer.size() != 1
        || answer.at(0).metaType() != QMetaType::fromType<uint>())
        qCWarning(lcCommand, "cannot give up the name %s: %s", qPrintable(MprisPlayer::ServiceName),
                  qPrintable(reply.errorMessage()));
    else if (answer.at(0).toUInt() != Released)
        qCDebug(lcCommand, "the name %s was not ours to give up", qPrintable(MprisPlayer::ServiceName));
}
