#include "hotkeys/GlobalHotKeys.h"

#include "hotkeys/HotKeys.h"
#include "hotkeys/KeyAssignments.h"
#include "hotkeys/KeySource.h"

#include <QStringList>
#include <cmath>

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

void SetKeysAsked()
{
    if (!source)
        return;
    userAskedForKeys = true;
    source->bind(AssignedBindings());
    userAskedForKeys = false;
}

} // namespace

void SetHotKeyNotice(HotKeyNotice notice)
{
    tellUser = std::move(notice);
}

void InstallKeyboardHook(HotKeys *hotKeys)
{
    hookTarget = hotKeys;
    if (!source) {
        source = CreateKeySource();
        QObject::connect(source.get(), &KeySource::activated, [](HotKeyAction action, KeyEvent event) {
            if (hookTarget)
                hookTarget->handle(action, event);
        });
        QObject::connect(source.get(), &KeySource::unavailable, ReportUnavailable);
    }
    SetKeysAsked();
}

void RemoveKeyboardHook()
{
    source.reset();
    hookTarget = nullptr;
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
