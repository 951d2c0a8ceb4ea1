#pragma once

#include <QString>
#include <functional>

class HotKeys;

// Tells the user which hot keys another program holds, and what to do.
using HotKeyNotice = std::function<void(const QString &text)>;
// Without one the loss is only logged.
void SetHotKeyNotice(HotKeyNotice notice);

// Takes the assigned keys desktop-wide and sends their events to `hotKeys`
// on the GUI thread. `hotKeys` must outlive the hook. Without an X11 display
// (offscreen platform) there are no hot keys. A key that another program
// holds is reported to the user and left out.
void InstallKeyboardHook(HotKeys *hotKeys);

// Gives every key back. Safe to call when nothing is installed.
void RemoveKeyboardHook();

// Makes the taken keys follow the key assignments.
void KeyAssignmentsChanged();

// Reads the key assignments from the settings store into the installed hot
// keys and takes the keys.
void ReloadKeyAssignments();
