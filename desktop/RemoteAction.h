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
};

inline constexpr std::array<RemoteActionInfo, 8> RemoteActions{{
    {RemoteAction::PlayPause, "play-pause"},
    {RemoteAction::Play, "play"},
    {RemoteAction::Pause, "pause"},
    {RemoteAction::Stop, "stop"},
    {RemoteAction::WindBack, "wind-back"},
    {RemoteAction::WindForward, "wind-forward"},
    {RemoteAction::ToStart, "to-start"},
    {RemoteAction::Settings, "settings"},
}};

std::optional<RemoteAction> RemoteActionNamed(const QString &name);
QString RemoteActionName(RemoteAction action);

// A command line that is not a launch of the bar: an action for the bar
// already running, answered at once, without a display.
struct CommandRequest
{
    enum Kind { Launch, Action, Misused };
    Kind kind = Launch;
    RemoteAction action = RemoteAction::PlayPause;   // Action
    QString reason;                                  // Misused: why, for one line on stderr
};

// `arguments` as main() receives them (program first). An action stands
// alone; anything else, including an unknown option, is a launch
// (whose file ParseLaunchArguments reads).
CommandRequest ParseCommandArguments(const QStringList &arguments);
