// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/Timestamps.h"
#include "hotkeys/x11/X11Typist.h"

#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>

class Player;
class QMessageBox;
class SettingsStore;

// The timestamp commands that reach the desktop: the position onto the
// clipboard or typed into the focused application, and going to the
// timestamp selected in the typist's document. What went wrong is told in
// one notice that does not wait for an answer: the typist is looking at
// the document, not at the bar.
class TimestampCommands : public QObject
{
    Q_OBJECT
public:
    // The format is read from `settings` at each command.
    TimestampCommands(Player &player, SettingsStore &settings, QObject *parent = nullptr);
    ~TimestampCommands() override;

    Timestamps &timestamps() { return m_timestamps; }

    void copyToClipboard();
    // Types it where the keyboard focus is; under Wayland, with no X11
    // window focused, it goes onto the clipboard and the typist is told
    // once to paste it.
    void insertIntoFocused();
    // The timestamp selected (X11's primary selection), else the one on the
    // clipboard.
    void goToSelected();

    // Where notices go; a box of its own unless set.
    void setNotice(std::function<void(const QString &)> notice) { m_notice = std::move(notice); }

private:
    void tell(const QString &text);
    void typed(X11Typist::Outcome outcome, const QString &text);

    Timestamps m_timestamps;
    X11Typist m_typist;
    std::function<void(const QString &)> m_notice;
    QPointer<QMessageBox> m_box;
    bool m_toldToPaste = false;
};
