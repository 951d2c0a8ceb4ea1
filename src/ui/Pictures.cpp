// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/Pictures.h"

#include <QGuiApplication>
#include <QImageReader>
#include <QPixmapCache>

namespace {

bool Doubled()
{
    return qGuiApp && qGuiApp->devicePixelRatio() > 1.0;
}

QString FileAtDensity(const QString &path, bool doubled)
{
    QString file = path;
    if (doubled)
        file.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
    return file;
}

} // namespace

QSize ResourcePictureSize(const QString &path)
{
    const bool doubled = Doubled();
    const QSize size = QImageReader(FileAtDensity(path, doubled)).size();
    return doubled ? size / 2 : size;
}

QPixmap ResourcePicture(const QString &path)
{
    const bool doubled = Doubled();
    const QString file = FileAtDensity(path, doubled);
    QPixmap pixmap;
    if (!QPixmapCache::find(file, &pixmap)) {
        pixmap.load(file);
        if (doubled)
            pixmap.setDevicePixelRatio(2.0);
        QPixmapCache::insert(file, pixmap);
    }
    return pixmap;
}

QIcon WindowIcon()
{
    // Read as PNG outright: left to find the type, Qt first asks every image
    // plugin whether it knows the contents, which loads them all (SVG and
    // JPEG with their libraries) while the bar starts.
    QIcon icon;
    for (const char *file : {":/images/murmelvox.png", ":/images/murmelvox@2x.png"}) {
        QImageReader reader(QString::fromLatin1(file), "png");
        reader.setAutoDetectImageFormat(false);
        icon.addPixmap(QPixmap::fromImage(reader.read()));
    }
    return icon;
}
