#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// What the command line can ask of the bar already running in the session:
// a desktop's own key bindings and scripts drive the bar this way where its
// hot keys cannot reach (native Wayland windows).
enum class RemoteAction { PlayPause, Play, Pause, Stop, WindBack, WindForward, ToStart, Settings };

struct RemoteActionInfo
{
    RemoteAction action;
    const char *name;   // on the bus, and the option without its "--"
    const char *help;   // for --help
};

inline constexpr std::array<RemoteActionInfo, 8> RemoteActions{{
    {RemoteAction::PlayPause, "play-pause", "play, or pause what plays"},
    {RemoteAction::Play, "play", "play"},
    {RemoteAction::Pause, "pause", "pause"},
    {RemoteAction::Stop, "stop", "stop and go back to the start"},
    {RemoteAction::WindBack, "wind-back", "wind back by the wind count, as Fast Rewind does"},
    {RemoteAction::WindForward, "wind-forward", "wind on by the wind count, as Fast Forward does"},
    {RemoteAction::ToStart, "to-start", "go back to the start, as Full Rewind does"},
    {RemoteAction::Settings, "settings", "show the settings"},
}};

std::optional<RemoteAction> RemoteActionNamed(const QString &name);
QString RemoteActionName(RemoteAction action);

// A command line that is not a launch of the bar: an action for the bar
// already running, or --help. Both are answered at once, without a display.
struct CommandRequest
{
    enum Kind { Launch, Action, Help, Misused };
    Kind kind = Launch;
    RemoteAction action = RemoteAction::PlayPause;   // Action
    QString reason;                                  // Misused: why, for one line on stderr
};

// `arguments` as main() receives them (program first). An action or --help
// stands alone; anything else, including an unknown option, is a launch
// (whose file ParseLaunchArguments reads).
CommandRequest ParseCommandArguments(const QStringList &arguments);

// What --help prints.
QString UsageText();
