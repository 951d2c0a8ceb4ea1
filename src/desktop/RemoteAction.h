// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the command line can ask of the bar already running in the session:
// a desktop's own key bindings and scripts drive the bar this way where its
// hot keys cannot reach (native Wayland windows).
enum class RemoteAction {
    PlayPause, Play, Pause, Stop, WindBack, WindForward, ToStart, Settings, CopyTimestamp, InsertTimestamp
};

struct RemoteActionInfo
{
    RemoteAction action;
    const char *name;   // on the bus, and the option without its "--"
    const char *help;   // for --help
};

inline constexpr std::array<RemoteActionInfo, 10> RemoteActions{{
    {RemoteAction::PlayPause, "play-pause", "play, or pause what plays"},
    {RemoteAction::Play, "play", "play"},
    {RemoteAction::Pause, "pause", "pause"},
    {RemoteAction::Stop, "stop", "stop and go back to the start"},
    {RemoteAction::WindBack, "wind-back", "wind back by the wind count, as Fast Rewind does"},
    {RemoteAction::WindForward, "wind-forward", "wind on by the wind count, as Fast Forward does"},
    {RemoteAction::ToStart, "to-start", "go back to the start, as Full Rewind does"},
    {RemoteAction::Settings, "settings", "show the settings"},
    {RemoteAction::CopyTimestamp, "copy-timestamp", "put the position, as a timestamp, on the clipboard"},
    {RemoteAction::InsertTimestamp, "insert-timestamp", "type the position, as a timestamp, where you type"},
}};

std::optional<RemoteAction> RemoteActionNamed(const QString &name);
QString RemoteActionName(RemoteAction action);

// The option the menu entry's Settings runs: the settings of the bar running
// in this session, or of a bar started for them. A menu shows no stderr, so
// "no bar runs" would go unseen there.
inline constexpr char OpenSettingsOption[] = "--open-settings";

// The options that ask the running bar for its position as a timestamp,
// and send it to a time (the option's one value).
inline constexpr char TimestampOption[] = "--timestamp";
inline constexpr char GoToOption[] = "--goto";

// A command line that is not a plain launch of the bar: an action for the bar
// already running, --timestamp, --goto TIME, --help or --version, answered
// at once without a display; or --open-settings, which is an action while a
// bar runs and a launch otherwise.
struct CommandRequest
{
    enum Kind { Launch, Action, OpenSettings, PrintTimestamp, GoTo, Help, Version, Misused };
    Kind kind = Launch;
    RemoteAction action = RemoteAction::PlayPause;   // Action; Settings for OpenSettings
    QString reason;                                  // Misused: why, for one line on stderr
    QString time;                                    // GoTo: the time as given
};

// `arguments` as main() receives them (program first). An action,
// --timestamp, --open-settings, --help or --version stands alone, --goto
// with its time; Qt's own options pass
// to Qt; any other option is refused, so that a mistyped option never
// reaches the bar as a file name. After "--" everything is a file name.
CommandRequest ParseCommandArguments(const QStringList &arguments);

// What --help prints.
QString UsageText();

// What --version prints: the program's name and version, one line.
QString VersionText();
