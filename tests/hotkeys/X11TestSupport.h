// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Helpers for tests that run under their own Xvfb: another X client that
// competes for keys, the focused logging client, and xdotool.

#include "rules/KeyAssignments.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QStringList>
#include <QTest>
#include <cstdlib>
#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

constexpr xcb_keysym_t KeysymF1 = 0xffbe;
inline xcb_keysym_t KeysymOf(FunctionKey key) { return KeysymF1 + xcb_keysym_t(OffsetOf(key)); }

// A second X client, as another program on the desktop would be.
class RivalClient
{
public:
    RivalClient() : c(xcb_connect(nullptr, nullptr))
    {
        root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
        symbols = xcb_key_symbols_alloc(c);
    }
    ~RivalClient()
    {
        xcb_key_symbols_free(symbols);
        xcb_disconnect(c);
    }
    xcb_keycode_t keycodeOf(xcb_keysym_t sym)
    {
        xcb_key_symbols_free(symbols); // the mapping may have changed
        symbols = xcb_key_symbols_alloc(c);
        xcb_keycode_t *codes = xcb_key_symbols_get_keycode(symbols, sym);
        const xcb_keycode_t code = codes ? codes[0] : 0;
        std::free(codes);
        return code;
    }
    // Grabs a key on the root window; true when the server granted it.
    bool grab(xcb_keycode_t keycode, uint16_t modifiers)
    {
        xcb_generic_error_t *e = xcb_request_check(
            c, xcb_grab_key_checked(c, 0, root, modifiers, keycode, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC));
        std::free(e);
        return !e;
    }
    void ungrab(xcb_keycode_t keycode, uint16_t modifiers)
    {
        xcb_ungrab_key(c, keycode, root, modifiers);
        std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    }
    // Whether nobody else holds the key under any modifiers.
    bool isFree(xcb_keycode_t keycode)
    {
        const bool granted = grab(keycode, XCB_MOD_MASK_ANY);
        if (granted)
            ungrab(keycode, XCB_MOD_MASK_ANY);
        return granted;
    }
    bool isFreeKey(FunctionKey key) { return isFree(keycodeOf(KeysymOf(key))); }

    xcb_connection_t *c;
    xcb_window_t root;
    xcb_key_symbols_t *symbols;
};

// The focused application: a window that logs the key events it gets.
class KeyLogger
{
public:
    bool start()
    {
        process.setProgram(QStringLiteral(MURMELVOX_KEYLOGGER));
        process.start();
        if (!process.waitForStarted())
            return false;
        for (int waited = 0; waited < 10000; waited += 20) {
            if (output().contains(QStringLiteral("ready")))
                return true;
            QTest::qWait(20);
        }
        return false;
    }
    ~KeyLogger()
    {
        process.kill();
        process.waitForFinished();
    }
    // Lines received so far, without "ready".
    QStringList lines()
    {
        QStringList l = output();
        l.removeAll(QStringLiteral("ready"));
        return l;
    }
    void clear()
    {
        output();
        seen.clear();
    }

private:
    QStringList output()
    {
        seen += QString::fromLatin1(process.readAllStandardOutput());
        return seen.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }
    QProcess process;
    QString seen;
};

// Runs xdotool with these arguments and waits for it.
inline bool Xdotool(const QStringList &arguments)
{
    return QProcess::execute(QStringLiteral("xdotool"), arguments) == 0;
}

// The same while the event loop runs, as the user's typing does not wait for
// the program: a grab in synchronous mode is answered meanwhile.
inline bool XdotoolLive(const QStringList &arguments)
{
    QProcess xdotool;
    xdotool.start(QStringLiteral("xdotool"), arguments);
    if (!xdotool.waitForStarted())
        return false;
    for (QDeadlineTimer deadline(10000); xdotool.state() != QProcess::NotRunning && !deadline.hasExpired();)
        QTest::qWait(5);
    return xdotool.state() == QProcess::NotRunning && xdotool.exitStatus() == QProcess::NormalExit && xdotool.exitCode() == 0;
}
