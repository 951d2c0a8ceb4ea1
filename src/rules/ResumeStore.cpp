// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/ResumeStore.h"

#include "rules/OrdinaryFile.h"
#include "rules/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>

#include <sys/stat.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcResume, "murmelvox.resume")

namespace {

const QByteArray Header = QByteArrayLiteral("Murmelvox places 1\n");
// Far more than MaxFiles lines of long names: anything larger is not ours.
constexpr qint64 MaxFileBytes = 8 << 20;
const QString ResumeKey = QStringLiteral("Resume");

using Entries = std::vector<ResumeStore::Entry>;

// One line a file: "seconds size modified path", the path percent-encoded so
// that no byte of a name can break the line.
QByteArray serialized(const Entries &entries)
{
    QByteArray text = Header;
    text.reserve(Header.size() + qsizetype(entries.size()) * 96);
    for (const ResumeStore::Entry &e : entries) {
        text += QByteArray::number(e.seconds, 'f', 3) + ' ' + QByteArray::number(e.file.size) + ' '
                + QByteArray::number(e.file.modifiedNs) + ' ' + e.file.path.toPercentEncoding("/") + '\n';
    }
    return text;
}

std::optional<Entries> parsed(const QByteArray &text)
{
    if (!text.startsWith(Header))
        return std::nullopt;
    Entries entries;
    qsizetype at = Header.size();
    while (at < text.size()) {
        const qsizetype end = text.indexOf('\n', at);
        if (end < 0)
            return std::nullopt; // cut short
        // Three numbers, then the path to the end of the line.
        QByteArrayView fields[4];
        for (int i = 0; i < 3; ++i) {
            const qsizetype blank = text.indexOf(' ', at);
            if (blank < 0 || blank > end)
                return std::nullopt;
            fields[i] = QByteArrayView(text).sliced(at, blank - at);
            at = blank + 1;
        }
        fields[3] = QByteArrayView(text).sliced(at, end - at);
        at = end + 1;
        if (fields[3].isEmpty() || fields[3].contains(' '))
            return std::nullopt;
        bool ok[3] = {};
        ResumeStore::Entry e;
        e.seconds = fields[0].toDouble(&ok[0]);
        e.file.size = fields[1].toLongLong(&ok[1]);
        e.file.modifiedNs = fields[2].toLongLong(&ok[2]);
        e.file.path = QByteArray::fromPercentEncoding(fields[3].toByteArray());
        if (!ok[0] || !ok[1] || !ok[2] || !(e.seconds >= 0) || !std::isfinite(e.seconds)
            || entries.size() == ResumeStore::MaxFiles)
            return std::nullopt;
        // A place kept a moment after the start is written as 0.000: the
        // file starts at the beginning, and the other places still count.
        if (e.seconds > 0)
            entries.push_back(std::move(e));
    }
    return entries;
}

// The places kept in `path`; none, with one line in the log, when it cannot
// be read as such.
Entries readPlaces(const QString &path)
{
    const PathCheck check = CheckOrdinaryFile(path);
    if (check.kind == PathCheck::Missing)
        return {};
    const auto ignored = [&](const QString &why) {
        qCWarning(lcResume).noquote() << "places not read, files start at the beginning:" << why;
        return Entries{};
    };
    if (check.kind != PathCheck::Ordinary)
        return ignored(check.kind == PathCheck::Failed ? path + QStringLiteral(": ") + check.error : check.error);
    if (check.st.st_size > MaxFileBytes)
        return ignored(path + QStringLiteral(" is too large to be a file of places"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return ignored(path + QStringLiteral(": ") + file.errorString());
    std::optional<Entries> entries = parsed(file.readAll());
    if (!entries)
        return ignored(path + QStringLiteral(" is damaged"));
    return std::move(*entries);
}

// Replaces `path` with `text` atomically. What stands there and is not an
// ordinary file, nor leads to one, goes first: the entry itself (a link to a
// device, never the device it leads to; a folder only when empty).
bool writePlaces(const QString &path, const QByteArray &text, QString *why)
{
    const QByteArray native = QFile::encodeName(path);
    QDir().mkpath(QFileInfo(path).absolutePath());
    struct stat st {};
    if (::lstat(native.constData(), &st) == 0 && CheckOrdinaryFile(path).kind != PathCheck::Ordinary) {
        if (S_ISDIR(st.st_mode))
            ::rmdir(native.constData());
        else
            ::unlink(native.constData());
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size() || !file.commit()) {
        *why = file.errorString();
        return false;
    }
    return true;
}

} // namespace

// Writes the latest places given, one write at a time; places given while a
// write is under way replace each other, and only the last is written.
class ResumeStore::Writer
{
public:
    explicit Writer(QString path) : m_path(std::move(path)) {}

    ~Writer()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

    void post(Entries entries)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_pending = std::move(entries);
            if (!m_thread.joinable())
                m_thread = std::thread([this] { run(); });
        }
        m_wake.notify_all();
    }

    bool finish(QDeadlineTimer deadline)
    {
        std::unique_lock lock(m_mutex);
        const auto done = [this] { return !m_pending && !m_writing; };
        if (deadline.isForever()) {
            m_idle.wait(lock, done);
            return true;
        }
        return m_idle.wait_until(lock, deadline.deadline<std::chrono::steady_clock>(), done);
    }

private:
    void run()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || m_pending; });
            if (!m_pending)
                return;
            const Entries entries = std::move(*m_pending);
            m_pending.reset();
            m_writing = true;
            lock.unlock();

            QString why;
            const bool written = writePlaces(m_path, serialized(entries), &why);
            // Once for each run of failures.
            if (!written && !m_failing)
                qCWarning(lcResume).noquote() << "places not written to" << m_path << why;
            m_failing = !written;

            lock.lock();
            m_writing = false;
            m_idle.notify_all();
        }
    }

    const QString m_path;
    std::mutex m_mutex;
    std::condition_variable m_wake, m_idle;
    std::optional<Entries> m_pending;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_failing = false; // only the writing thread reads and writes it
    std::thread m_thread;
};

std::optional<FileIdentity> FileIdentity::of(const QByteArray &path)
{
    struct stat st {};
    if (::stat(path.constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return FileIdentity{path, qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

double ResumePoint(double seconds, double duration)
{
    if (!(seconds > 0) || !std::isfinite(seconds) || (duration > 0 && seconds > duration - 1))
        return 0;
    return seconds;
}

QString ResumedAtText(double seconds)
{
    const qint64 whole = qint64(std::max(0.0, seconds));
    const qint64 h = whole / 3600, m = whole / 60 % 60, s = whole % 60;
    const QString time = h > 0 ? QStringLiteral("%1:%2:%3").arg(h).arg(m, 2, 10, QLatin1Char('0')).arg(s, 2, 10, QLatin1Char('0'))
                               : QStringLiteral("%1:%2").arg(m).arg(s, 2, 10, QLatin1Char('0'));
    return QStringLiteral("Resumed at ") + time;
}

bool ResumeEnabled(const SettingsStore &settings)
{
    return settings.value(ResumeKey, QStringLiteral("1")) != QLatin1String("0");
}

bool SetResumeEnabled(SettingsStore &settings, bool enabled)
{
    return settings.setValue(ResumeKey, enabled ? QStringLiteral("1") : QStringLiteral("0"));
}

ResumeStore::ResumeStore(QString filePath)
    : m_filePath(std::move(filePath)), m_entries(readPlaces(m_filePath)),
      m_writer(std::make_unique<Writer>(m_filePath))
{
}

ResumeStore::~ResumeStore() = default;

QString ResumeStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/places");
}

std::optional<double> ResumeStore::place(const FileIdentity &file) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &e) { return e.file == file; });
    if (it == m_entries.end())
        return std::nullopt;
    return it->seconds;
}

void ResumeStore::keep(const FileIdentity &file, double seconds)
{
    // One place a name: a file replaced under its name drops its old place.
    const auto old = std::find_if(m_entries.begin(), m_entries.end(), [&](const Entry &e) { return e.file.path == file.path; });
    const bool known = old != m_entries.end();
    if (known && old->file == file && old->seconds == seconds && old == m_entries.begin())
        return; // nothing changed: nothing to write
    if (known)
        m_entries.erase(old);
    seconds = ResumePoint(seconds, 0);
    if (seconds > 0) {
        m_entries.insert(m_entries.begin(), Entry{file, seconds});
        if (m_entries.size() > size_t(MaxFiles))
            m_entries.pop_back();
    } else if (!known) {
        return;
    }
    m_writer->post(m_entries);
}

bool ResumeStore::finishWrites(QDeadlineTimer deadline)
{
    return m_writer->finish(deadline);
}
