// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <vector>

struct xcb_connection_t;

// Types text into the X11 window that has the keyboard focus, as keys
// pressed on the keyboard (XTEST): every toolkit takes it as typing, where
// key events sent by another client are ignored by many (xterm, Tk).
// Characters are found on the keyboard's current layout, with Shift or the
// third-level key where they need them.
//
// Keys the user holds are never touched. A modifier still held (the Ctrl
// of the hot key that asked for the text) would turn the typing into
// shortcuts, so the typing waits until every modifier is up. Releasing it
// for the user and pressing it again afterwards would not do: the focused
// application would see a lone press and release (Alt opens menus), and
// a modifier let go of meanwhile would be left pressed by us.
class X11Typist : public QObject
{
    Q_OBJECT
public:
    enum class Outcome {
        Typed,
        NoDisplay,       // no X server to type to
        NoFocus,         // no window has the keyboard focus
        NotOnKeyboard,   // a character is on no key of the layout; nothing typed
        ModifierHeld,    // a modifier stayed down past the wait; nothing typed
    };
    using Done = std::function<void(Outcome)>;

    // How long a held modifier is waited for.
    static constexpr int ModifierWaitMs = 3000;

    explicit X11Typist(QObject *parent = nullptr);
    ~X11Typist() override;

    // Types `text` now, or once the modifiers are up; `done` learns how it
    // ended. A text asked for while another waits is typed after it.
    void type(const QString &text, Done done);

private:
    struct Request
    {
        QString text;
        Done done;
    };
    bool connected();
    bool modifierHeld();
    void typeWaiting();
    Outcome typeNow(const QString &text);

    xcb_connection_t *m_connection = nullptr;
    std::vector<Request> m_waiting;
    QTimer m_modifierWatch;
    int m_waitedMs = 0;
};
