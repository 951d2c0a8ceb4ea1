#include "hotkeys/HookModule.h"

#include "hotkeys/HotKeys.h"
#include "hotkeys/KeyAssignments.h"
#include "hotkeys/X11KeyGrabber.h"
#include "shell/Module1.h"

#include <QMessageBox>
#include <QPointer>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <limits>

namespace {

HotKeys *hookTarget = nullptr;
std::unique_ptr<X11KeyGrabber> grabber;
QPointer<QMessageBox> notice;
// The keys last reported lost, and whether the user has just asked for the
// keys (start-up, "Set" in Keys). The grabs are taken again by themselves
// whenever the keyboard changes (a new device, even the test tools' virtual
// one); the same loss then is no news and is not shown again.
QString lastLost;
bool userAskedForKeys = false;

QString ActionOf(std::int32_t vk)
{
    if (vk == FullRewindKey)
        return QStringLiteral("Full Rewind");
    if (vk == FastRewindKey)
        return QStringLiteral("Fast Rewind");
    if (vk == PlayPauseKey)
        return QStringLiteral("Play/Pause");
    return QStringLiteral("Fast Forward");
}

QList<std::int32_t> AssignedKeys()
{
    QList<std::int32_t> keys;
    for (std::int32_t vk : {FullRewindKey, FastRewindKey, PlayPauseKey, FastForwardKey}) {
        if (vk != 0)
            keys.append(vk);
    }
    return keys;
}

// Tells the user which hot keys are missing and what to do, without stopping
// the program: the keys that were taken work meanwhile.
void ReportGrabFailures(const QList<X11KeyGrabber::Failure> &failures)
{
    QStringList lost;
    for (const X11KeyGrabber::Failure &f : failures) {
        const QString key = KeyCodeToName(f.vkCode);
        const QString action = ActionOf(f.vkCode);
        if (f.whole) {
            lost.append(QStringLiteral("%1 (%2)").arg(key, action));
            std::fprintf(stderr, "murmelvox: hot key %s (%s) is held by another program; it does not work here.\n",
                         qPrintable(key), qPrintable(action));
        } else {
            std::fprintf(stderr, "murmelvox: another program holds %s (%s) together with some modifier keys; "
                                 "with those modifiers the key goes to that program.\n",
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
    if (!notice) {
        notice = new QMessageBox(QMessageBox::Warning, QStringLiteral("Murmelvox"), text, QMessageBox::Ok);
        notice->setAttribute(Qt::WA_DeleteOnClose);
        notice->setModal(false);
        // The bar stays on top of everything; the notice must not hide behind it.
        notice->setWindowFlag(Qt::WindowStaysOnTopHint);
        notice->setAccessibleName(QStringLiteral("Hot key not available"));
    }
    notice->setText(text);
    notice->setAccessibleDescription(text);
    notice->show();
}

void SetKeysAsked()
{
    if (!grabber)
        return;
    userAskedForKeys = true;
    grabber->setKeys(AssignedKeys());
    userAskedForKeys = false;
}

} // namespace

double WindStep()
{
    return std::trunc(double(WindCount) / 150.0);
}

void InstallKeyboardHook(HotKeys *hotKeys)
{
    hookTarget = hotKeys;
    if (!grabber) {
        grabber = X11KeyGrabber::forApplication(
            [](std::int32_t vkCode, bool press) {
                if (hookTarget)
                    hookTarget->handleKey(vkCode, press ? KeyEvent::Press : KeyEvent::Release);
            },
            ReportGrabFailures);
    }
    SetKeysAsked();
}

void RemoveKeyboardHook()
{
    grabber.reset();
    hookTarget = nullptr;
}

void KeyAssignmentsChanged()
{
    SetKeysAsked();
}
