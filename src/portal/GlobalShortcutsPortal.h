// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>
#include <QList>
#include <QLoggingCategory>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <QVariantMap>
#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcPortal)

class QDBusArgument;
class QDBusMessage;
class QDBusServiceWatcher;

// One shortcut as the portal passes it: an id of the program's choosing and
// its properties (description, preferred_trigger; trigger_description in
// the portal's answers).
struct PortalShortcut
{
    QString id;
    QVariantMap properties;
};
Q_DECLARE_METATYPE(PortalShortcut)
QDBusArgument &operator<<(QDBusArgument &argument, const PortalShortcut &shortcut);
const QDBusArgument &operator>>(const QDBusArgument &argument, PortalShortcut &shortcut);

// A client of the desktop portal's GlobalShortcuts interface: the desktop,
// not the program, owns the keys. The program asks for shortcuts in a
// session; the desktop (and the user, in its dialog) decides which key
// triggers each, and reports presses and releases.
class GlobalShortcutsPortal : public QObject
{
    Q_OBJECT
public:
    // How long any call to the portal may take to return, and how long the
    // answer of a request may take: creating a session asks nobody, binding
    // may wait for the user to confirm the keys in the desktop's dialog.
    static constexpr int CallTimeoutMs = 5000;
    static constexpr int SessionAnswerTimeoutMs = 10000;
    static constexpr int BindAnswerTimeoutMs = 180000;

    // The portal front end's bus name.
    static constexpr QLatin1String Service{"org.freedesktop.portal.Desktop"};

    explicit GlobalShortcutsPortal(QDBusConnection bus, QObject *parent = nullptr);
    ~GlobalShortcutsPortal() override; // closes the session

    // Asks which version of GlobalShortcuts the portal offers, without
    // waiting for it: `answer` gets it from the event loop of `context`'s
    // thread, 0 when the portal offers none or does not answer within
    // `timeoutMs`; never once `context` is gone.
    static void probeVersion(const QDBusConnection &bus, int timeoutMs, QObject *context,
                             std::function<void(uint version)> answer);
    // The version a reply to Properties.Get names; 0 for an error or a
    // reply of any other type than a variant holding a uint.
    static uint versionOf(const QDBusMessage &reply);

    // Asks for exactly these shortcuts: a session can be bound only once,
    // so any earlier session is closed and a new one created for them.
    // Answers with bound() or refused().
    void bind(const QList<PortalShortcut> &shortcuts);
    // Closes the session: the desktop forgets its shortcuts.
    void close();

signals:
    // The shortcuts the desktop took (a subset of those asked for), each
    // with its trigger_description.
    void bound(const QList<PortalShortcut> &shortcuts);
    // The request ended without shortcuts: `cancelled` when the user said
    // no, otherwise the portal failed, refused or did not answer.
    void refused(bool cancelled, const QString &why);
    void activated(const QString &id);
    void deactivated(const QString &id);
    // The user changed some shortcuts in the desktop's settings.
    void changed(const QList<PortalShortcut> &shortcuts);
    // The shortcuts asked for or bound are gone: the desktop closed the
    // session, or the portal left the bus (and a new one knows nothing of
    // it). Nothing is bound any more.
    void lost(const QString &why);

private slots:
    void onActivated(const QDBusMessage &message);
    void onDeactivated(const QDBusMessage &message);
    void onShortcutsChanged(const QDBusMessage &message);
    void onSessionClosed(const QDBusMessage &message);

private:
    using Answer = std::function<void(uint code, const QVariantMap &results, const QString &error)>;

    void request(const QString &method, QList<QVariant> arguments, QVariantMap options, int answerTimeoutMs,
                 Answer answer);
    QString requestPath(const QString &token) const;
    void closeSession(const QString &path);
    bool isOurs(const QDBusMessage &message, QLatin1String signature) const;
    void setSession(const QString &path);
    void frontEndChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void loseShortcuts(const QString &why);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_frontEnd;
    QString m_session; // the open session's path; empty when none
    QList<PortalShortcut> m_shortcuts; // the last bound, for a portal that takes over
    bool m_inUse = false; // from bind() until close(), a refusal or the loss of the session
    quint64 m_generation = 0; // bumped by every bind() and close(): older answers are stale
    quint64 m_tokens = 0;
};
