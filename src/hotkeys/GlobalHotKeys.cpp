// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/GlobalHotKeys.h"

#include "hotkeys/HotKeys.h"
#include "rules/KeyAssignments.h"
#include "rules/SettingsStore.h"
#include "portal/GlobalShortcutsPortal.h"

#include <QDBusServiceWatcher>
#include <QLoggingCategory>
#include <QStringList>

namespace {

const char *const DesktopShortcutsHint =
    "To use them in every window, bind keys in the desktop's own keyboard settings to the commands "
    "\"murmelvox --play-pause\", \"murmelvox --play\", \"murmelvox --pause\", \"murmelvox --stop\", "
    "\"murmelvox --wind-back\", \"murmelvox --wind-forward\" and \"murmelvox --to-start\".";

} // namespace

GlobalHotKeys::GlobalHotKeys(QObject *parent) : QObject(parent) {}

GlobalHotKeys::~GlobalHotKeys() = default;

void GlobalHotKeys::tell(const QString &text) const
{
    if (m_tellUser)
        m_tellUser(text);
}

void GlobalHotKeys::setDesktopTriggers(const QList<ChosenTrigger> &triggers, bool answered)
{
    m_desktopTriggers = {};
    for (const ChosenTrigger &t : triggers)
        m_desktopTriggers[std::size_t(t.action)] = t.trigger;
    m_desktopAnswered = answered;
    emit triggersChanged();
}

QList<KeyBinding> GlobalHotKeys::assignedBindings() const
{
    QList<KeyBinding> bindings;
    if (!m_hotKeys)
        return bindings;
    for (const HotKeyActionInfo &info : HotKeyActions) {
        if (const FunctionKey vk = m_hotKeys->bindings()[std::size_t(info.action)]; vk != FunctionKey::None)
            bindings.append({info.action, vk});
    }
    return bindings;
}

// Tells the user which hot keys are missing and what to do, without stopping
// the program: the keys that were taken work meanwhile.
void GlobalHotKeys::reportUnavailable(const QList<UnavailableKey> &keys)
{
    QStringList lost;
    for (const UnavailableKey &k : keys) {
        const QString key = NameOf(k.key);
        const QString action = QString::fromLatin1(InfoOf(k.action).caption);
        if (k.whole) {
            lost.append(QStringLiteral("%1 (%2)").arg(key, action));
            qCWarning(lcHotKeys, "hot key %s (%s) is held by another program; it does not work here",
                      qPrintable(key), qPrintable(action));
        } else {
            qCWarning(lcHotKeys, "another program holds %s (%s) together with some modifier keys; "
                                 "with those modifiers the key goes to that program",
                      qPrintable(key), qPrintable(action));
        }
    }
    const QString lostText = lost.join(QStringLiteral(", "));
    const bool news = m_userAskedForKeys || lostText != m_lastLost;
    m_lastLost = lostText;
    if (lost.isEmpty() || !news)
        return;
    tell(QStringLiteral("Another program is using %1, so Murmelvox cannot use it as a hot key.\n\n"
                        "Choose another key with the \"Keys\" button, or free the key in the other program "
                        "and press \"Set\" in \"Keys\" again.").arg(lost.join(QStringLiteral(", "))));
}

void GlobalHotKeys::useSource(std::unique_ptr<KeySource> next)
{
    m_source = std::move(next);
    connect(m_source.get(), &KeySource::activated, this, [this](HotKeyAction action, KeyEvent event) {
        if (m_hotKeys)
            m_hotKeys->handle(action, event);
    });
    connect(m_source.get(), &KeySource::unavailable, this, &GlobalHotKeys::reportUnavailable);
    connect(m_source.get(), &KeySource::failed, this, &GlobalHotKeys::fallBackToX11);
    connect(m_source.get(), &KeySource::triggersChosen, this,
            [this](const QList<ChosenTrigger> &triggers) { setDesktopTriggers(triggers, true); });
}

void GlobalHotKeys::bindAskedKeys()
{
    if (!m_source)
        return;
    m_userAskedForKeys = true;
    m_source->bind(assignedBindings());
    m_userAskedForKeys = false;
    if (m_returningPortal)
        m_returningPortal->bind(assignedBindings());
}

// The desktop refused its global shortcuts, stopped answering or dropped
// them: the keys come from X11 grabs until a portal binds them again, and
// the user is told what that means.
void GlobalHotKeys::fallBackToX11(const QString &why)
{
    qCWarning(lcHotKeys, "no global shortcuts from the desktop (%s); taking the keys through X11", qPrintable(why));
    setDesktopTriggers({}, false);
    // The failing source is still on the stack: it goes once control is back
    // in the event loop.
    KeySource *failed = m_source.release();
    failed->disconnect();
    failed->deleteLater();
    useSource(CreateX11KeySource());
    m_source->bind(assignedBindings());
    QString text = QStringLiteral("The desktop did not give Murmelvox its hot keys (%1).").arg(why);
    if (IsWaylandSession()) {
        m_toldX11OnWayland = true;
        text += QStringLiteral("\n\nMurmelvox now takes the keys through X11, so they work only while a window "
                               "of an X11 program has the focus. ") + QLatin1String(DesktopShortcutsHint);
    } else {
        text += QStringLiteral("\n\nMurmelvox now takes the keys itself.");
    }
    tell(text);
    if (!m_portalWatcher) {
        m_portalWatcher = std::make_unique<QDBusServiceWatcher>(
            GlobalShortcutsPortal::Service, QDBusConnection::sessionBus(), QDBusServiceWatcher::WatchForOwnerChange);
        connect(m_portalWatcher.get(), &QDBusServiceWatcher::serviceOwnerChanged, this,
                [this](const QString &, const QString &, const QString &owner) {
            if (!owner.isEmpty())
                bindPortalAgain();
        });
    }
}

void GlobalHotKeys::bindPortalAgain()
{
    qCInfo(lcHotKeys, "a desktop portal came onto the bus; asking it for the keys again");
    dropReturningPortal();
    m_returningPortal = CreatePortalKeySource();
    connect(m_returningPortal.get(), &KeySource::failed, this, [this](const QString &why) {
        qCWarning(lcHotKeys, "the desktop portal still gives no keys (%s); they stay with X11", qPrintable(why));
        dropReturningPortal();
    });
    connect(m_returningPortal.get(), &KeySource::triggersChosen, this, &GlobalHotKeys::portalBoundAgain);
    m_returningPortal->bind(assignedBindings());
}

void GlobalHotKeys::portalBoundAgain(const QList<ChosenTrigger> &triggers)
{
    qCInfo(lcHotKeys, "the desktop portal bound the keys again; releasing the X11 grabs");
    m_portalWatcher.reset();
    m_returningPortal->disconnect(this);
    useSource(std::move(m_returningPortal)); // the X11 source goes, and its grabs with it
    setDesktopTriggers(triggers, true);
}

// The portal being asked again may be answering from the stack: it goes
// once control is back in the event loop.
void GlobalHotKeys::dropReturningPortal()
{
    if (!m_returningPortal)
        return;
    m_returningPortal->disconnect(this);
    m_returningPortal.release()->deleteLater();
}

std::optional<QString> GlobalHotKeys::desktopTriggerOf(HotKeyAction action) const
{
    return m_desktopTriggers[std::size_t(action)];
}

bool GlobalHotKeys::desktopOwnsKeys() const
{
    return m_desktopAnswered;
}

void GlobalHotKeys::setNotice(HotKeyNotice notice)
{
    m_tellUser = std::move(notice);
}

void GlobalHotKeys::takeKeys(HotKeys *hotKeys)
{
    m_hotKeys = hotKeys;
    if (m_source) {
        bindAskedKeys();
    } else if (!m_choosingSource) {
        // The source may come only once the portal answers: the keys wait
        // for it, and it takes the assignments of that moment.
        m_choosingSource = true;
        CreateKeySource(this, [this](CreatedKeySource created) { sourceChosen(std::move(created)); });
    }
}

void GlobalHotKeys::sourceChosen(CreatedKeySource created)
{
    m_choosingSource = false;
    if (!m_hotKeys)
        return; // the keys were given back meanwhile
    useSource(std::move(created.source));
    if (created.x11OnWayland && !m_toldX11OnWayland) {
        m_toldX11OnWayland = true;
        tell(QStringLiteral("This Wayland desktop offers programs no global shortcuts, so Murmelvox's hot keys "
                            "work only while a window of an X11 program has the focus.\n\n") +
             QLatin1String(DesktopShortcutsHint));
    }
    bindAskedKeys();
}

void GlobalHotKeys::releaseKeys()
{
    m_portalWatcher.reset();
    dropReturningPortal();
    m_source.reset();
    m_hotKeys = nullptr;
    setDesktopTriggers({}, false);
}

void GlobalHotKeys::reloadKeyAssignments(const SettingsStore &settings)
{
    if (!m_hotKeys)
        return;
    m_hotKeys->setBindings(LoadKeyAssignments(settings));
    keyAssignmentsChanged();
}

void GlobalHotKeys::keyAssignmentsChanged()
{
    bindAskedKeys();
}

#include "moc_GlobalHotKeys.cpp"
