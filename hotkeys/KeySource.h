#pragma once

#include "hotkeys/HotKeyActions.h"

#include <QList>
#include <QLoggingCategory>
#include <QObject>
#include <cstdint>
#include <memory>

Q_DECLARE_LOGGING_CATEGORY(lcHotKeys)

struct KeyBinding
{
    HotKeyAction action;
    std::int32_t vkCode; // F1 = 112 ... F12 = 123
};

// A binding the source could not take from the desktop. `whole`: the key is
// not ours at all; otherwise only some modifier combinations are held by
// another program and the key works without them.
struct UnavailableKey
{
    HotKeyAction action;
    std::int32_t vkCode;
    bool whole;
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

// The source for this session: X11 grabs where the application runs on X11,
// otherwise none. MURMELVOX_HOTKEYS=x11|none overrides the choice.
std::unique_ptr<KeySource> CreateKeySource();
