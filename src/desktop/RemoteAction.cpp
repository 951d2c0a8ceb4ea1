// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/RemoteAction.h"

#include "desktop/MediaTypes.h"

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

// The options every Qt program takes, which QApplication reads and removes:
// a session manager restarts the bar with -session, and a user may choose
// -platform or -display. Qt spells them with one dash or two; a value
// follows as the next argument, or after "=" for the styles.
enum class QtOption { None, Flag, WithValue, WithValueAttached };

QtOption QtOptionAt(const QString &argument)
{
    static const QStringList withValue{
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),   QStringLiteral("qwindowgeometry"),    QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"), QStringLiteral("session"),        QStringLiteral("display"),
        QStringLiteral("geometry"), QStringLiteral("title"),              QStringLiteral("name"),
        QStringLiteral("style"),    QStringLiteral("stylesheet")};
    static const QStringList flags{QStringLiteral("reverse"), QStringLiteral("widgetcount")};
    QString name = argument;
    if (name.startsWith(QLatin1String("--")))
        name.remove(0, 1);
    if (!name.startsWith(u'-'))
        return QtOption::None;
    name.remove(0, 1);
    if (flags.contains(name))
        return QtOption::Flag;
    if (withValue.contains(name))
        return QtOption::WithValue;
    if (name.startsWith(QLatin1String("style=")) || name.startsWith(QLatin1String("stylesheet=")))
        return QtOption::WithValueAttached;
    return QtOption::None;
}

CommandRequest Misuse(const QString &reason)
{
    CommandRequest request;
    request.kind = CommandRequest::Misused;
    request.reason = reason;
    return request;
}

} // namespace

CommandRequest ParseCommandArguments(const QStringList &arguments)
{
    // Qt's options and their values are Qt's; what is left is ours.
    QStringList given;
    bool filesOnly = false;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!filesOnly && argument == QLatin1String("--"))
            filesOnly = true;
        switch (filesOnly ? QtOption::None : QtOptionAt(argument)) {
        case QtOption::WithValue:
            if (i + 1 < arguments.size()) {
                ++i;
                continue;
            }
            break;   // Qt leaves it without its value
        case QtOption::Flag:
        case QtOption::WithValueAttached:
            continue;
        case QtOption::None:
            break;
        }
        given.append(argument);
    }

    // After "--" everything is a file name.
    const qsizetype end = given.indexOf(QLatin1String("--"));
    for (const QString &argument : end < 0 ? given : given.first(end)) {
        if (!argument.startsWith(u'-'))
            continue;
        CommandRequest request;
        if (argument == QLatin1String(GoToOption)) {
            // Its value may look like an option ("-0:10"); the parser refuses it.
            if (given.size() != 2 || given.first() != argument)
                return Misuse(QStringLiteral("%1 takes one time, such as %1 12:34 (see murmelvox --help)")
                                  .arg(argument));
            request.kind = CommandRequest::GoTo;
            request.time = given.at(1);
            return request;
        }
        if (IsHelp(argument)) {
            request.kind = CommandRequest::Help;
        } else if (argument == QLatin1String("--version")) {
            request.kind = CommandRequest::Version;
        } else if (argument == QLatin1String(TimestampOption)) {
            request.kind = CommandRequest::PrintTimestamp;
        } else if (argument == QLatin1String(OpenSettingsOption)) {
            request.kind = CommandRequest::OpenSettings;
            request.action = RemoteAction::Settings;
        } else if (const std::optional<RemoteAction> action = ActionOption(argument)) {
            request.kind = CommandRequest::Action;
            request.action = *action;
        } else {
            return Misuse(QStringLiteral("unknown option %1 (see murmelvox --help)")
                              .arg(argument));
        }
        if (given.size() > 1)
            return Misuse(QStringLiteral("%1 takes no other arguments (see murmelvox --help)").arg(argument));
        return request;
    }
    return {};
}

QString UsageText()
{
    QString text = QStringLiteral(
        "Usage: murmelvox [FILE]\n"
        "       murmelvox ACTION\n"
        "       murmelvox --timestamp | --goto TIME\n"
        "       murmelvox --open-settings | --help | --version\n"
        "\n"
        "Starts the bar and opens FILE (a path or a file:// URI) in it. While a bar\n"
        "runs in this session, FILE goes to that bar instead, and no second bar starts.\n"
        "A FILE whose name starts with \"-\" goes after \"--\" (murmelvox -- -memo.wav)\n"
        "or with its folder (murmelvox ./-memo.wav).\n"
        "\n"
        "An ACTION goes to the bar already running in this session; the command\n"
        "returns at once, without waiting for the bar to carry it out. With no bar\n"
        "running it says so and exits with status 1. Actions need no display, so a\n"
        "Wayland desktop's own key bindings can run them. ACTION is one of:\n");
    for (const RemoteActionInfo &info : RemoteActions)
        text += QStringLiteral("  --%1 %2\n").arg(QLatin1String(info.name), -15).arg(QLatin1String(info.help));
    text += QStringLiteral(
        "\n"
        "Timestamps, also from the bar running in this session:\n"
        "  --timestamp       print the position as a timestamp, such as [00:12:34]\n"
        "  --goto TIME       go to TIME (h:mm:ss, mm:ss or m:ss, with a fraction if\n"
        "                    any, in [ ], ( ) or # # or none); past the end, to the\n"
        "                    end, paused. A TIME that is no timestamp: status 1\n"
        "\n"
        "Other options:\n"
        "  --open-settings   show the settings of the bar running in this session, or\n"
        "                    start the bar and show its settings (the menu entry's\n"
        "                    Settings runs this)\n"
        "  -h, --help        show this help\n"
        "  --version         show the program's name and version\n"
        "\n"
        "Qt's own options (such as -platform, -display, -style and -session) are\n"
        "passed to Qt. Any other option is refused with status 2.\n");
    return text;
}

QString VersionText()
{
    return QStringLiteral("murmelvox " MURMELVOX_VERSION "\n");
}
