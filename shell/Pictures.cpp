#include "shell/Pictures.h"

#include <QGuiApplication>
#include <QPixmapCache>

QPixmap ResourcePicture(const QString &path)
{
    const bool doubled = qGuiApp && qGuiApp->devicePixelRatio() > 1.0;
    QString file = path;
    if (doubled)
        file.insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x"));
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
    QIcon icon;
    icon.addFile(QStringLiteral(":/images/murmelvox.png"), QSize(32, 32));
    icon.addFile(QStringLiteral(":/images/murmelvox@2x.png"), QSize(64, 64));
    icon.addFile(QStringLiteral(":/images/murmelvox-256.png"), QSize(256, 256));
    return icon;
}
