#include "desktop/RemoteAction.h"

std::optional<RemoteAction> RemoteActionNamed(const QString &name)
{
    for (const RemoteActionInfo &info : RemoteActions) {
        if (name == QLatin1String(info.name))
            return info.action;
    }
    return std::nullopt;
}

QString RemoteActionName(RemoteAction action)
{
    for (const RemoteActionInfo &info : RemoteActions) {
        if (info.action == action)
            return QLatin1String(info.name);
    }
    return {};
}

namespace {

bool IsHelp(const QString &argument)
{
    return argument == QLatin1String("--help") || argument == QLatin1String("-h");
}

std::optional<RemoteAction> ActionOption(const QString &argument)
{
    if (!argument.startsWith(QLatin1String("--")))
        return std::nullopt;
    return RemoteActionNamed(argument.mid(2));
}

} // namespace

CommandRequest ParseCommandArguments(const QStringList &arguments)
{
    const QStringList given = arguments.mid(1);
    CommandRequest request;
    // After "--" everything is a file name.
    const qsizetype end = given.indexOf(QLatin1String("--"));
    const QStringList options = end < 0 ? given : given.first(end);
    for (const QString &argument : options) {
        if (!IsHelp(argument) && !ActionOption(argument))
            continue;
        if (given.size() > 1) {
            request.kind = CommandRequest::Misused;
            request.reason = QStringLiteral("%1 takes no other arguments (see murmelvox --help)").arg(argument);
        } else if (IsHelp(argument)) {
            request.kind = CommandRequest::Help;
        } else {
            request.kind = CommandRequest::Action;
            request.action = *ActionOption(argument);
        }
        return request;
    }
    return request;
}

QString UsageText()
{
    QString text = QStringLiteral(
        "Usage: murmelvox [FILE]\n"
        "       murmelvox ACTION\n"
        "\n"
        "Starts the bar and opens FILE (a path or a file:// URI) in it. While a bar\n"
        "runs in this session, FILE goes to that bar instead, and no second bar starts.\n"
        "\n"
        "An ACTION goes to the bar already running in this session; the command\n"
        "returns at once, without waiting for the bar to carry it out. With no bar\n"
        "running it says so and exits with status 1. Actions need no display, so a\n"
        "Wayland desktop's own key bindings can run them. ACTION is one of:\n");
    for (const RemoteActionInfo &info : RemoteActions)
        text += QStringLiteral("  --%1%2\n").arg(QLatin1String(info.name), -16).arg(QLatin1String(info.help));
    text += QStringLiteral("  -h, --help        show this help\n");
    return text;
}
