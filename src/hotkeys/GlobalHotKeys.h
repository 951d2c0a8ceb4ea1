// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/HotKeyActions.h"
#include "hotkeys/KeySource.h"

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>

class HotKeys;
class SettingsStore;
class QDBusServiceWatcher;

// Tells the user which hot keys another program holds, and what to do.
using HotKeyNotice = std::function<void(const QString &text)>;

// The keys taken desktop-wide for the hot-key rules: where they come from
// (the desktop's global shortcuts portal or X11 grabs), what the desktop
// bound, and what the user is told when keys are missing.
class GlobalHotKeys : public QObject
{
    Q_OBJECT
public:
    explicit GlobalHotKeys(QObject *parent = nullptr);
    ~GlobalHotKeys() override;

    // Without one the loss of keys is only logged.
    void setNotice(HotKeyNotice notice);

    // Takes the assigned keys desktop-wide and sends their events to
    // `hotKeys` on the GUI thread. `hotKeys` must outlive them. On a
    // Wayland desktop whose portal offers global shortcuts the desktop is
    // asked for them; where it refuses them, and everywhere else, X11 grabs
    // take them, and the user is told where those fall short. Without an X11
    // display (offscreen platform) there are no hot keys. A key that another
    // program holds is reported to the user and left out. Asking the portal
    // does not hold the caller: the keys are taken once it answers.
    void takeKeys(HotKeys *hotKeys);

    // Gives every key back. Safe to call when nothing is installed.
    void releaseKeys();

    // Makes the taken keys follow the key assignments.
    void keyAssignmentsChanged();

    // Reads the key assignments from the settings store into the installed
    // hot keys and takes the keys.
    void reloadKeyAssignments(const SettingsStore &settings);

    // Where the desktop owns the keys (its global shortcuts portal), what it
    // says triggers each action ("Ctrl+F6"); the user may have chosen another
    // key than the assigned one in the desktop's dialog or settings. Empty
    // when the desktop names no key; no value for an action it has not bound,
    // and where the program grabs the keys itself.
    std::optional<QString> desktopTriggerOf(HotKeyAction action) const;
    // Whether the desktop owns the keys and has answered which it bound.
    bool desktopOwnsKeys() const;

signals:
    // The desktop's triggers changed (see desktopTriggerOf).
    void triggersChanged();

private:
    void tell(const QString &text) const;
    void setDesktopTriggers(const QList<ChosenTrigger> &triggers, bool answered);
    QList<KeyBinding> assignedBindings() const;
    void reportUnavailable(const QList<UnavailableKey> &keys);
    void useSource(std::unique_ptr<KeySource> next);
    void sourceChosen(CreatedKeySource created);
    void bindAskedKeys();
    void fallBackToX11(const QString &why);
    void bindPortalAgain();
    void portalBoundAgain(const QList<ChosenTrigger> &triggers);
    void dropReturningPortal();

    HotKeys *m_hotKeys = nullptr;
    std::unique_ptr<KeySource> m_source;
    bool m_choosingSource = false; // while the portal is asked whether it offers shortcuts
    // After the portal failed: it is watched on the bus, and a new portal
    // there is asked for the keys again while the X11 grabs hold them; it
    // takes over once it has bound them.
    std::unique_ptr<QDBusServiceWatcher> m_portalWatcher;
    std::unique_ptr<KeySource> m_returningPortal;
    HotKeyNotice m_tellUser;
    // The keys last reported lost, and whether the user has just asked for
    // the keys (start-up, "Set" in Keys). The grabs are taken again by
    // themselves whenever the keyboard changes (a new device, even the test
    // tools' virtual one); the same loss then is no news and is not shown
    // again.
    QString m_lastLost;
    bool m_userAskedForKeys = false;
    // What the desktop bound, where it owns the keys: per action, the trigger
    // it names (possibly none), or nothing where it bound no key.
    std::array<std::optional<QString>, HotKeyActions.size()> m_desktopTriggers;
    bool m_desktopAnswered = false;
    // The warning that X11 grabs see only X11 windows is given once per run.
    bool m_toldX11OnWayland = false;
};
