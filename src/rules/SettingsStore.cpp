// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/SettingsStore.h"

#include "rules/OrdinaryFile.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QMap>
#include <QMutex>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>
#include <QThread>
#include <QWaitCondition>

#include <memory>
#include <optional>
#include <vector>

#include <sys/stat.h>
#include <time.h>

Q_LOGGING_CATEGORY(lcSettings, "murmelvox.settings")

namespace {

const QString AppName = QStringLiteral("Murmelvox");
const QString Section = QStringLiteral("config");

QString appFile(const QString &dir) { return dir + QLatin1Char('/') + AppName + QLatin1Char('/') + AppName + QStringLiteral(".ini"); }
QString organisationFile(const QString &dir) { return dir + QLatin1Char('/') + AppName + QStringLiteral(".ini"); }

// Where QSettings keeps the user's INI file, found without opening it.
QString userFile() { return appFile(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)); }

// The files QSettings reads for this application, in its order: the user's
// (the one written), the user's organisation file, then the same two in each
// system folder.
QStringList settingsFiles()
{
    const QStringList dirs = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    QStringList files{userFile(), organisationFile(dirs.value(0))};
    for (const QString &dir : dirs.mid(1))
        files.append(appFile(dir));
    for (const QString &dir : dirs.mid(1))
        files.append(organisationFile(dir));
    return files;
}

// What `path` is, saying once in the log why the store leaves it alone when
// it is neither an ordinary file nor missing (`why` says it to the caller).
PathCheck::Kind checkSettingsFile(const QString &path, QString *why = nullptr)
{
    const PathCheck check = CheckOrdinaryFile(path);
    if (check.kind == PathCheck::Ordinary || check.kind == PathCheck::Missing)
        return check.kind;
    const QString text = check.kind == PathCheck::Failed ? QStringLiteral("%1: %2").arg(path, check.error) : check.error;
    if (why)
        *why = text;
    static QMutex toldMutex;
    static QSet<QString> told;
    const QMutexLocker lock(&toldMutex);
    if (!told.contains(text)) {
        told.insert(text);
        qCWarning(lcSettings).noquote() << "not read or written, its settings are the defaults:" << text;
    }
    return check.kind;
}

// The settings files that can be read, the most important first.
std::vector<std::unique_ptr<QSettings>> readableFiles()
{
    std::vector<std::unique_ptr<QSettings>> files;
    for (const QString &path : settingsFiles()) {
        if (checkSettingsFile(path) == PathCheck::Ordinary)
            files.push_back(std::make_unique<QSettings>(path, QSettings::IniFormat));
    }
    return files;
}

QString storedText(const std::vector<std::unique_ptr<QSettings>> &files, const QString &key, const QString &defaultValue)
{
    for (const auto &file : files) {
        const QVariant value = file->value(Section + QLatin1Char('/') + key);
        // A hand-edited file may hold a list ("a, b") where a string belongs;
        // take its text rather than failing.
        if (!value.isValid())
            continue;
        if (value.typeId() == QMetaType::QStringList)
            return value.toStringList().join(QStringLiteral(", "));
        return value.toString();
    }
    return defaultValue;
}

// The user's file for writing, where it may be written.
std::unique_ptr<QSettings> writableFile(QString *why = nullptr)
{
    const QString path = userFile();
    const PathCheck::Kind kind = checkSettingsFile(path, why);
    if (kind != PathCheck::Ordinary && kind != PathCheck::Missing) {
        if (why)
            *why += QStringLiteral("\nMurmelvox runs on its default settings and keeps no change until it is an ordinary file.");
        return nullptr;
    }
    return std::make_unique<QSettings>(path, QSettings::IniFormat);
}

// Writes `values` into `section` of the user's file at once (QSettings
// replaces the file atomically); false when that could not be done.
bool writeSection(const QString &section, const QVariantMap &values, QString *why = nullptr)
{
    const std::unique_ptr<QSettings> file = writableFile(why);
    if (!file)
        return false;
    file->beginGroup(section);
    for (auto it = values.begin(); it != values.end(); ++it)
        file->setValue(it.key(), it.value());
    file->endGroup();
    file->sync();
    return file->status() == QSettings::NoError;
}

class LaterWrites;
LaterWrites &laterWrites();

// The values saved for later and the thread that writes them. A write of a
// large file takes seconds; the mutex is never held meanwhile, so that
// saving and reading stay instant.
class LaterWrites
{
public:
    ~LaterWrites()
    {
        {
            const QMutexLocker lock(&m_mutex);
            m_stopping = true;
            m_released = true;
            m_wake.wakeAll();
        }
        if (m_thread)
            m_thread->wait();
    }

    void save(const QString &key, const QString &value, SettingsWriteFailure onFailure)
    {
        const QMutexLocker lock(&m_mutex);
        m_queued.insert(key, value);
        m_unwritten.insert(key, value);
        m_onFailure = std::move(onFailure);
        if (m_releasePosted)
            return;
        // Released on the next turn: the saves of one event (a drag's
        // presses) become one write.
        m_releasePosted = true;
        if (QCoreApplication *app = QCoreApplication::instance())
            QMetaObject::invokeMethod(app, [this] { release(); }, Qt::QueuedConnection);
    }

    std::optional<QString> unwritten(const QString &key)
    {
        const QMutexLocker lock(&m_mutex);
        const auto it = m_unwritten.constFind(key);
        if (it == m_unwritten.cend())
            return std::nullopt;
        return *it;
    }

    // A value written at once replaces one saved for later, and waits for a
    // write under way: the last value given is the one that stays.
    void supersede(const QStringList &keys)
    {
        QMutexLocker lock(&m_mutex);
        for (const QString &key : keys) {
            m_queued.remove(key);
            m_unwritten.remove(key);
        }
        while (m_writing)
            m_idle.wait(&m_mutex);
    }

    bool finish(QDeadlineTimer deadline)
    {
        QMutexLocker lock(&m_mutex);
        if (!m_queued.isEmpty())
            releaseLocked();
        while (m_writing || !m_queued.isEmpty()) {
            if (!m_idle.wait(&m_mutex, deadline))
                return false;
        }
        return true;
    }

private:
    void release()
    {
        const QMutexLocker lock(&m_mutex);
        m_releasePosted = false;
        if (!m_queued.isEmpty())
            releaseLocked();
    }

    void releaseLocked()
    {
        m_released = true;
        if (!m_thread) {
            m_thread.reset(QThread::create([this] { run(); }));
            m_thread->setObjectName(QStringLiteral("settings writer"));
            m_thread->start(QThread::LowPriority);
            // Written while Qt's own parts still live.
            qAddPostRoutine([] { laterWrites().finish(QDeadlineTimer::Forever); });
        }
        m_wake.wakeAll();
    }

    void run()
    {
        QMutexLocker lock(&m_mutex);
        for (;;) {
            while (!m_stopping && !(m_released && !m_queued.isEmpty()))
                m_wake.wait(&m_mutex);
            if (m_queued.isEmpty())
                return;
            const QMap<QString, QString> batch = std::exchange(m_queued, {});
            m_released = false;
            m_writing = true;
            const bool compare = !m_lastFailed;
            lock.unlock();

            QString why;
            const bool written = write(batch, compare, &why);

            lock.relock();
            m_writing = false;
            if (written) {
                for (auto it = batch.begin(); it != batch.end(); ++it) {
                    if (m_unwritten.value(it.key()) == it.value())
                        m_unwritten.remove(it.key());
                }
                m_lastFailed = false;
                m_failureTold = false;
            } else {
                qCWarning(lcSettings).noquote() << "could not write" << batch.keys().join(QStringLiteral(", ")) << "to" << userFile() << why;
                m_lastFailed = true;
                QCoreApplication *app = QCoreApplication::instance();
                if (!m_failureTold && m_onFailure && app) {
                    m_failureTold = true;
                    QMetaObject::invokeMethod(app, [onFailure = m_onFailure, why] { onFailure(why); }, Qt::QueuedConnection);
                }
            }
            m_idle.wakeAll();
        }
    }

    // `compare`: leaves out the values already stored. Not after a failed
    // write, whose values QSettings may still hold in memory as if stored.
    static bool write(const QMap<QString, QString> &batch, bool compare, QString *why)
    {
        QVariantMap changed;
        const auto files = compare ? readableFiles() : decltype(readableFiles()){};
        for (auto it = batch.begin(); it != batch.end(); ++it) {
            const QString stored = compare ? storedText(files, it.key(), {}) : QString();
            if (stored.isNull() || stored != it.value())
                changed.insert(it.key(), it.value());
        }
        if (changed.isEmpty())
            return true;
        if (!writeSection(Section, changed, why))
            return false;
        waitPastModificationTime(userFile());
        return true;
    }

    // QSettings takes a file of the same size and modification time (to the
    // millisecond) as the one it last read for unchanged. A file replaced
    // right after this write, by a hand or by the program, must not look so:
    // the write ends once the clock the file system stamps with has moved on.
    static void waitPastModificationTime(const QString &path)
    {
        struct stat st {};
        if (::stat(QFile::encodeName(path).constData(), &st) != 0)
            return;
        const auto ms = [](const timespec &t) { return qint64(t.tv_sec) * 1000 + t.tv_nsec / 1000000; };
        timespec now {};
        for (int i = 0; i < 100 && ::clock_gettime(CLOCK_REALTIME_COARSE, &now) == 0 && ms(now) <= ms(st.st_mtim); ++i)
            QThread::msleep(1);
    }

    QMutex m_mutex;
    QWaitCondition m_wake;  // a write to do, or the end
    QWaitCondition m_idle;  // a write done
    QMap<QString, QString> m_queued;    // not yet taken by the writer
    QMap<QString, QString> m_unwritten; // not yet on disk: queued, being written, or failed
    SettingsWriteFailure m_onFailure;
    std::unique_ptr<QThread> m_thread;
    bool m_releasePosted = false;
    bool m_released = false;
    bool m_writing = false;
    bool m_stopping = false;
    bool m_lastFailed = false;  // the last write failed
    bool m_failureTold = false; // and the user has been told since the last success
};

LaterWrites &laterWrites()
{
    static LaterWrites writes;
    return writes;
}

} // namespace

QString SettingsStore::value(const QString &key, const QString &defaultValue) const
{
    if (const std::optional<QString> value = laterWrites().unwritten(key))
        return *value;
    return storedText(readableFiles(), key, defaultValue);
}

bool SettingsStore::setValue(const QString &key, const QString &value)
{
    laterWrites().supersede({key});
    return writeSection(Section, {{key, value}});
}

void SettingsStore::setValueLater(const QString &key, const QString &value, SettingsWriteFailure onFailure)
{
    laterWrites().save(key, value, std::move(onFailure));
}

bool SettingsStore::finishWrites(QDeadlineTimer deadline)
{
    return laterWrites().finish(deadline);
}

QVariantMap SettingsStore::section(const QString &section) const
{
    QVariantMap values;
    const auto files = readableFiles();
    // The most important file last, so that its values win.
    for (auto file = files.rbegin(); file != files.rend(); ++file) {
        (*file)->beginGroup(section);
        for (const QString &key : (*file)->childKeys())
            values.insert(key, (*file)->value(key));
        (*file)->endGroup();
    }
    return values;
}

bool SettingsStore::setSection(const QString &section, const QVariantMap &values)
{
    laterWrites().supersede({});
    return writeSection(section, values);
}

QString SettingsStore::filePath() const
{
    return userFile();
}

QString SettingsStore::notSavedText(const QString &what, const QString &why) const
{
    const QString text = QStringLiteral("The %1 could not be saved to %2.").arg(what, filePath());
    return why.isEmpty() ? text : text + QLatin1Char('\n') + why;
}
