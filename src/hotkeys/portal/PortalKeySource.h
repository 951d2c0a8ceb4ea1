// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/KeySource.h"
#include "portal/GlobalShortcutsPortal.h"

// Hot keys as the desktop portal's global shortcuts, one per action. The
// desktop owns the keys: the assigned key is only the preferred trigger,
// and the user may confirm or change it in the desktop's own dialog.
//
// The portal reports a press (Activated) and a release (Deactivated), never
// an auto-repeat. A held key is therefore two events, however long it is
// held: a held Full Rewind goes back to the start on the press and on the
// release only, and the file plays from the start in between, where the
// X11 grabs' repeats keep it at the start until the key is let go; a held
// wind key winds once, where the repeats wind on and on.
class PortalKeySource final : public KeySource
{
    Q_OBJECT
public:
    explicit PortalKeySource(QDBusConnection bus, QObject *parent = nullptr);

    void bind(const QList<KeyBinding> &bindings) override;
    void releaseAll() override;

    // The shortcut id of an action: its caption in lower case, words joined
    // by "-" ("play-pause").
    static QString shortcutIdOf(HotKeyAction action);

private:
    void shortcut(const QString &id, KeyEvent event);
    void chosen(const QList<PortalShortcut> &shortcuts);
    // The desktop gives no keys any more.
    void gone(const QString &why);

    GlobalShortcutsPortal m_portal;
    QList<HotKeyAction> m_bound; // the actions asked for
    QList<ChosenTrigger> m_triggers; // what the desktop said of them so far
};
