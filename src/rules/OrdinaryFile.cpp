// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/OrdinaryFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

namespace {

QString tr(const char *text) { return QCoreApplication::translate("Files", text); }

QString shown(const QString &path) { return QDir::toNativeSeparators(path); }

QString kindOf(mode_t mode)
{
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return tr("a folder");
    case S_IFCHR:
    case S_IFBLK:
        return tr("a device");
    case S_IFIFO:
        return tr("a pipe (FIFO)");
    case S_IFSOCK:
        return tr("a socket");
    default:
        return tr("something unknown");
    }
}

} // namespace

PathCheck CheckOrdinaryFile(const QString &path)
{
    PathCheck check;
    if (::stat(QFile::encodeName(path).constData(), &check.st) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            check.kind = PathCheck::Missing;
        } else {
            check.kind = PathCheck::Failed;
            check.error = qt_error_string(errno);
        }
        return check;
    }
    if (S_ISREG(check.st.st_mode)) {
        check.kind = PathCheck::Ordinary;
    } else {
        check.kind = PathCheck::Other;
        check.error = NotOrdinaryFileText(path, check.st.st_mode);
    }
    return check;
}

QString NotOrdinaryFileText(const QString &path, mode_t mode)
{
    const QFileInfo info(path);
    if (!info.isSymLink())
        return tr("%1 is %2, not an ordinary file.").arg(shown(path), kindOf(mode));
    const QString target = info.canonicalFilePath().isEmpty() ? info.symLinkTarget() : info.canonicalFilePath();
    return tr("%1 leads to %2, which is %3, not an ordinary file.").arg(shown(path), shown(target), kindOf(mode));
}
