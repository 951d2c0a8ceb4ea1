#pragma once

#include <QString>

// The per-user settings store: string values of application "Murmelvox",
// section "config", kept in an INI file under the XDG config directory.
// Every read names the default used when the key is absent.
QString GetSetting(const QString &key, const QString &defaultValue);

// Writes one value and flushes it to disk (QSettings replaces the file
// atomically). Returns false when the store could not be written.
bool SaveSetting(const QString &key, const QString &value);

// Full path of the INI file, for messages and tests.
QString SettingsFilePath();
