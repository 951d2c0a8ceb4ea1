// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/x11/X11KeyGrabber.h"

#include "rules/KeyAssignments.h"
#include "hotkeys/KeySource.h"

#include <QGuiApplication>
#include <QLoggingCategory>
#include <QtGui/qguiapplication_platform.h>
#include <algorithm>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
// xkb.h names a struct member "explicit".
#define explicit explicit_
#include <xcb/xkb.h>
#undef explicit

namespace {

constexpr xcb_keysym_t KeysymF1 = 0xffbe; // F1..F12 are consecutive keysyms
constexpr std::uint16_t AllModifierBits = 0xff; // Shift, Lock, Control, Mod1..Mod5

// Caps Lock and Num Lock (Mod2 on every common layout) are states a user
// leaves on for hours; a key that does not work under them is not usable.
constexpr std::uint16_t LockStates[] = {0, XCB_MOD_MASK_LOCK, XCB_MOD_MASK_2,
                                        XCB_MOD_MASK_LOCK | XCB_MOD_MASK_2};

struct Request {
    FunctionKey key;
    std::uint8_t keycode;
    std::uint16_t modifiers;
    xcb_void_cookie_t cookie;
};

// Sends one checked grab per request, then collects the answers: all in one
// round trip, whatever the number of requests. The keyboard is grabbed in
// synchronous mode: while a hot key is down, the server hands us one key
// event at a time and waits to learn where it goes (see handleKey).
std::vector<bool> grabChecked(xcb_connection_t *c, xcb_window_t root, std::vector<Request> &requests)
{
    for (Request &r : requests)
        r.cookie = xcb_grab_key_checked(c, 0, root, r.modifiers, r.keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC);
    std::vector<bool> ok;
    ok.reserve(requests.size());
    for (const Request &r : requests) {
        xcb_generic_error_t *error = xcb_request_check(c, r.cookie);
        ok.push_back(error == nullptr);
        std::free(error);
    }
    return ok;
}

} // namespace

std::unique_ptr<X11KeyGrabber> X11KeyGrabber::forApplication(KeyHandler onKey, FailureHandler onFailure)
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    xcb_connection_t *connection = x11 ? x11->connection() : nullptr;
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    const xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(connection));
    if (!screens.rem)
        return nullptr;
    return std::unique_ptr<X11KeyGrabber>(
        new X11KeyGrabber(connection, screens.data->root, std::move(onKey), std::move(onFailure)));
}

X11KeyGrabber::X11KeyGrabber(xcb_connection_t *connection, std::uint32_t root, KeyHandler onKey,
                             FailureHandler onFailure)
    : m_connection(connection), m_root(root), m_onKey(std::move(onKey)), m_onFailure(std::move(onFailure))
{
    m_regrab.setSingleShot(true);
    m_regrab.setInterval(0);
    QObject::connect(&m_regrab, &QTimer::timeout, [this] { grabAll(); });
    m_releaseWatch.setInterval(20);
    QObject::connect(&m_releaseWatch, &QTimer::timeout, [this] {
        const std::vector<FunctionKey> released = takeReleasedKeys();
        if (m_held.empty())
            m_releaseWatch.stop();
        for (FunctionKey vk : released)
            m_onKey(vk, false);
    });
    enableDetectableAutoRepeat();
    QCoreApplication::instance()->installNativeEventFilter(this);
}

X11KeyGrabber::~X11KeyGrabber()
{
    // Once the application is gone so is its connection, and the server has
    // dropped our grabs with it.
    if (!QCoreApplication::instance())
        return;
    QCoreApplication::instance()->removeNativeEventFilter(this);
    releaseAll();
}

// Without it a held key arrives as release+press pairs, which would make a
// held Play/Pause key toggle on every repeat; with it a held key gives
// presses and one release, as the hot-key counters expect.
void X11KeyGrabber::enableDetectableAutoRepeat()
{
    xcb_xkb_use_extension_reply_t *use = xcb_xkb_use_extension_reply(
        m_connection, xcb_xkb_use_extension(m_connection, XCB_XKB_MAJOR_VERSION, XCB_XKB_MINOR_VERSION), nullptr);
    const bool supported = use && use->supported;
    std::free(use);
    if (!supported) {
        qCWarning(lcHotKeys, "The X server has no XKB; a held hot key may act on every repeat.");
        return;
    }
    const xcb_query_extension_reply_t *xkb = xcb_get_extension_data(m_connection, &xcb_xkb_id);
    if (xkb && xkb->present)
        m_xkbFirstEvent = xkb->first_event;

    constexpr std::uint32_t dar = XCB_XKB_PER_CLIENT_FLAG_DETECTABLE_AUTO_REPEAT;
    xcb_xkb_per_client_flags_reply_t *flags = xcb_xkb_per_client_flags_reply(
        m_connection, xcb_xkb_per_client_flags(m_connection, XCB_XKB_ID_USE_CORE_KBD, dar, dar, 0, 0, 0), nullptr);
    if (!flags || !(flags->value & dar))
        qCWarning(lcHotKeys, "Detectable auto-repeat is not available; a held hot key may act on every repeat.");
    std::free(flags);

    // Learn about a new keyboard or a changed key map, so the grabs follow.
    constexpr std::uint16_t events = XCB_XKB_EVENT_TYPE_NEW_KEYBOARD_NOTIFY | XCB_XKB_EVENT_TYPE_MAP_NOTIFY;
    xcb_xkb_select_events(m_connection, XCB_XKB_ID_USE_CORE_KBD, events, 0, events, 0, 0, nullptr);
    xcb_flush(m_connection);
}

void X11KeyGrabber::setKeys(const QList<FunctionKey> &keys)
{
    m_wanted.clear();
    for (FunctionKey vk : keys) {
        if (OffsetOf(vk) >= 0 && !m_wanted.contains(vk))
            m_wanted.append(vk);
    }
    m_regrab.stop();
    grabAll();
}

void X11KeyGrabber::releaseAll()
{
    m_regrab.stop();
    if (!m_held.empty()) {
        m_held.clear();
        m_releaseWatch.stop();
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    }
    ungrabKeys();
}

void X11KeyGrabber::ungrabKeys()
{
    for (const Grab &g : m_grabs)
        xcb_ungrab_key(m_connection, g.keycode, m_root, g.modifiers);
    if (!m_grabs.empty()) {
        m_grabs.clear();
        // A round trip: the keys are free for others once this returns.
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    }
    if (m_symbols) {
        xcb_key_symbols_free(m_symbols);
        m_symbols = nullptr;
    }
}

QList<FunctionKey> X11KeyGrabber::heldKeys() const
{
    QList<FunctionKey> keys;
    for (const Grab &g : m_grabs) {
        if (!keys.contains(g.key))
            keys.append(g.key);
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Grabs every wanted key afresh under the current keyboard mapping. A key is
// first grabbed under any modifiers; when another client holds even one
// combination that grab fails whole, so the key is then grabbed combination
// by combination, keeping what succeeds as long as the key still works
// plainly and under Caps/Num Lock. Otherwise its partial grabs are given back.
// A key held down meanwhile stays held: its release still comes here.
void X11KeyGrabber::grabAll()
{
    ungrabKeys();
    if (m_wanted.isEmpty())
        return;
    m_symbols = xcb_key_symbols_alloc(m_connection);
    readModifierKeys();

    QList<Failure> failures;
    std::vector<Request> anyModifier;
    for (FunctionKey vk : m_wanted) {
        xcb_keycode_t *keycodes = xcb_key_symbols_get_keycode(m_symbols, KeysymF1 + xcb_keysym_t(OffsetOf(vk)));
        bool found = false;
        for (xcb_keycode_t *k = keycodes; k && *k != XCB_NO_SYMBOL; ++k) {
            anyModifier.push_back({vk, *k, XCB_MOD_MASK_ANY, {}});
            found = true;
        }
        std::free(keycodes);
        if (!found)
            failures.append({vk, true});
    }

    const std::vector<bool> anyOk = grabChecked(m_connection, m_root, anyModifier);
    std::vector<Request> combinations;
    for (size_t i = 0; i < anyModifier.size(); ++i) {
        const Request &r = anyModifier[i];
        if (anyOk[i]) {
            m_grabs.push_back({r.key, r.keycode, r.modifiers});
            continue;
        }
        for (std::uint16_t m = 0; m <= AllModifierBits; ++m)
            combinations.push_back({r.key, r.keycode, m, {}});
    }
    const std::vector<bool> comboOk = grabChecked(m_connection, m_root, combinations);

    // Judge each keycode's combinations together (256 consecutive requests).
    constexpr size_t perKey = AllModifierBits + 1;
    for (size_t first = 0; first < combinations.size(); first += perKey) {
        const Request &key = combinations[first];
        const bool usable = std::all_of(std::begin(LockStates), std::end(LockStates),
                                        [&](std::uint16_t m) { return comboOk[first + m]; });
        if (usable) {
            for (size_t m = 0; m < perKey; ++m) {
                if (comboOk[first + m])
                    m_grabs.push_back({key.key, key.keycode, std::uint16_t(m)});
            }
        } else {
            for (size_t m = 0; m < perKey; ++m) {
                if (comboOk[first + m])
                    xcb_ungrab_key(m_connection, key.keycode, m_root, std::uint16_t(m));
            }
        }
        failures.append({key.key, !usable});
    }
    xcb_flush(m_connection);

    // A key with several keycodes fails whole only when none of them is held.
    QList<Failure> reported;
    const QList<FunctionKey> held = heldKeys();
    for (const Failure &f : failures) {
        const Failure adjusted{f.key, f.whole && !held.contains(f.key)};
        if (std::none_of(reported.begin(), reported.end(), [&](const Failure &r) { return r.key == f.key; }))
            reported.append(adjusted);
    }
    if (!reported.isEmpty() && m_onFailure)
        m_onFailure(reported);
}

void X11KeyGrabber::readModifierKeys()
{
    m_modifierKeys.reset();
    xcb_get_modifier_mapping_reply_t *map =
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr);
    if (!map)
        return;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(map);
    for (int i = 0, n = xcb_get_modifier_mapping_keycodes_length(map); i < n; ++i) {
        if (codes[i])
            m_modifierKeys.set(codes[i]);
    }
    std::free(map);
}

FunctionKey X11KeyGrabber::keyOf(std::uint8_t keycode) const
{
    if (!m_symbols)
        return FunctionKey::None;
    const xcb_keysym_t sym = xcb_key_symbols_get_keysym(m_symbols, keycode, 0);
    if (sym < KeysymF1 || sym > KeysymF1 + xcb_keysym_t(OffsetOf(FunctionKey::F12)))
        return FunctionKey::None;
    return FunctionKeyAt(int(sym - KeysymF1));
}

// Passes a key event on to the focused window as a copy.
void X11KeyGrabber::forwardToFocus(const xcb_key_press_event_t *key)
{
    xcb_get_input_focus_reply_t *focus =
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr);
    const xcb_window_t window = focus ? focus->focus : XCB_NONE;
    std::free(focus);
    if (window == XCB_NONE || window == XCB_INPUT_FOCUS_POINTER_ROOT || window == m_root)
        return;
    xcb_key_press_event_t copy = *key;
    copy.event = window;
    copy.child = XCB_NONE;
    copy.event_x = copy.event_y = 0;
    copy.same_screen = 1;
    const std::uint8_t type = key->response_type & ~0x80;
    xcb_send_event(m_connection, 0, window,
                   type == XCB_KEY_PRESS ? XCB_EVENT_MASK_KEY_PRESS : XCB_EVENT_MASK_KEY_RELEASE,
                   reinterpret_cast<const char *>(&copy));
}

// Every key event reported to the root window comes from our grabs, and the
// server sends no further key event until told how to go on. A hot key is
// ours; any other key, typed while a hot key is down, is handed back to the
// server to deliver to the focused window as if never grabbed: real input,
// which xterm, Tk and others take, where a copy sent by us is ignored.
void X11KeyGrabber::handleKey(const xcb_key_press_event_t *key, bool press)
{
    const auto held =
        std::find_if(m_held.begin(), m_held.end(), [&](const Held &h) { return h.keycode == key->detail; });
    // A held key keeps its meaning though the mapping or the keys change.
    const FunctionKey vk = held != m_held.end() ? held->key : keyOf(key->detail);
    if (held == m_held.end() && (vk == FunctionKey::None || !m_wanted.contains(vk))) {
        std::vector<FunctionKey> released;
        if (m_held.empty()) { // a key grabbed under a mapping now gone
            xcb_allow_events(m_connection, XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
        } else if (m_modifierKeys.test(key->detail)) {
            // A modifier types nothing, and the server puts its state into
            // every real key event anyway; a copy keeps the grab unbroken,
            // so a hot key's release right behind it (Ctrl let go just
            // before F4) cannot slip through a replay.
            forwardToFocus(key);
            xcb_allow_events(m_connection, XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
        } else {
            released = replayAndHold();
        }
        xcb_flush(m_connection);
        for (FunctionKey r : released)
            m_onKey(r, false);
        return;
    }

    // Otherwise this press started one of our passive grabs.
    const bool holding = !m_held.empty() && !m_releaseWatch.isActive();
    m_releaseWatch.stop();
    if (press) {
        if (!holding) {
            // Held actively from now on, so that releasing the key that
            // started the passive grab does not end it while others are down.
            xcb_discard_reply(m_connection, xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME,
                                                              XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC).sequence);
        }
        if (held == m_held.end())
            m_held.push_back({vk, key->detail});
        xcb_allow_events(m_connection, XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
    } else {
        if (held != m_held.end())
            m_held.erase(held);
        if (m_held.empty())
            xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
        else
            xcb_allow_events(m_connection, XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
    }
    xcb_flush(m_connection);
    // Acted on once the keyboard runs again: a slow action must not hold up typing.
    m_onKey(vk, press);
}

// Has the server deliver the event just reported anew, past our grabs, and
// takes the keyboard again for the hot keys' repeats and releases. Returns
// the held keys found let go meanwhile: their releases went elsewhere but
// still count.
std::vector<FunctionKey> X11KeyGrabber::replayAndHold()
{
    // Replaying ends the grab and lets through at once every key event the
    // server held back meanwhile: a release of a hot key among them reaches
    // the focused window, and is found below by the key being up.
    xcb_allow_events(m_connection, XCB_ALLOW_REPLAY_KEYBOARD, XCB_CURRENT_TIME);
    xcb_grab_keyboard_reply_t *grab = xcb_grab_keyboard_reply(
        m_connection,
        xcb_grab_keyboard(m_connection, 0, m_root, XCB_CURRENT_TIME, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_SYNC),
        nullptr);
    const bool ours = grab && grab->status == XCB_GRAB_STATUS_SUCCESS;
    std::free(grab);

    std::vector<FunctionKey> released = takeReleasedKeys();
    if (!ours) {
        // Another client took the keyboard; the releases will not come here.
        qCDebug(lcHotKeys, "The keyboard was taken by another client while a hot key was down.");
        if (!m_held.empty())
            m_releaseWatch.start();
    } else if (m_held.empty()) {
        xcb_ungrab_keyboard(m_connection, XCB_CURRENT_TIME);
    } else {
        xcb_allow_events(m_connection, XCB_ALLOW_SYNC_KEYBOARD, XCB_CURRENT_TIME);
    }
    return released;
}

// Forgets the held keys that are up as the server now sees the keyboard.
std::vector<FunctionKey> X11KeyGrabber::takeReleasedKeys()
{
    xcb_query_keymap_reply_t *keymap =
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr);
    std::vector<FunctionKey> released;
    if (!keymap)
        return released;
    const auto up = [&](const Held &h) { return !(keymap->keys[h.keycode / 8] & (1 << (h.keycode % 8))); };
    for (const Held &h : m_held) {
        if (up(h))
            released.push_back(h.key);
    }
    m_held.erase(std::remove_if(m_held.begin(), m_held.end(), up), m_held.end());
    std::free(keymap);
    return released;
}

bool X11KeyGrabber::nativeEventFilter(const QByteArray &eventType, void *message, qintptr *)
{
    if (eventType != "xcb_generic_event_t")
        return false;
    auto *event = static_cast<xcb_generic_event_t *>(message);
    const std::uint8_t type = event->response_type & ~0x80;

    if (type == XCB_KEY_PRESS || type == XCB_KEY_RELEASE) {
        // Our grabs report to the root window; key events of our own windows
        // name those windows and belong to Qt.
        auto *key = reinterpret_cast<xcb_key_press_event_t *>(event);
        if (key->event != m_root)
            return false;
        handleKey(key, type == XCB_KEY_PRESS);
        return true;
    }
    if (type == XCB_MAPPING_NOTIFY) {
        auto *mapping = reinterpret_cast<xcb_mapping_notify_event_t *>(event);
        if (mapping->request == XCB_MAPPING_KEYBOARD || mapping->request == XCB_MAPPING_MODIFIER)
            m_regrab.start();
        return false;
    }
    if (m_xkbFirstEvent && type == m_xkbFirstEvent) {
        // Every XKB event carries its kind in the second byte.
        const std::uint8_t xkbType = reinterpret_cast<const std::uint8_t *>(event)[1];
        if (xkbType == XCB_XKB_NEW_KEYBOARD_NOTIFY || xkbType == XCB_XKB_MAP_NOTIFY)
            m_regrab.start();
    }
    return false;
}
