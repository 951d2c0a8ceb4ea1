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
        if (!ActionOption(argument))
            continue;
        if (given.size() > 1) {
            request.kind = CommandRequest::Misused;
            request.reason = QStringLiteral("%1 takes no other arguments").arg(argument);
        } else {
            request.kind = CommandRequest::Action;
            request.action = *ActionOption(argument);
        }
        return request;
    }
    return request;
}
