#include "hotkeys/KeySource.h"

#include "hotkeys/x11/X11KeySource.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHotKeys, "murmelvox.hotkeys")

std::unique_ptr<KeySource> CreateKeySource()
{
    const QByteArray wanted = qgetenv("MURMELVOX_HOTKEYS").trimmed().toLower();
    if (wanted == "none")
        return std::make_unique<NullKeySource>();
    if (!wanted.isEmpty() && wanted != "x11")
        qCWarning(lcHotKeys, "MURMELVOX_HOTKEYS=%s is not a key source (x11, none); using X11 where it runs",
                  wanted.constData());
    if (std::unique_ptr<X11KeySource> x11 = X11KeySource::create())
        return x11;
    return std::make_unique<NullKeySource>();
}
