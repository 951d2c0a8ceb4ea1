// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "rules/KeyAssignments.h"

#include <QAbstractNativeEventFilter>
#include <QList>
#include <QTimer>
#include <bitset>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

struct xcb_connection_t;
struct xcb_key_press_event_t;
typedef struct _XCBKeySymbols xcb_key_symbols_t;

// Passive grabs of function keys on the X11 root window. A grabbed key is
// the program's whatever modifiers are held and whichever window has the
// focus; every other key passes untouched, also while a grabbed key is held
// down. The grabs follow changes of the keyboard mapping by themselves.
class X11KeyGrabber final : public QAbstractNativeEventFilter
{
public:
    // A key that could not be taken (whole = false: only some modifier
    // combinations are held by another client; the key works without them).
    struct Failure {
        FunctionKey key;
        bool whole;
    };
    using KeyHandler = std::function<void(FunctionKey key, bool press)>;
    using FailureHandler = std::function<void(const QList<Failure> &failures)>;

    // Null when the application does not run on X11 (offscreen, Wayland).
    static std::unique_ptr<X11KeyGrabber> forApplication(KeyHandler onKey, FailureHandler onFailure);
    ~X11KeyGrabber() override;

    // Holds exactly these keys (codes F1..F12) from now on; reports the ones
    // that could not be taken through the failure handler.
    void setKeys(const QList<FunctionKey> &keys);
    // Gives every key back.
    void releaseAll();
    // The keys now held.
    QList<FunctionKey> heldKeys() const;

    bool nativeEventFilter(const QByteArray &eventType, void *message, qintptr *result) override;

private:
    X11KeyGrabber(xcb_connection_t *connection, std::uint32_t root, KeyHandler onKey, FailureHandler onFailure);
    void enableDetectableAutoRepeat();
    void grabAll();
    FunctionKey keyOf(std::uint8_t keycode) const;
    void readModifierKeys();
    void forwardToFocus(const xcb_key_press_event_t *key);
    void handleKey(const xcb_key_press_event_t *key, bool press);
    std::vector<FunctionKey> replayAndHold();
    std::vector<FunctionKey> takeReleasedKeys();
    void ungrabKeys();

    struct Grab {
        FunctionKey key;
        std::uint8_t keycode;
        std::uint16_t modifiers;
    };

    xcb_connection_t *m_connection;
    std::uint32_t m_root;
    xcb_key_symbols_t *m_symbols = nullptr;
    std::uint8_t m_xkbFirstEvent = 0;
    KeyHandler m_onKey;
    FailureHandler m_onFailure;
    QList<FunctionKey> m_wanted;
    std::bitset<256> m_modifierKeys; // keycodes of Shift, Ctrl, Alt and the like
    std::vector<Grab> m_grabs;
    QTimer m_regrab; // coalesces bursts of mapping changes into one regrab

    // Grabbed keys now down. While there are any the keyboard is held in
    // synchronous mode, one event at a time.
    struct Held {
        FunctionKey key;
        std::uint8_t keycode;
    };
    std::vector<Held> m_held;
    // Polls for their releases when another client took the keyboard meanwhile.
    QTimer m_releaseWatch;
};
