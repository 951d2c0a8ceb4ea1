// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

Q_DECLARE_LOGGING_CATEGORY(lcResume)

class SettingsStore;

// A file as it was when its place was kept: moved, replaced or written over
// since, it is another file and starts at the beginning.
struct FileIdentity
{
    QByteArray path; // the file system's bytes
    qint64 size = 0;
    qint64 modifiedNs = 0;

    // What `path` leads to now; none when it is not an ordinary file.
    static std::optional<FileIdentity> of(const QByteArray &path);
    bool operator==(const FileIdentity &) const = default;
};

// Where a file left at `seconds` of `duration` resumes: there, unless that
// is within a second of the end, where nothing would be left to hear (then
// at the start).
double ResumePoint(double seconds, double duration);

// What the bar says of a resumed file: "Resumed at 12:04", with hours when
// there are any ("Resumed at 1:02:03").
QString ResumedAtText(double seconds);

// Whether files resume where they were left: the settings store's "Resume"
// key, on unless it reads "0".
bool ResumeEnabled(const SettingsStore &settings);
bool SetResumeEnabled(SettingsStore &settings, bool enabled);

// The places where files were left, the most recent first, at most MaxFiles
// of them (the oldest is dropped). Kept in a small file that is read once,
// here, and rewritten whole after each change on a thread of its own, so
// that neither a pause nor a slow disk holds the caller. The file is never a
// reason to refuse anything: damaged, unreadable or not an ordinary file
// (a FIFO, a device, a folder), it is left unread with one line in the log,
// and the next write puts an ordinary file in its place (of a folder, only
// an empty one).
class ResumeStore
{
public:
    static constexpr int MaxFiles = 1000;

    struct Entry
    {
        FileIdentity file;
        double seconds = 0;
    };

    explicit ResumeStore(QString filePath = defaultFilePath());
    // Waits for the write under way.
    ~ResumeStore();
    ResumeStore(const ResumeStore &) = delete;
    ResumeStore &operator=(const ResumeStore &) = delete;

    // In the user's data folder (QStandardPaths::AppDataLocation).
    static QString defaultFilePath();
    const QString &filePath() const { return m_filePath; }

    // Where `file` was left; none when it was not, or not as it is now.
    std::optional<double> place(const FileIdentity &file) const;
    // Keeps `seconds` as where `file` was left, as the most recent; 0
    // forgets it. The file is written soon after.
    void keep(const FileIdentity &file, double seconds);
    // The most recent first.
    const std::vector<Entry> &entries() const { return m_entries; }

    // Waits until what was kept is written (or has failed); false when the
    // deadline came first.
    bool finishWrites(QDeadlineTimer deadline = QDeadlineTimer::Forever);

private:
    class Writer;

    QString m_filePath;
    std::vector<Entry> m_entries;
    std::unique_ptr<Writer> m_writer;
};
