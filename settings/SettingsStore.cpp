#include "settings/SettingsStore.h"

#include <QSettings>

namespace {

const QString AppName = QStringLiteral("Murmelvox");
const QString Section = QStringLiteral("config");

} // namespace

QString GetSetting(const QString &key, const QString &defaultValue)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, AppName, AppName);
    store.beginGroup(Section);
    const QVariant value = store.value(key);
    // A hand-edited file may hold a list ("a, b") where a string belongs;
    // take its text rather than failing.
    if (!value.isValid())
        return defaultValue;
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

bool SaveSetting(const QString &key, const QString &value)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, AppName, AppName);
    store.beginGroup(Section);
    store.setValue(key, value);
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

QVariantMap GetSettingsSection(const QString &section)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, AppName, AppName);
    store.beginGroup(section);
    QVariantMap values;
    for (const QString &key : store.childKeys())
        values.insert(key, store.value(key));
    return values;
}

bool SaveSettingsSection(const QString &section, const QVariantMap &values)
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, AppName, AppName);
    store.beginGroup(section);
    for (auto it = values.begin(); it != values.end(); ++it)
        store.setValue(it.key(), it.value());
    store.endGroup();
    store.sync();
    return store.status() == QSettings::NoError;
}

QString SettingsFilePath()
{
    QSettings store(QSettings::IniFormat, QSettings::UserScope, AppName, AppName);
    return store.fileName();
}
