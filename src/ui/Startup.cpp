// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Startup.h"

#include "rules/BookmarkFile.h"
#include "ui/BookmarksView.h"
#include "ui/FootPedals.h"
#include "hotkeys/GlobalHotKeys.h"
#include "hotkeys/HotKeys.h"
#include "rules/KeyAssignments.h"
#include "ui/BarWindow.h"
#include "ui/Bar.h"
#include "ui/HotKeyNotice.h"
#include "ui/Pictures.h"
#include "ui/TrayIcon.h"

Bar *startup()
{
    // 1. The time display starts with the elapsed time: the bar's default.
    // 2. Create the bar; its load handler places it and restores the sliders.
    auto *form = new Bar;
    form->load();

    // 7. The bookmark file's path: beside the program, or in the user's
    //    data folder where the program's folder is not writable.
    //    A bookmark file left in a read-only program folder starts the
    //    user's file.
    const BookmarkLocation bookmarks = DefaultBookmarkLocation();
    form->bookmarks().setPath(bookmarks.path);

    // 8. Rounded corners; the region keeps the expanded size.
    form->setMask(RoundedRegion());

    // 9. Show it, off the taskbar, leaving the keyboard with the application
    //    the typist is writing in.
    SkipTaskbar(form);
    form->setAttribute(Qt::WA_ShowWithoutActivating);
    form->show();

    // 10. Above all other windows (the window asks to stay on top from its
    //     creation; this brings it there now).
    form->raise();

    // Steps 3 to 6 and 11, in their order, once the bar is on the screen:
    // the typist sees the bar as early as it can be drawn.
    AfterFirstPaint(form, [form, bookmarks] {
        // 3. The tray icon, with the window's icon (decoding it waits until
        //    now: the bar shows none of its own); its menu opens the settings.
        form->setWindowIcon(WindowIcon());
        form->setTrayIcon(AddTrayIcon(form, [form] { form->showSettings(); }));

        // 4. The hot-key event counters start at 0 with the bar's hot-key rules.
        // 5. The four key codes from the settings store.
        form->hotKeys().setBindings(LoadKeyAssignments(form->settings()));
        // 6. The global hot keys.
        ShowHotKeyNotices(form->globalHotKeys());
        form->globalHotKeys().takeKeys(&form->hotKeys());

        // 11. The bookmark list.
        form->bookmarks().load();
        //     Where they were copied to a new place just now, say where, once.
        NoteBookmarkLocation(bookmarks);

        // The foot pedals.
        form->pedals().start();
    });

    // 12. From here on the program lives on window events.
    return form;
}
