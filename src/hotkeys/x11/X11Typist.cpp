// SPDX-License-Identifier: GPL-3.0-or-later
#include "hotkeys/x11/X11Typist.h"

#include <cstdlib>
#include <memory>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>
#include <xcb/xtest.h>

namespace {

constexpr int ModifierPollMs = 10;
constexpr xcb_keysym_t KeysymShiftL = 0xffe1;
constexpr xcb_keysym_t KeysymLevel3Shift = 0xfe03;

template<typename T>
using Reply = std::unique_ptr<T, decltype(&std::free)>;

// The keysym of a character: Latin-1 keysyms are the character's own code,
// the rest of Unicode lies above 0x1000000.
xcb_keysym_t KeysymOf(char32_t c)
{
    return c < 0x100 ? xcb_keysym_t(c) : xcb_keysym_t(0x1000000 | c);
}

struct Stroke
{
    xcb_keycode_t key;
    bool shift;
    bool level3;
};

} // namespace

X11Typist::X11Typist(QObject *parent) : QObject(parent)
{
    m_modifierWatch.setInterval(ModifierPollMs);
    connect(&m_modifierWatch, &QTimer::timeout, this, [this] {
        m_waitedMs += ModifierPollMs;
        if (!modifierHeld() || m_waitedMs >= ModifierWaitMs)
            typeWaiting();
    });
}

X11Typist::~X11Typist()
{
    if (m_connection)
        xcb_disconnect(m_connection);
}

bool X11Typist::connected()
{
    if (m_connection && !xcb_connection_has_error(m_connection))
        return true;
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(m_connection)) {
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return false;
    }
    return true;
}

void X11Typist::type(const QString &text, Done done)
{
    m_waiting.push_back({text, std::move(done)});
    if (m_modifierWatch.isActive())
        return;
    m_waitedMs = 0;
    if (connected() && modifierHeld())
        m_modifierWatch.start();
    else
        typeWaiting();
}

void X11Typist::typeWaiting()
{
    m_modifierWatch.stop();
    const bool held = m_waitedMs >= ModifierWaitMs && connected() && modifierHeld();
    for (Request &request : std::exchange(m_waiting, {}))
        request.done(held ? Outcome::ModifierHeld : typeNow(request.text));
}

// Whether a key of the modifier map (Shift, Ctrl, Alt, AltGr, Super) is down.
bool X11Typist::modifierHeld()
{
    Reply<xcb_get_modifier_mapping_reply_t> map(
        xcb_get_modifier_mapping_reply(m_connection, xcb_get_modifier_mapping(m_connection), nullptr), &std::free);
    Reply<xcb_query_keymap_reply_t> down(
        xcb_query_keymap_reply(m_connection, xcb_query_keymap(m_connection), nullptr), &std::free);
    if (!map || !down)
        return false;
    const xcb_keycode_t *codes = xcb_get_modifier_mapping_keycodes(map.get());
    const int count = xcb_get_modifier_mapping_keycodes_length(map.get());
    for (int i = 0; i < count; ++i) {
        // The lock keys count only while pressed, as any key does here.
        if (codes[i] && (down->keys[codes[i] / 8] >> (codes[i] % 8) & 1))
            return true;
    }
    return false;
}

X11Typist::Outcome X11Typist::typeNow(const QString &text)
{
    if (!connected())
        return Outcome::NoDisplay;
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    Reply<xcb_get_input_focus_reply_t> focus(
        xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr), &std::free);
    if (!focus || focus->focus == XCB_NONE || focus->focus == XCB_INPUT_FOCUS_POINTER_ROOT || focus->focus == root)
        return Outcome::NoFocus;

    // The layout as it is now: the user may have switched it since the
    // last typing.
    std::unique_ptr<xcb_key_symbols_t, decltype(&xcb_key_symbols_free)> symbols(xcb_key_symbols_alloc(m_connection),
                                                                                 &xcb_key_symbols_free);
    const xcb_setup_t *setup = xcb_get_setup(m_connection);
    auto keycodeOf = [&](xcb_keysym_t sym) -> xcb_keycode_t {
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols.get(), sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    };
    const xcb_keycode_t shiftKey = keycodeOf(KeysymShiftL), level3Key = keycodeOf(KeysymLevel3Shift);
    // Columns of the core mapping: group 1's first two levels, then (after
    // group 2's) its third and fourth.
    constexpr struct { int column; bool shift, level3; } Levels[] = {
        {0, false, false}, {1, true, false}, {4, false, true}, {5, true, true}};
    std::vector<Stroke> strokes;
    for (const char32_t c : text.toUcs4()) {
        const xcb_keysym_t sym = KeysymOf(c);
        // The fewest modifiers first, on whichever key.
        bool found = false;
        for (const auto &level : Levels) {
            if ((level.shift && !shiftKey) || (level.level3 && !level3Key))
                continue;
            for (int key = setup->min_keycode; key <= setup->max_keycode && !found; ++key) {
                if (xcb_key_symbols_get_keysym(symbols.get(), xcb_keycode_t(key), level.column) != sym)
                    continue;
                strokes.push_back({xcb_keycode_t(key), level.shift, level.level3});
                found = true;
            }
            if (found)
                break;
        }
        if (!found)
            return Outcome::NotOnKeyboard;
    }

    auto fake = [this](uint8_t type, xcb_keycode_t key) {
        xcb_test_fake_input(m_connection, type, key, XCB_CURRENT_TIME, XCB_NONE, 0, 0, 0);
    };
    for (const Stroke &stroke : strokes) {
        if (stroke.shift)
            fake(XCB_KEY_PRESS, shiftKey);
        if (stroke.level3)
            fake(XCB_KEY_PRESS, level3Key);
        fake(XCB_KEY_PRESS, stroke.key);
        fake(XCB_KEY_RELEASE, stroke.key);
        if (stroke.level3)
            fake(XCB_KEY_RELEASE, level3Key);
        if (stroke.shift)
            fake(XCB_KEY_RELEASE, shiftKey);
    }
    // A round trip: the server has taken every key when this returns.
    std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
    return Outcome::Typed;
}
