// SPDX-License-Identifier: GPL-3.0-or-later
#include "engine/FilePath.h"

#include <QDir>
#include <QFile>
#include <QStringDecoder>
#include <QUrl>

#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Latin-1 maps every byte to one character and back, so Qt's path
// operations (which only look at "/" and ".") keep every other byte.
QString Lossless(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes);
}

bool IsUtf8(const QByteArray &bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    return !decoder.hasError();
}

} // namespace

FilePath::FilePath(const QString &path) : m_native(QFile::encodeName(path)) {}

FilePath FilePath::fromNative(const QByteArray &bytes)
{
    FilePath path;
    path.m_native = bytes;
    return path;
}

FilePath FilePath::currentDirectory()
{
    char buffer[PATH_MAX];
    if (::getcwd(buffer, sizeof buffer))
        return fromNative(QByteArray(buffer));
    return QDir::currentPath();
}

FilePath FilePath::absoluteFrom(const FilePath &directory) const
{
    const QString joined = isRelative() ? Lossless(directory.m_native) + u'/' + Lossless(m_native) : Lossless(m_native);
    return fromNative(QDir::cleanPath(joined).toLatin1());
}

QString FilePath::toDisplayString() const
{
    return IsUtf8(m_native) ? QString::fromUtf8(m_native) : QString::fromLatin1(m_native);
}

QString FilePath::fileName() const
{
    const QString shown = toDisplayString();
    return shown.mid(shown.lastIndexOf(u'/') + 1);
}

QString FilePath::toUri() const
{
    if (IsUtf8(m_native))
        return QUrl::fromLocalFile(QString::fromUtf8(m_native)).toString(QUrl::FullyEncoded);
    return QStringLiteral("file://") + QString::fromLatin1(m_native.toPercentEncoding("/"));
}

FilePath::Kind FilePath::kind() const
{
    struct stat info;
    if (m_native.isEmpty() || ::stat(m_native.constData(), &info) != 0)
        return Kind::Missing;
    if (S_ISREG(info.st_mode))
        return Kind::RegularFile;
    return S_ISDIR(info.st_mode) ? Kind::Directory : Kind::Other;
}
