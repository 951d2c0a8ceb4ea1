// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "hotkeys/KeySource.h"

#include <QSet>

class X11KeyGrabber;

// Hot keys as passive key grabs on the X11 root window.
class X11KeySource final : public KeySource
{
    Q_OBJECT
public:
    // Null when the application does not run on X11.
    static std::unique_ptr<X11KeySource> create();
    ~X11KeySource() override;

    void bind(const QList<KeyBinding> &bindings) override;
    void releaseAll() override;

private:
    X11KeySource();
    void key(FunctionKey key, bool press);

    std::unique_ptr<X11KeyGrabber> m_grabber;
    QList<KeyBinding> m_bindings;
    QSet<FunctionKey> m_down; // a press of a key already down is a repeat
};
