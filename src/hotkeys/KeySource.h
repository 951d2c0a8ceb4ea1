// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/HotKeyActions.h"
#include "rules/KeyAssignments.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcHotKeys)

struct KeyBinding
{
    HotKeyAction action;
    FunctionKey key;
};

// A binding the source could not take from the desktop. `whole`: the key is
// not ours at all; otherwise only some modifier combinations are held by
// another program and the key works without them.
struct UnavailableKey
{
    HotKeyAction action;
    FunctionKey key;
    bool whole;
};

// What the desktop says triggers an action, where the desktop owns the keys
// ("Ctrl+F6", in its own words).
struct ChosenTrigger
{
    HotKeyAction action;
    QString trigger;
};

// Where hot-key events come from: desktop-wide key grabs of one kind or
// another. A source turns its platform's key events into action events;
// what an action does is the hot-key rules' business.
class KeySource : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Takes exactly these bindings from now on. A key bound to several
    // actions goes to the first of them in the list.
    virtual void bind(const QList<KeyBinding> &bindings) = 0;
    // Gives every key back.
    virtual void releaseAll() = 0;

signals:
    void activated(HotKeyAction action, KeyEvent event);
    // Some bindings could not be taken (reported again after each bind).
    void unavailable(const QList<UnavailableKey> &keys);
    // The source gives no keys at all any more: the desktop refused them or
    // did not answer; `why` in a few words.
    void failed(const QString &why);
    // The triggers the desktop finally chose, for the actions it bound; sent
    // by sources where the desktop, not the program, owns the keys.
    void triggersChosen(const QList<ChosenTrigger> &triggers);
};

// For desktops that offer no grabs (no display, or hot keys switched off).
class NullKeySource final : public KeySource
{
    Q_OBJECT
public:
    using KeySource::KeySource;
    void bind(const QList<KeyBinding> &) override {}
    void releaseAll() override {}
};

enum class KeySourceKind { X11, Portal, None };

struct KeySourceChoice
{
    KeySourceKind kind;
    // X11 grabs on a Wayland session: they see only the keys typed into X11
    // windows, which the user should be told.
    bool x11OnWayland;
};

// Which source to use. `wanted`: MURMELVOX_HOTKEYS (x11, portal, none or
// empty); `wayland`: the session is a Wayland one; `portalOffersShortcuts`
// asks the desktop portal, and is called only when the answer matters.
KeySourceChoice ChooseKeySource(const QByteArray &wanted, bool wayland,
                                const std::function<bool()> &portalOffersShortcuts);

// Whether this is a Wayland session (XDG_SESSION_TYPE or WAYLAND_DISPLAY).
bool IsWaylandSession();

struct CreatedKeySource
{
    std::unique_ptr<KeySource> source;
    bool x11OnWayland = false;
};

// The source for this session: the portal's global shortcuts on a Wayland
// session whose desktop offers them, otherwise X11 grabs where the
// application runs on X11, otherwise none. MURMELVOX_HOTKEYS=x11|portal|none
// overrides the choice. `ready` gets it at once, or, where the portal must be
// asked, once it answers (or fails to in time) in the event loop, never after
// `context` is gone.
void CreateKeySource(QObject *context, std::function<void(CreatedKeySource created)> ready);

// X11 grabs where the application runs on X11, otherwise none.
std::unique_ptr<KeySource> CreateX11KeySource();

// The desktop portal's global shortcuts on the session bus.
std::unique_ptr<KeySource> CreatePortalKeySource();
