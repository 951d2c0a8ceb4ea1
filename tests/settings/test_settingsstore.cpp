// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store against real files in this test's own HOME: what it
// does when its file is something a read or a write would hang on or break.
#include "rules/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>

#include <atomic>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Opens the writing end of a FIFO whenever a reader has been stuck in open()
// on it for a while, which lets that reader go on: a test that hangs then
// fails instead of waiting for ctest's timeout.
class FifoRescue
{
public:
    explicit FifoRescue(const QString &fifo)
        : m_thread([this, path = QFile::encodeName(fifo)] {
              using namespace std::chrono;
              auto since = steady_clock::now();
              while (!m_done) {
                  std::this_thread::sleep_for(milliseconds(50));
                  if (steady_clock::now() - since < seconds(2))
                      continue;
                  const int fd = ::open(path.constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
                  if (fd >= 0) {
                      m_rescued = true;
                      ::close(fd);
                  }
                  since = steady_clock::now();
              }
          })
    {
    }
    ~FifoRescue() { stop(); }
    bool rescued()
    {
        stop();
        return m_rescued;
    }

private:
    void stop()
    {
        m_done = true;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_rescued{false};
    std::thread m_thread;
};

void writeFile(const QString &path, const QByteArray &contents)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(contents), contents.size());
}

mode_t kindAt(const QString &path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? (st.st_mode & S_IFMT) : 0;
}

} // namespace

class TestSettingsStore : public QObject
{
    Q_OBJECT

    QString path;
    QString organisationFile;

    void removeAll()
    {
        QFile::remove(path);
        QDir().rmdir(path);
        QFile::remove(path + QStringLiteral(".target"));
        QFile::remove(organisationFile);
    }

private slots:
    void initTestCase()
    {
        path = SettingsStore().filePath();
        organisationFile = QFileInfo(path).absolutePath() + QStringLiteral(".ini");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    }
    void cleanup() { removeAll(); }

    // Never opened, never written over: the defaults stand in for what only
    // it holds, the other files are still read, and the log says why once.
    void notAnOrdinaryFile_data()
    {
        QTest::addColumn<QString>("made");
        QTest::addColumn<QString>("said");
        QTest::newRow("FIFO") << "fifo" << "is a pipe \\(FIFO\\), not an ordinary file";
        QTest::newRow("symlink to a FIFO") << "link" << "leads to .*\\.target, which is a pipe \\(FIFO\\)";
        QTest::newRow("folder") << "folder" << "is a folder, not an ordinary file";
    }
    void notAnOrdinaryFile()
    {
        QFETCH(QString, made);
        QFETCH(QString, said);
        removeAll();
        const QString fifo = made == QLatin1String("link") ? path + QStringLiteral(".target") : path;
        if (made == QLatin1String("folder"))
            QVERIFY(QDir().mkdir(path));
        else
            QCOMPARE(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
        if (made == QLatin1String("link"))
            QVERIFY(QFile::link(fifo, path));
        writeFile(organisationFile, "[config]\nFR=F9\n[pedals]\nleft=nothing\n");
        const mode_t kind = kindAt(path);

        const QRegularExpression notice(said);
        QTest::ignoreMessage(QtWarningMsg, notice);
        QTest::failOnWarning(notice);
        FifoRescue rescue(fifo);
        QCOMPARE(SettingsStore().value(QStringLiteral("WindCount"), QStringLiteral("500")), QStringLiteral("500"));
        QCOMPARE(SettingsStore().value(QStringLiteral("FR"), QStringLiteral("F5")), QStringLiteral("F9"));
        QCOMPARE(SettingsStore().section(QStringLiteral("pedals")).value(QStringLiteral("left")).toString(),
                 QStringLiteral("nothing"));
        QVERIFY(!SettingsStore().setValue(QStringLiteral("WindCount"), QStringLiteral(" 700")));
        QVERIFY(!SettingsStore().setSection(QStringLiteral("pedals"), {{QStringLiteral("left"), QStringLiteral("play-pause")}}));
        QVERIFY2(!rescue.rescued(), "the store waited in open() on the FIFO");
        QCOMPARE(kindAt(path), kind);
        QVERIFY(QFileInfo(path).isSymLink() == (made == QLatin1String("link")));
    }
};

QTEST_MAIN(TestSettingsStore)
#include "test_settingsstore.moc"
