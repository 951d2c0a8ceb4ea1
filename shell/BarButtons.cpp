#include "shell/Bar.h"

#include "hotkeys/GlobalHotKeys.h"
#include "settings/SettingsStore.h"
#include "shell/BarWindow.h"
#include "shell/TrayIcon.h"

#include <QPropertyAnimation>

#include <cstdlib>

namespace {

// Long enough for a large settings file on a local disk.
constexpr int ExitSettingsWaitMs = 2000;

} // namespace

// The exit button: the only way the program ends.
void Bar::exitProgram()
{
    // 1. Release the global hot keys.
    globalHotKeys->removeKeyboardHook();

    // 2. The tray icon goes first, and is gone from the tray before the
    //    process is.
    trayIcon.reset();
    FlushDisplay();

    // 3. A wind count still being written reaches the disk, unless the
    //    disk does not answer: the exit must not wait on it.
    FinishSettingWrites(QDeadlineTimer(ExitSettingsWaitMs));

    // 4. End at once: no handler of any window runs and nothing is saved.
    //    Ending the process closes the audio output, so the sound stops
    //    with it.
    std::_Exit(0);
}

// The expand/collapse button. Only the window's height changes, frame by
// frame; the panel is uncovered or covered in place.
void Bar::togglePanel()
{
    if (m_panelMotion->state() == QAbstractAnimation::Running) {
        // While the panel slides out, a click asks for what is under way.
        // While it slides in, the click waits for the bar to close and then
        // opens it again.
        if (Expanded)
            m_clickedWhileCollapsing = true;
        return;
    }
    m_panelMotion->setStartValue(size());
    m_panelMotion->setEndValue(QSize(width(), Px(Expanded ? CollapsedHeight : ExpandedHeight)));
    m_panelMotion->start();
}

void Bar::panelMotionEnded()
{
    Expanded = !Expanded;
    if (m_clickedWhileCollapsing) {
        m_clickedWhileCollapsing = false;
        togglePanel();
    }
}
