// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/portal/PortalKeySource.h"

#include "rules/KeyAssignments.h"

#include <optional>

namespace {

std::optional<HotKeyAction> ActionOf(const QString &id)
{
    for (const HotKeyActionInfo &info : HotKeyActions) {
        if (PortalKeySource::shortcutIdOf(info.action) == id)
            return info.action;
    }
    return std::nullopt;
}

} // namespace

PortalKeySource::PortalKeySource(QDBusConnection bus, QObject *parent)
    : KeySource(parent), m_portal(std::move(bus))
{
    connect(&m_portal, &GlobalShortcutsPortal::activated, this,
            [this](const QString &id) { shortcut(id, KeyEvent::Press); });
    connect(&m_portal, &GlobalShortcutsPortal::deactivated, this,
            [this](const QString &id) { shortcut(id, KeyEvent::Release); });
    connect(&m_portal, &GlobalShortcutsPortal::bound, this, [this](const QList<PortalShortcut> &shortcuts) {
        m_triggers.clear();
        chosen(shortcuts);
    });
    connect(&m_portal, &GlobalShortcutsPortal::changed, this, &PortalKeySource::chosen);
    connect(&m_portal, &GlobalShortcutsPortal::refused, this, [this](bool cancelled, const QString &why) {
        gone(cancelled ? QStringLiteral("the request for the keys was cancelled") : why);
    });
    connect(&m_portal, &GlobalShortcutsPortal::lost, this, &PortalKeySource::gone);
}

void PortalKeySource::gone(const QString &why)
{
    m_bound.clear();
    m_triggers.clear();
    emit failed(why);
}

QString PortalKeySource::shortcutIdOf(HotKeyAction action)
{
    QString id = QString::fromLatin1(InfoOf(action).caption).toLower();
    for (QChar &c : id) {
        if (!c.isLetterOrNumber())
            c = QLatin1Char('-');
    }
    return id;
}

void PortalKeySource::bind(const QList<KeyBinding> &bindings)
{
    m_bound.clear();
    m_triggers.clear();
    QList<PortalShortcut> shortcuts;
    QList<FunctionKey> keys;
    for (const KeyBinding &b : bindings) {
        // A key bound to several actions goes to the first of them.
        if (b.key == FunctionKey::None || keys.contains(b.key))
            continue;
        keys.append(b.key);
        m_bound.append(b.action);
        shortcuts.append({shortcutIdOf(b.action),
                          {{QStringLiteral("description"), QString::fromLatin1(InfoOf(b.action).caption)},
                           {QStringLiteral("preferred_trigger"), NameOf(b.key)}}});
    }
    m_portal.bind(shortcuts);
}

void PortalKeySource::releaseAll()
{
    m_bound.clear();
    m_triggers.clear();
    m_portal.close();
}

void PortalKeySource::shortcut(const QString &id, KeyEvent event)
{
    const std::optional<HotKeyAction> action = ActionOf(id);
    if (action && m_bound.contains(*action))
        emit activated(*action, event);
}

// The desktop names the shortcuts it bound, and later those the user changed.
void PortalKeySource::chosen(const QList<PortalShortcut> &shortcuts)
{
    for (const PortalShortcut &s : shortcuts) {
        const std::optional<HotKeyAction> action = ActionOf(s.id);
        if (!action || !m_bound.contains(*action))
            continue;
        const QVariant described = s.properties.value(QStringLiteral("trigger_description"));
        const QString trigger = described.metaType() == QMetaType::fromType<QString>() ? described.toString() : QString();
        m_triggers.removeIf([&](const ChosenTrigger &t) { return t.action == *action; });
        m_triggers.append({*action, trigger});
        qCInfo(lcHotKeys, "the desktop runs %s with %s", InfoOf(*action).caption,
               trigger.isEmpty() ? "a key it does not name" : qPrintable(trigger));
    }
    emit triggersChosen(m_triggers);
}
