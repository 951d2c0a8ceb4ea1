// SPDX-License-Identifier: GPL-3.0-or-later
#include "desktop/LaunchArgument.h"

#include "desktop/RemoteAction.h"

#include <QUrl>

namespace {

LaunchRequest Refuse(const QString &reason)
{
    LaunchRequest r;
    r.kind = LaunchRequest::Refused;
    r.reason = reason;
    return r;
}

// A URI names its scheme before "://" or, for the file scheme, "file:";
// anything else (including "C:\..." style names, which have no meaning here
// but are valid file names) is a path.
bool LooksLikeUri(const QString &text)
{
    if (text.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return true;
    const int colon = text.indexOf(QLatin1String("://"));
    if (colon <= 0)
        return false;
    for (int i = 0; i < colon; ++i) {
        const QChar c = text.at(i);
        const bool schemeChar = c.isLetterOrNumber() || c == u'+' || c == u'-' || c == u'.';
        if (!schemeChar || c.unicode() > 127)
            return false;
    }
    return text.at(0).isLetter();
}

} // namespace

LaunchRequest LocalFileRequest(const QByteArray &argument, const FilePath &workingDirectory)
{
    if (argument.isEmpty())
        return Refuse(QStringLiteral("an empty file name"));

    FilePath path = FilePath::fromNative(argument);
    const QString pathOrUri = path.toDisplayString();
    if (LooksLikeUri(pathOrUri)) {
        QUrl url(pathOrUri, QUrl::StrictMode);
        if (!url.isValid())
            return Refuse(QStringLiteral("not a valid URI: %1").arg(pathOrUri));
        if (!url.isLocalFile())
            return Refuse(QStringLiteral("only local files can be opened, not %1").arg(pathOrUri));
        // file://host/path names a file on another machine.
        if (!url.host().isEmpty() && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
            return Refuse(QStringLiteral("only local files can be opened, not %1").arg(pathOrUri));
        // The name's own bytes, also those that are no UTF-8.
        path = FilePath::fromNative(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
        if (path.isEmpty())
            return Refuse(QStringLiteral("no file in %1").arg(pathOrUri));
    }

    if (workingDirectory.isEmpty() && path.isRelative())
        return Refuse(QStringLiteral("not an absolute path: %1").arg(path.toDisplayString()));
    const FilePath absolute = path.absoluteFrom(workingDirectory);
    const FilePath::Kind kind = absolute.kind();
    if (kind != FilePath::Kind::RegularFile) {
        LaunchRequest r = Refuse(
            (kind == FilePath::Kind::Missing ? QStringLiteral("no such file: %1") : QStringLiteral("not a file: %1"))
                .arg(path.toDisplayString()));
        r.path = absolute;
        return r;
    }

    LaunchRequest r;
    r.kind = LaunchRequest::OpenFile;
    r.path = absolute;
    return r;
}

LaunchRequest LocalFileRequest(const QString &pathOrUri, const QString &workingDirectory)
{
    return LocalFileRequest(FilePath(pathOrUri).native(), FilePath(workingDirectory));
}

LaunchRequest ParseLaunchArguments(const QByteArrayList &arguments, const FilePath &workingDirectory)
{
    QByteArrayList given = arguments.mid(1);
    // "--" ends options as in other programs, so that a file whose name
    // starts with "-" can be passed.
    if (!given.isEmpty() && given.first() == "--")
        given.removeFirst();
    else if (given == QByteArrayList{OpenSettingsOption})
        return {};   // the bar starts empty, showing its settings
    if (given.isEmpty())
        return {};
    if (given.size() > 1)
        return Refuse(QStringLiteral("one file at most can be opened; %1 were given").arg(given.size()));
    return LocalFileRequest(given.first(), workingDirectory);
}

LaunchRequest ParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QByteArrayList bytes;
    for (const QString &argument : arguments)
        bytes.append(FilePath(argument).native());
    return ParseLaunchArguments(bytes, FilePath(workingDirectory));
}
