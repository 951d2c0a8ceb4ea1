#pragma once

#include <QString>
#include <QVariantMap>

// The per-user settings store: string values of application "Murmelvox",
// section "config", kept in an INI file under the XDG config directory.
// Every read names the default used when the key is absent.
QString GetSetting(const QString &key, const QString &defaultValue);

// Writes one value and flushes it to disk (QSettings replaces the file
// atomically). Returns false when the store could not be written.
bool SaveSetting(const QString &key, const QString &value);

// A section of its own in the same file, for a subsystem that keeps several
// values together: all of its values, and writing them at once (other
// sections are left as they are). Returns false when it could not be written.
QVariantMap GetSettingsSection(const QString &section);
bool SaveSettingsSection(const QString &section, const QVariantMap &values);

// Full path of the INI file, for messages and tests.
QString SettingsFilePath();
