// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/FileLabel.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

QString FileLabelCaption(const QString &nameOrPath)
{
    // Count characters, not UTF-16 units, so a character outside the basic
    // plane is never cut in half.
    qsizetype units = 0;
    for (int chars = 0; chars < 15 && units < nameOrPath.size(); ++chars)
        units += (nameOrPath[units].isHighSurrogate() && units + 1 < nameOrPath.size()) ? 2 : 1;
    return nameOrPath.left(units).toLower();
}

QString FileLabelToolTip(const QString &nameOrPath)
{
    return QLatin1Char(' ') + nameOrPath + QLatin1Char(' ');
}

std::optional<QString> FirstDroppedFile(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return std::nullopt;
    for (const QUrl &url : data->urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty())
            return QDir::toNativeSeparators(url.toLocalFile());
    }
    return std::nullopt;
}
