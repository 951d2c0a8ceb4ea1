#pragma once

#include <cstdint>

class MediaPlayer;

// What the hot keys act on: the bar's player and its Play, Pause and Stop
// buttons (Picture1, Picture2, Picture3).
class HotKeyTarget
{
public:
    virtual ~HotKeyTarget() = default;
    virtual MediaPlayer &Player() = 0;
    // Puts ImageList1 image `imageIndex` on transport button `pictureNumber` (1..3).
    virtual void ShowTransportImage(int pictureNumber, int imageIndex) = 0;
};

// Rewind and forward jump in whole seconds: WindCount / 150, truncated.
double WindStep();

// One event (press, auto-repeat press or release) of the key with
// virtual-key code vkCode. Returns true when the key is assigned to an action:
// the event is then the program's and nobody else sees it.
bool KeyboardHookProc(HotKeyTarget &target, std::int32_t vkCode);

// Takes the assigned keys desktop-wide and sends their events to
// KeyboardHookProc on the GUI thread. `target` must outlive the hook. Without
// an X11 display (offscreen platform) there are no hot keys. A key that
// another program holds is reported to the user and left out.
void InstallKeyboardHook(HotKeyTarget *target);

// Gives every key back. Safe to call when nothing is installed.
void RemoveKeyboardHook();

// Makes the taken keys follow the key assignments; LoadKeyAssignments calls
// it after every reload.
void KeyAssignmentsChanged();
