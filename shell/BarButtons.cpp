#include "shell/Form1.h"

#include "hotkeys/HookModule.h"
#include "shell/BarWindow.h"
#include "shell/TrayIcon.h"

#include <QCoreApplication>

#include <cstdlib>

// The exit button: the only way the program ends.
void Form1::Picture4_Click()
{
    // 1. Release the global hot keys.
    RemoveKeyboardHook();

    // 2. The tray icon goes first, and is gone from the tray before the
    //    process is.
    DeleteTrayIcon();
    FlushDisplay();

    // 3. End at once: no handler of any window runs and nothing is saved.
    //    Ending the process closes the audio output, so the sound stops
    //    with it.
    std::_Exit(0);
}

// The expand/collapse button. Only the window's height changes; the panel is
// uncovered or covered in place.
void Form1::Picture6_Click()
{
    if (Expanded) {
        // Collapse in one go: no event runs in between.
        for (int h = ExpandedHeight; h >= CollapsedHeight; --h)
            resize(width(), Px(h));
        Expanded = false;
    } else {
        // Expand a twip at a time, letting pending events run before each
        // step: the panel slides out while the bar stays responsive, and a
        // click that arrives meanwhile is handled at once, inside this loop.
        for (int h = CollapsedHeight; h <= ExpandedHeight; ++h) {
            QCoreApplication::processEvents();
            resize(width(), Px(h));
        }
        Expanded = true;
    }
}
