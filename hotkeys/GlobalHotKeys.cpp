#include "hotkeys/GlobalHotKeys.h"

#include "hotkeys/HotKeys.h"
#include "hotkeys/KeyAssignments.h"
#include "hotkeys/KeySource.h"

#include <QStringList>
#include <array>
#include <cmath>
#include <optional>

#include <QLoggingCategory>

namespace {

HotKeys *hookTarget = nullptr;
std::unique_ptr<KeySource> source;
HotKeyNotice tellUser;
// The keys last reported lost, and whether the user has just asked for the
// keys (start-up, "Set" in Keys). The grabs are taken again by themselves
// whenever the keyboard changes (a new device, even the test tools' virtual
// one); the same loss then is no news and is not shown again.
QString lastLost;
bool userAskedForKeys = false;
// What the desktop bound, where it owns the keys: per action, the trigger
// it names (possibly none), or nothing where it bound no key.
std::array<std::optional<QString>, HotKeyActions.size()> desktopTriggers;
bool desktopAnswered = false;
// The warning that X11 grabs see only X11 windows is given once per start.
bool toldX11OnWayland = false;

const char *const DesktopShortcutsHint =
    "To use them in every window, bind keys in the desktop's own keyboard settings to the commands "
    "\"murmelvox --play-pause\", \"murmelvox --play\", \"murmelvox --pause\", \"murmelvox --stop\", "
    "\"murmelvox --wind-back\", \"murmelvox --wind-forward\" and \"murmelvox --to-start\".";

void Tell(const QString &text)
{
    if (tellUser)
        tellUser(text);
}

void SetDesktopTriggers(const QList<ChosenTrigger> &triggers, bool answered)
{
    desktopTriggers = {};
    for (const ChosenTrigger &t : triggers)
        desktopTriggers[std::size_t(t.action)] = t.trigger;
    desktopAnswered = answered;
    emit DesktopTriggers::instance().changed();
}

QList<KeyBinding> AssignedBindings()
{
    QList<KeyBinding> bindings;
    if (!hookTarget)
        return bindings;
    for (const HotKeyActionInfo &info : HotKeyActions) {
        if (const std::int32_t vk = hookTarget->bindings()[std::size_t(info.action)])
            bindings.append({info.action, vk});
    }
    return bindings;
}

// Tells the user which hot keys are missing and what to do, without stopping
// the program: the keys that were taken work meanwhile.
void ReportUnavailable(const QList<UnavailableKey> &keys)
{
    QStringList lost;
    for (const UnavailableKey &k : keys) {
        const QString key = KeyCodeToName(k.vkCode);
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
    const bool news = userAskedForKeys || lostText != lastLost;
    lastLost = lostText;
    if (lost.isEmpty() || !news)
        return;
    const QString text = QStringLiteral(
        "Another program is using %1, so Murmelvox cannot use it as a hot key.\n\n"
        "Choose another key with the \"Keys\" button, or free the key in the other program "
        "and press \"Set\" in \"Keys\" again.").arg(lost.join(QStringLiteral(", ")));
    if (tellUser)
        tellUser(text);
}

void FallBackToX11(const QString &why);

void UseSource(std::unique_ptr<KeySource> next)
{
    source = std::move(next);
    QObject::connect(source.get(), &KeySource::activated, [](HotKeyAction action, KeyEvent event) {
        if (hookTarget)
            hookTarget->handle(action, event);
    });
    QObject::connect(source.get(), &KeySource::unavailable, ReportUnavailable);
    QObject::connect(source.get(), &KeySource::failed, FallBackToX11);
    QObject::connect(source.get(), &KeySource::triggersChosen,
                     [](const QList<ChosenTrigger> &triggers) { SetDesktopTriggers(triggers, true); });
}

void SetKeysAsked()
{
    if (!source)
        return;
    userAskedForKeys = true;
    source->bind(AssignedBindings());
    userAskedForKeys = false;
}

// The desktop refused its global shortcuts, or stopped answering: the keys
// come from X11 grabs from now on, and the user is told what that means.
void FallBackToX11(const QString &why)
{
    qCWarning(lcHotKeys, "no global shortcuts from the desktop (%s); taking the keys through X11", qPrintable(why));
    SetDesktopTriggers({}, false);
    // The failing source is still on the stack: it goes once control is back
    // in the event loop.
    KeySource *failed = source.release();
    failed->disconnect();
    failed->deleteLater();
    UseSource(CreateX11KeySource());
    source->bind(AssignedBindings());
    QString text = QStringLiteral("The desktop did not give Murmelvox its hot keys (%1).").arg(why);
    if (IsWaylandSession()) {
        toldX11OnWayland = true;
        text += QStringLiteral("\n\nMurmelvox now takes the keys through X11, so they work only while a window "
                               "of an X11 program has the focus. ") + QLatin1String(DesktopShortcutsHint);
    } else {
        text += QStringLiteral("\n\nMurmelvox now takes the keys itself.");
    }
    Tell(text);
}

} // namespace

DesktopTriggers &DesktopTriggers::instance()
{
    static DesktopTriggers triggers;
    return triggers;
}

std::optional<QString> DesktopTriggerOf(HotKeyAction action)
{
    return desktopTriggers[std::size_t(action)];
}

bool DesktopOwnsKeys()
{
    return desktopAnswered;
}

void SetHotKeyNotice(HotKeyNotice notice)
{
    tellUser = std::move(notice);
}

void InstallKeyboardHook(HotKeys *hotKeys)
{
    hookTarget = hotKeys;
    if (!source) {
        CreatedKeySource created = CreateKeySource();
        UseSource(std::move(created.source));
        if (created.x11OnWayland && !toldX11OnWayland) {
            toldX11OnWayland = true;
            Tell(QStringLiteral("This Wayland desktop offers programs no global shortcuts, so Murmelvox's hot keys "
                                "work only while a window of an X11 program has the focus.\n\n") +
                 QLatin1String(DesktopShortcutsHint));
        }
    }
    SetKeysAsked();
}

void RemoveKeyboardHook()
{
    source.reset();
    hookTarget = nullptr;
    SetDesktopTriggers({}, false);
}

void ReloadKeyAssignments()
{
    if (!hookTarget)
        return;
    hookTarget->setBindings(LoadKeyAssignments());
    KeyAssignmentsChanged();
}

void KeyAssignmentsChanged()
{
    SetKeysAsked();
}

#include "moc_GlobalHotKeys.cpp"
