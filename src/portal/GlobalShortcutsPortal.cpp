// SPDX-License-Identifier: GPL-3.0-or-later
#include "portal/GlobalShortcutsPortal.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QTimer>
#include <optional>

Q_LOGGING_CATEGORY(lcPortal, "murmelvox.hotkeys.portal")

namespace {

constexpr QLatin1String Service = GlobalShortcutsPortal::Service;
const QString ObjectPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString Interface = QStringLiteral("org.freedesktop.portal.GlobalShortcuts");
const QString RequestInterface = QStringLiteral("org.freedesktop.portal.Request");
const QString SessionInterface = QStringLiteral("org.freedesktop.portal.Session");
const QString ShortcutsSignature = QStringLiteral("a(sa{sv})");

// The portal's answer codes (org.freedesktop.portal.Request::Response).
constexpr uint Success = 0;
constexpr uint Cancelled = 1;

// One call that the portal answers later, on a Request object, with its
// Response signal. The answer may come before the call's own reply, so the
// signal is subscribed at the path the portal documents before calling; a
// portal that returns another path is followed there.
class PortalRequest : public QObject
{
    Q_OBJECT
public:
    using Answer = std::function<void(uint code, const QVariantMap &results, const QString &error)>;

    PortalRequest(QDBusConnection bus, const QString &path, int answerTimeoutMs, Answer answer, QObject *parent)
        : QObject(parent), m_bus(std::move(bus)), m_answer(std::move(answer))
    {
        listen(path);
        QTimer::singleShot(answerTimeoutMs, this, &PortalRequest::expired);
    }

public slots:
    void returned(const QDBusMessage &reply)
    {
        if (reply.signature() != QLatin1String("o"))
            return; // not a request handle: the answer is awaited where documented
        const QString path = reply.arguments().value(0).value<QDBusObjectPath>().path();
        if (!path.isEmpty() && path != m_path)
            listen(path);
    }
    void failed(const QDBusError &error) { finish(2, {}, error.message()); }
    void response(uint code, const QVariantMap &results) { finish(code, results, {}); }

private:
    void listen(const QString &path)
    {
        if (!m_path.isEmpty())
            m_bus.disconnect(Service, m_path, RequestInterface, QStringLiteral("Response"), this,
                             SLOT(response(uint, QVariantMap)));
        m_path = path;
        m_bus.connect(Service, m_path, RequestInterface, QStringLiteral("Response"), this,
                      SLOT(response(uint, QVariantMap)));
    }
    void expired()
    {
        // Tell the portal to drop the request (its dialog, if any).
        m_bus.asyncCall(QDBusMessage::createMethodCall(Service, m_path, RequestInterface, QStringLiteral("Close")),
                        GlobalShortcutsPortal::CallTimeoutMs);
        finish(2, {}, QStringLiteral("the desktop did not answer"));
    }
    void finish(uint code, const QVariantMap &results, const QString &error)
    {
        if (m_done)
            return;
        m_done = true;
        m_bus.disconnect(Service, m_path, RequestInterface, QStringLiteral("Response"), this,
                         SLOT(response(uint, QVariantMap)));
        deleteLater();
        m_answer(code, results, error);
    }

    QDBusConnection m_bus;
    QString m_path;
    Answer m_answer;
    bool m_done = false;
};

// The shortcuts of a portal's answer; none when it names none, no value
// when they come in another shape than the documented one (demarshalling
// that as shortcuts would read past what the message holds).
std::optional<QList<PortalShortcut>> ShortcutsOf(const QVariant &value)
{
    if (!value.isValid())
        return QList<PortalShortcut>();
    if (value.metaType() != QMetaType::fromType<QDBusArgument>())
        return std::nullopt;
    const QDBusArgument argument = value.value<QDBusArgument>();
    if (argument.currentSignature() != ShortcutsSignature)
        return std::nullopt;
    return qdbus_cast<QList<PortalShortcut>>(argument);
}

QString PathOf(const QVariant &value)
{
    // Documented as a string, by mistake; an object path is taken too.
    if (value.metaType() == QMetaType::fromType<QDBusObjectPath>())
        return value.value<QDBusObjectPath>().path();
    if (value.metaType() == QMetaType::fromType<QString>())
        return value.toString();
    return {};
}

} // namespace

QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument << shortcut.id << shortcut.properties;
    argument.endStructure();
    return argument;
}

const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut)
{
    argument.beginStructure();
    argument >> shortcut.id >> shortcut.properties;
    argument.endStructure();
    return argument;
}

GlobalShortcutsPortal::GlobalShortcutsPortal(QDBusConnection bus, QObject *parent)
    : QObject(parent), m_bus(std::move(bus)),
      m_frontEnd(new QDBusServiceWatcher(Service, m_bus, QDBusServiceWatcher::WatchForOwnerChange, this))
{
    connect(m_frontEnd, &QDBusServiceWatcher::serviceOwnerChanged, this, &GlobalShortcutsPortal::frontEndChanged);
    qDBusRegisterMetaType<PortalShortcut>();
    qDBusRegisterMetaType<QList<PortalShortcut>>();
    m_bus.connect(Service, ObjectPath, Interface, QStringLiteral("Activated"), this, SLOT(onActivated(QDBusMessage)));
    m_bus.connect(Service, ObjectPath, Interface, QStringLiteral("Deactivated"), this,
                  SLOT(onDeactivated(QDBusMessage)));
    m_bus.connect(Service, ObjectPath, Interface, QStringLiteral("ShortcutsChanged"), this,
                  SLOT(onShortcutsChanged(QDBusMessage)));
}

GlobalShortcutsPortal::~GlobalShortcutsPortal()
{
    // Without the application (static destruction) the bus is gone too; the
    // portal closes the sessions of a program that leaves the bus.
    if (QCoreApplication::instance())
        close();
}

void GlobalShortcutsPortal::probeVersion(const QDBusConnection &bus, int timeoutMs, QObject *context,
                                         std::function<void(uint version)> answer)
{
    if (!bus.isConnected()) {
        // Answered from the event loop all the same: callers need not know.
        QMetaObject::invokeMethod(context, [answer = std::move(answer)] { answer(0); }, Qt::QueuedConnection);
        return;
    }
    QDBusMessage get = QDBusMessage::createMethodCall(Service, ObjectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                                      QStringLiteral("Get"));
    get << Interface << QStringLiteral("version");
    // The bus ends the call with a NoReply error once the timeout passes.
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(get, timeoutMs), context);
    connect(watcher, &QDBusPendingCallWatcher::finished, context, [watcher, answer = std::move(answer)] {
        watcher->deleteLater();
        answer(versionOf(watcher->reply()));
    });
}

uint GlobalShortcutsPortal::versionOf(const QDBusMessage &reply)
{
    if (reply.type() != QDBusMessage::ReplyMessage) {
        qCInfo(lcPortal, "no global shortcuts from the desktop portal: %s", qPrintable(reply.errorMessage()));
        return 0;
    }
    const QVariant version = reply.signature() == QLatin1String("v")
                                 ? reply.arguments().value(0).value<QDBusVariant>().variant()
                                 : QVariant();
    if (version.metaType() != QMetaType::fromType<uint>()) {
        qCWarning(lcPortal, "the desktop portal's version of global shortcuts is not a uint; not using them");
        return 0;
    }
    return version.toUInt();
}

QString GlobalShortcutsPortal::requestPath(const QString &token) const
{
    // The portal's documented Request path: the caller's unique name
    // without its colon, dots as underscores, then the token.
    QString sender = m_bus.baseService().mid(1);
    sender.replace(QLatin1Char('.'), QLatin1Char('_'));
    return QStringLiteral("/org/freedesktop/portal/desktop/request/%1/%2").arg(sender, token);
}

void GlobalShortcutsPortal::request(const QString &method, QList<QVariant> arguments, QVariantMap options,
                                    int answerTimeoutMs, Answer answer)
{
    const QString token = QStringLiteral("murmelvox%1").arg(++m_tokens);
    options.insert(QStringLiteral("handle_token"), token);
    arguments.append(options);
    auto *pending = new PortalRequest(m_bus, requestPath(token), answerTimeoutMs, std::move(answer), this);
    QDBusMessage call = QDBusMessage::createMethodCall(Service, ObjectPath, Interface, method);
    call.setArguments(arguments);
    if (!m_bus.callWithCallback(call, pending, SLOT(returned(QDBusMessage)), SLOT(failed(QDBusError)), CallTimeoutMs))
        pending->failed(m_bus.lastError());
}

void GlobalShortcutsPortal::bind(const QList<PortalShortcut> &shortcuts)
{
    close();
    if (shortcuts.isEmpty())
        return;
    m_inUse = true;
    m_shortcuts = shortcuts;
    const quint64 generation = m_generation;
    const QVariantMap options{{QStringLiteral("session_handle_token"), QStringLiteral("murmelvox%1").arg(++m_tokens)}};
    request(QStringLiteral("CreateSession"), {}, options, SessionAnswerTimeoutMs,
            [this, generation, shortcuts](uint code, const QVariantMap &results, const QString &error) {
        const QString session = PathOf(results.value(QStringLiteral("session_handle")));
        if (generation != m_generation) {
            if (code == Success && !session.isEmpty())
                closeSession(session);
            return;
        }
        if (code != Success || session.isEmpty()) {
            qCWarning(lcPortal, "the portal made no shortcut session (answer %u): %s", code, qPrintable(error));
            m_inUse = false;
            emit refused(code == Cancelled, error.isEmpty() ? QStringLiteral("no session") : error);
            return;
        }
        setSession(session);
        const QList<QVariant> arguments{QVariant::fromValue(QDBusObjectPath(session)), QVariant::fromValue(shortcuts),
                                        QString()};
        request(QStringLiteral("BindShortcuts"), arguments, {}, BindAnswerTimeoutMs,
                [this, generation](uint code, const QVariantMap &results, const QString &error) {
            if (generation != m_generation)
                return;
            if (code != Success) {
                qCWarning(lcPortal, "the portal bound no shortcuts (answer %u): %s", code, qPrintable(error));
                close();
                emit refused(code == Cancelled, code == Cancelled ? QStringLiteral("cancelled")
                                                : error.isEmpty() ? QStringLiteral("refused") : error);
                return;
            }
            const std::optional<QList<PortalShortcut>> taken = ShortcutsOf(results.value(QStringLiteral("shortcuts")));
            if (!taken) {
                qCWarning(lcPortal, "the portal's answer to the bind names its shortcuts in another shape than %s",
                          qPrintable(ShortcutsSignature));
                close();
                emit refused(false, QStringLiteral("its answer was malformed"));
                return;
            }
            emit bound(*taken);
        });
    });
}

void GlobalShortcutsPortal::close()
{
    ++m_generation;
    m_inUse = false;
    if (!m_session.isEmpty())
        closeSession(m_session);
    setSession({});
}

void GlobalShortcutsPortal::setSession(const QString &path)
{
    const QString closed = QStringLiteral("Closed");
    if (!m_session.isEmpty())
        m_bus.disconnect(Service, m_session, SessionInterface, closed, this, SLOT(onSessionClosed(QDBusMessage)));
    m_session = path;
    if (!m_session.isEmpty())
        m_bus.connect(Service, m_session, SessionInterface, closed, this, SLOT(onSessionClosed(QDBusMessage)));
}

void GlobalShortcutsPortal::onSessionClosed(const QDBusMessage &message)
{
    if (message.path() != m_session)
        return;
    qCWarning(lcPortal, "the desktop closed the shortcut session");
    loseShortcuts(QStringLiteral("it closed the shortcut session"));
}

// A portal that leaves the bus takes its sessions and requests along; one
// that takes its place knows none of them.
void GlobalShortcutsPortal::frontEndChanged(const QString &, const QString &oldOwner, const QString &newOwner)
{
    if (!m_inUse)
        return;
    if (!oldOwner.isEmpty() && !newOwner.isEmpty()) {
        // Replaced in one step (a front end started with --replace): the
        // new one is asked at once, and a refusal there is told as any.
        qCInfo(lcPortal, "another desktop portal took over; binding the shortcuts there");
        bind(m_shortcuts);
        return;
    }
    qCWarning(lcPortal, "the desktop portal left the bus; its shortcuts are gone");
    loseShortcuts(QStringLiteral("the desktop portal stopped"));
}

// Whatever was under way is forgotten: answers to it are dropped.
void GlobalShortcutsPortal::loseShortcuts(const QString &why)
{
    ++m_generation;
    m_inUse = false;
    setSession({});
    emit lost(why);
}

void GlobalShortcutsPortal::closeSession(const QString &path)
{
    m_bus.asyncCall(QDBusMessage::createMethodCall(Service, path, SessionInterface, QStringLiteral("Close")),
                    CallTimeoutMs);
}

// Whether a signal of the portal's is about our session, its first argument;
// `signature`: how the signal's arguments must begin.
bool GlobalShortcutsPortal::isOurs(const QDBusMessage &message, QLatin1String signature) const
{
    if (!message.signature().startsWith(signature)) {
        qCWarning(lcPortal, "the portal sent %s with the arguments %s, not %s...; ignoring it",
                  qPrintable(message.member()), qPrintable(message.signature()), signature.data());
        return false;
    }
    return !m_session.isEmpty() && message.arguments().value(0).value<QDBusObjectPath>().path() == m_session;
}

void GlobalShortcutsPortal::onActivated(const QDBusMessage &message)
{
    if (isOurs(message, QLatin1String("os")))
        emit activated(message.arguments().value(1).toString());
}

void GlobalShortcutsPortal::onDeactivated(const QDBusMessage &message)
{
    if (isOurs(message, QLatin1String("os")))
        emit deactivated(message.arguments().value(1).toString());
}

void GlobalShortcutsPortal::onShortcutsChanged(const QDBusMessage &message)
{
    if (!isOurs(message, QLatin1String("oa(sa{sv})")))
        return;
    if (const std::optional<QList<PortalShortcut>> shortcuts = ShortcutsOf(message.arguments().value(1)))
        emit changed(*shortcuts);
}

#include "GlobalShortcutsPortal.moc"
