#include "desktop/LaunchArgument.h"

#include "desktop/RemoteAction.h"

#include <QDir>
#include <QFileInfo>
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

LaunchRequest LocalFileRequest(const QString &pathOrUri, const QString &workingDirectory)
{
    if (pathOrUri.isEmpty())
        return Refuse(QStringLiteral("an empty file name"));

    QString path = pathOrUri;
    if (LooksLikeUri(pathOrUri)) {
        QUrl url(pathOrUri, QUrl::StrictMode);
        if (!url.isValid())
            return Refuse(QStringLiteral("not a valid URI: %1").arg(pathOrUri));
        if (!url.isLocalFile())
            return Refuse(QStringLiteral("only local files can be opened, not %1").arg(pathOrUri));
        // file://host/path names a file on another machine.
        if (!url.host().isEmpty() && url.host().compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
            return Refuse(QStringLiteral("only local files can be opened, not %1").arg(pathOrUri));
        url.setHost(QString());   // "localhost" would otherwise read as a network share
        path = url.toLocalFile();
        if (path.isEmpty())
            return Refuse(QStringLiteral("no file in %1").arg(pathOrUri));
    }

    if (workingDirectory.isEmpty() && QDir::isRelativePath(path))
        return Refuse(QStringLiteral("not an absolute path: %1").arg(path));
    const QFileInfo info(QDir(workingDirectory), path);
    if (!info.exists() || !info.isFile()) {
        LaunchRequest r = Refuse((info.exists() ? QStringLiteral("not a file: %1") : QStringLiteral("no such file: %1")).arg(path));
        r.path = QDir::cleanPath(info.absoluteFilePath());
        return r;
    }

    LaunchRequest r;
    r.kind = LaunchRequest::OpenFile;
    r.path = QDir::cleanPath(info.absoluteFilePath());
    return r;
}

LaunchRequest ParseLaunchArguments(const QStringList &arguments, const QString &workingDirectory)
{
    QStringList given = arguments.mid(1);
    // "--" ends options as in other programs, so that a file whose name
    // starts with "-" can be passed.
    if (!given.isEmpty() && given.first() == QLatin1String("--"))
        given.removeFirst();
    else if (given == QStringList{QLatin1String(OpenSettingsOption)})
        return {};   // the bar starts empty, showing its settings
    if (given.isEmpty())
        return {};
    if (given.size() > 1)
        return Refuse(QStringLiteral("one file at most can be opened; %1 were given").arg(given.size()));
    return LocalFileRequest(given.first(), workingDirectory);
}
