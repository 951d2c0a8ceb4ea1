// SPDX-License-Identifier: GPL-3.0-or-later
// The places where files were left: kept across starts, the newest
// thousand, only for the file as it was, and never held up by a bad file.

#include "rules/ResumeStore.h"

#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

int resumeWarnings = 0;
QtMessageHandler previousHandler = nullptr;

void countResumeWarnings(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "murmelvox.resume") == 0)
        ++resumeWarnings;
    previousHandler(type, context, text);
}

FileIdentity makeFile(const QString &path, const QByteArray &content = "audio")
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", qPrintable(path));
    file.close();
    return *FileIdentity::of(QFile::encodeName(path));
}

} // namespace

class TestResumeStore : public QObject
{
    Q_OBJECT
    QTemporaryDir dir;
    QString storePath() const { return dir.filePath(QStringLiteral("data/places")); }

private slots:
    void initTestCase() { previousHandler = qInstallMessageHandler(countResumeWarnings); }
    void init() { QFile::remove(storePath()); }

    void keptAcrossStarts_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<double>("seconds");
        QTest::newRow("plain") << QByteArray("memo.wav") << 760.25;
        QTest::newRow("blanks, newline, percent") << QByteArray("a b\nc%20d.wav") << 12.5;
        QTest::newRow("Latin-1 bytes") << QByteArray("diktat-\xe4\xf6.wav") << 3.0;
    }
    void keptAcrossStarts()
    {
        QFETCH(QByteArray, name);
        QFETCH(double, seconds);
        const FileIdentity file = makeFile(QFile::decodeName(QFile::encodeName(dir.path()) + '/' + name));
        {
            ResumeStore store(storePath());
            store.keep(file, seconds);
            QVERIFY(store.finishWrites(QDeadlineTimer(5000)));
        }
        const ResumeStore again(storePath());
        QCOMPARE(again.place(file), seconds);
        QCOMPARE(again.entries().size(), size_t(1));
    }

    // A place a moment after the start is written as 0.000; read back, it
    // starts at the beginning and leaves the other places standing.
    void placeAtTheStartReadsBack()
    {
        const FileIdentity early = makeFile(dir.filePath(QStringLiteral("early.wav")));
        const FileIdentity later = makeFile(dir.filePath(QStringLiteral("later.wav")));
        {
            ResumeStore store(storePath());
            store.keep(later, 5);
            store.keep(early, 0.0002);
            QVERIFY(store.finishWrites(QDeadlineTimer(5000)));
        }
        resumeWarnings = 0;
        const ResumeStore again(storePath());
        QCOMPARE(resumeWarnings, 0);
        QCOMPARE(again.place(later), 5.0);
        QCOMPARE(again.place(early), std::nullopt);
    }

    void newestThousandKept()
    {
        std::vector<FileIdentity> files;
        ResumeStore store(storePath());
        for (int i = 0; i <= ResumeStore::MaxFiles + 1; ++i) {
            files.push_back({"/m/" + QByteArray::number(i), i, i});
            store.keep(files.back(), i + 1);
            if (i == ResumeStore::MaxFiles)
                store.keep(files[1], 7); // used again: newest
        }
        QVERIFY(store.finishWrites(QDeadlineTimer(5000)));
        const ResumeStore again(storePath());
        QCOMPARE(again.entries().size(), size_t(ResumeStore::MaxFiles));
        QCOMPARE(again.entries().front().file, files.back());
        QCOMPARE(again.entries()[1].file, files[1]);
        QCOMPARE(again.place(files[0]), std::nullopt); // oldest, dropped first
        QCOMPARE(again.place(files[2]), std::nullopt); // then the next oldest
        QCOMPARE(again.place(files[3]), 4.0);
    }

    void onlyTheFileAsItWas_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("resumes");
        QTest::newRow("unchanged") << "none" << true;
        QTest::newRow("written to") << "size" << false;
        QTest::newRow("touched") << "time" << false;
        QTest::newRow("moved away") << "move" << false;
        QTest::newRow("back to 0 forgets") << "zero" << false;
    }
    void onlyTheFileAsItWas()
    {
        QFETCH(QString, change);
        QFETCH(bool, resumes);
        const QString path = dir.filePath(QStringLiteral("memo.wav"));
        const FileIdentity file = makeFile(path);
        ResumeStore store(storePath());
        store.keep(file, 30);
        if (change == "size") {
            makeFile(path, "longer audio");
        } else if (change == "time") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
        } else if (change == "move") {
            QVERIFY(QFile::rename(path, path + ".old"));
            makeFile(path);
        } else if (change == "zero") {
            store.keep(file, 0);
        }
        const std::optional<FileIdentity> now = FileIdentity::of(QFile::encodeName(path));
        QVERIFY(now);
        QCOMPARE(store.place(*now).has_value(), resumes);
        QVERIFY(store.finishWrites(QDeadlineTimer(5000)));
        QCOMPARE(ResumeStore(storePath()).place(*now).has_value(), resumes);
        QFile::remove(path + ".old");
    }

    void badStoreIgnoredAndRebuilt_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("not ours") << "file" << QByteArray("[config]\nWindCount=3\n");
        QTest::newRow("cut short") << "file" << QByteArray("Murmelvox places 1\n12.000 5 1 /a.wav\n3.000 5");
        QTest::newRow("bad number") << "file" << QByteArray("Murmelvox places 1\n1x 5 1 /a.wav\n");
        QTest::newRow("negative place") << "file" << QByteArray("Murmelvox places 1\n-4 5 1 /a.wav\n");
        QTest::newRow("FIFO") << "fifo" << QByteArray();
        QTest::newRow("empty folder") << "folder" << QByteArray();
        QTest::newRow("link to a device") << "device" << QByteArray();
    }
    void badStoreIgnoredAndRebuilt()
    {
        QFETCH(QString, kind);
        QFETCH(QByteArray, text);
        QDir().mkpath(dir.filePath(QStringLiteral("data")));
        const QByteArray path = QFile::encodeName(storePath());
        if (kind == "file") {
            makeFile(storePath(), text);
        } else if (kind == "fifo") {
            QCOMPARE(::mkfifo(path.constData(), 0600), 0);
        } else if (kind == "folder") {
            QVERIFY(QDir().mkdir(storePath()));
        } else {
            QCOMPARE(::symlink("/dev/null", path.constData()), 0);
        }
        resumeWarnings = 0;
        const FileIdentity file{"/m/a.wav", 5, 1};
        {
            ResumeStore store(storePath());
            QCOMPARE(resumeWarnings, 1);
            QVERIFY(store.entries().empty());
            store.keep(file, 9);
            QVERIFY(store.finishWrites(QDeadlineTimer(5000)));
        }
        QCOMPARE(resumeWarnings, 1);
        QCOMPARE(ResumeStore(storePath()).place(file), 9.0);
        QCOMPARE(resumeWarnings, 1);
    }

    void endOfFileResumesAtStart_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<double>("duration");
        QTest::addColumn<double>("resumesAt");
        QTest::newRow("middle") << 12.5 << 20.0 << 12.5;
        QTest::newRow("a second before the end") << 19.0 << 20.0 << 19.0;
        QTest::newRow("within a second of the end") << 19.2 << 20.0 << 0.0;
        QTest::newRow("at the end") << 20.0 << 20.0 << 0.0;
        QTest::newRow("length not known") << 7.0 << 0.0 << 7.0;
        QTest::newRow("before the start") << -3.0 << 20.0 << 0.0;
        QTest::newRow("not a number") << std::nan("") << 20.0 << 0.0;
    }
    void endOfFileResumesAtStart()
    {
        QFETCH(double, seconds);
        QFETCH(double, duration);
        QFETCH(double, resumesAt);
        QCOMPARE(ResumePoint(seconds, duration), resumesAt);
    }

    void resumedText_data()
    {
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("minutes") << 760.9 << "Resumed at 12:40";
        QTest::newRow("seconds padded") << 64.0 << "Resumed at 1:04";
        QTest::newRow("hours") << 3723.0 << "Resumed at 1:02:03";
    }
    void resumedText()
    {
        QFETCH(double, seconds);
        QFETCH(QString, text);
        QCOMPARE(ResumedAtText(seconds), text);
    }
};

QTEST_GUILESS_MAIN(TestResumeStore)
#include "test_resumestore.moc"
