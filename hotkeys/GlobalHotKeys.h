#pragma once

#include "hotkeys/HotKeyActions.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class HotKeys;

// Tells the user which hot keys another program holds, and what to do.
using HotKeyNotice = std::function<void(const QString &text)>;
// Without one the loss is only logged.
void SetHotKeyNotice(HotKeyNotice notice);

// Takes the assigned keys desktop-wide and sends their events to `hotKeys`
// on the GUI thread. `hotKeys` must outlive the hook. On a Wayland desktop
// whose portal offers global shortcuts the desktop is asked for them; where
// it refuses them, and everywhere else, X11 grabs take them, and the user is
// told where those fall short. Without an X11 display (offscreen platform)
// there are no hot keys. A key that another program holds is reported to
// the user and left out.
void InstallKeyboardHook(HotKeys *hotKeys);

// Gives every key back. Safe to call when nothing is installed.
void RemoveKeyboardHook();

// Makes the taken keys follow the key assignments.
void KeyAssignmentsChanged();

// Reads the key assignments from the settings store into the installed hot
// keys and takes the keys.
void ReloadKeyAssignments();

// Where the desktop owns the keys (its global shortcuts portal), what it
// says triggers each action ("Ctrl+F6"); the user may have chosen another
// key than the assigned one in the desktop's dialog or settings. Empty when
// the desktop names no key; no value for an action it has not bound, and
// where the program grabs the keys itself.
std::optional<QString> DesktopTriggerOf(HotKeyAction action);
// Whether the desktop owns the keys and has answered which it bound.
bool DesktopOwnsKeys();

// Announces changes of the desktop's triggers.
class DesktopTriggers : public QObject
{
    Q_OBJECT
public:
    static DesktopTriggers &instance();
signals:
    void changed();
};
