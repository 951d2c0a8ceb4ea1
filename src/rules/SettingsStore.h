// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QString>
#include <QVariantMap>

#include <functional>

Q_DECLARE_LOGGING_CATEGORY(lcSettings)

// The per-user settings store: string values of application "Murmelvox",
// section "config", kept in an INI file under the XDG config directory, read
// as QSettings reads it (the user's file first, then the system's). A file
// that is not an ordinary file (a FIFO, a folder, a device) is never opened
// nor written over: the program runs on the defaults for what only it holds,
// and says once, in the log, why and where.
//
// Start-up makes one and hands it to whatever reads or writes settings. Every
// store of a process shares the one writer of later writes, so that writes
// to the one file keep their order.
using SettingsWriteFailure = std::function<void(const QString &why)>;

class SettingsStore
{
public:
    // Every read names the default used when the key is absent.
    QString value(const QString &key, const QString &defaultValue) const;

    // Writes one value and flushes it to disk (QSettings replaces the file
    // atomically). Returns false when the store could not be written.
    bool setValue(const QString &key, const QString &value);

    // Writes one value on a thread of its own, so that the caller never waits
    // for a large file to be rewritten. Reads see the value at once. Values
    // saved before the next turn of the event loop are written together, the
    // same value as stored is not written again, and a value written later
    // replaces an earlier one not yet written. When a write fails,
    // `onFailure` is called once on the main thread with why, when known; it
    // is called again only after a write has succeeded in between.
    void setValueLater(const QString &key, const QString &value, SettingsWriteFailure onFailure);

    // Waits until every value saved with setValueLater is written (or has
    // failed): before the program ends, and where the file is used as a
    // whole. False when the deadline came first (a file on a hung share).
    bool finishWrites(QDeadlineTimer deadline = QDeadlineTimer::Forever);

    // A section of its own in the same file, for a subsystem that keeps
    // several values together: all of its values, and writing them at once
    // (other sections are left as they are). Returns false when it could not
    // be written.
    QVariantMap section(const QString &name) const;
    bool setSection(const QString &name, const QVariantMap &values);

    // Full path of the INI file, for messages and tests.
    QString filePath() const;

    // What the user is told when `what` ("keys") could not be saved: where,
    // and `why` when it is known.
    QString notSavedText(const QString &what, const QString &why = {}) const;
};
