// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "engine/FilePath.h"

#include <QByteArrayList>
#include <QDBusConnection>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class Player;
class MprisPlayer;

// The program's place in the desktop session: one bar per session, under
// the media player's name on the session bus, and the file asked for on the
// command line.
//
// Constructed before the bar exists. When another bar already holds the
// name, the file (or, with none, a request to come to the front) goes to
// that bar and this process ends without showing a bar of its own, so there
// is only ever one bar and one set of hot-key grabs. Without a session bus
// the bar runs alone, as it always has.
class DesktopSession
{
public:
    // `arguments` as main() has them once Qt took its own options: the
    // bytes of a file's name, which need not be UTF-8.
    explicit DesktopSession(const QByteArrayList &arguments,
                            const FilePath &workingDirectory = FilePath::currentDirectory());
    ~DesktopSession();

    // Answers a command line that is no launch of a bar: an action, sent to
    // the bar running in this session (which answers before it acts, so
    // this returns at once), --timestamp and --goto (answered once done),
    // or --help. Runs before any display is looked
    // for and starts no bar. Returns the exit status: 1 when no bar runs or
    // it did not take the action (or the time), 2 for a misused option. Nothing for a
    // launch.
    static std::optional<int> AnswerCommand(int &argc, char **argv);

    // For a launch, before anything in the process uses D-Bus (QApplication
    // may): keeps the process off a session bus that is not announced, or
    // that takes the connection and does not answer, which would hang every
    // call. Waits a moment at most (2 s) for a bus that does not answer.
    static void ChooseSessionBus();

    // Another bar runs in this session (or the name's holder is no bar to
    // hand over to): end with ExitCode().
    bool HandedOver() const { return m_handedOver; }
    int ExitCode() const { return m_exitCode; }

    // The bar is up: it answers on the bus from now on and opens the file
    // asked for. `raise` and `quit` are what the bus's Raise and Quit do,
    // `settings`, `copyTimestamp` and `insertTimestamp` what the actions of
    // those names do.
    void Attach(Player *player, std::function<void()> raise, std::function<void()> quit,
                std::function<void()> settings, std::function<void()> copyTimestamp = {},
                std::function<void()> insertTimestamp = {});

    // Gives up the player's name on the bus at once, waiting a moment at
    // most: at exit, for the next bar, even if this process lingers.
    void ReleaseNames();

private:
    void HandOver(const QDBusConnection &bus, const FilePath &path);

    std::unique_ptr<MprisPlayer> m_player;
    bool m_handedOver = false;
    int m_exitCode = 0;
};
