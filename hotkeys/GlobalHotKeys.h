#pragma once

class HotKeys;

// Rewind and forward jump in whole seconds: WindCount / 150, truncated.
double WindStep();

// Takes the assigned keys desktop-wide and sends their events to `hotKeys`
// on the GUI thread. `hotKeys` must outlive the hook. Without an X11 display
// (offscreen platform) there are no hot keys. A key that another program
// holds is reported to the user and left out.
void InstallKeyboardHook(HotKeys *hotKeys);

// Gives every key back. Safe to call when nothing is installed.
void RemoveKeyboardHook();

// Makes the taken keys follow the key assignments; LoadKeyAssignments calls
// it after every reload.
void KeyAssignmentsChanged();
