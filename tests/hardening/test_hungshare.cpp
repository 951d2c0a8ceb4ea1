// SPDX-License-Identifier: GPL-3.0-or-later
// A file on a share that stopped answering (hungfs: reads never return) in
// the real engine: each open of it fails by the deadline, the next good file
// opens and plays, nothing of the given-up load reaches the engine when the
// share goes at last, and the cores given up on are capped.
#include "HungShare.h"
#include "playback/MediaFiles.h"
#include "engine/MpvEngine.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTest>

namespace {
constexpr qint64 SlackMs = 1500;   // an open may take this much past the deadline

int threadCount()
{
    return int(QDir(QStringLiteral("/proc/self/task")).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size());
}

void openHung(MpvEngine &engine, const HungShare &share, const QString &reason)
{
    QSignalSpy failed(&engine, &MpvEngine::openFailed);
    QElapsedTimer took;
    took.start();
    engine.Open(share.hungFile());
    // Open never waits for the file; the deadline ends the load.
    QVERIFY2(took.elapsed() < SlackMs, qPrintable(QString::number(took.elapsed())));
    QVERIFY(QTest::qWaitFor([&] { return !failed.isEmpty(); }, MpvEngine::OpenDeadlineMs + SlackMs));
    // ...and not before it.
    QVERIFY2(took.elapsed() >= MpvEngine::OpenDeadlineMs || !failed.at(0).at(0).toString().contains(QStringLiteral("within")),
             qPrintable(QString::number(took.elapsed())));
    QCOMPARE(engine.PlayState(), MediaPlayer::NoFile);
    QCOMPARE(failed.count(), 1);
    QVERIFY2(failed.at(0).at(0).toString().contains(reason), qPrintable(failed.at(0).at(0).toString()));
}

void openAndPlay(MpvEngine &engine, const QString &name)
{
    openNow(engine, mediaFile(name));
    QCOMPARE(engine.PlayState(), MediaPlayer::Stopped);
    engine.Play();
    QVERIFY(QTest::qWaitFor([&] { return engine.CurrentPosition() > 0.3; }, 3000));
}

// Every core given up on ends once the share has gone.
bool coresEndedAfter(HungShare &share)
{
    share.giveUp();
    return QTest::qWaitFor([] { return MpvEngine::abandonedCores() == 0; }, 15000);
}
} // namespace

class TestHungShare : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void nextFilePlaysAfterHungOne_data()
    {
        QTest::addColumn<QString>("before");   // played before the hung file; empty: none
        QTest::addColumn<int>("hungOpens");
        QTest::newRow("hung file first") << QString() << 1;
        QTest::newRow("while a file plays") << QStringLiteral("speech.mp3") << 1;
        QTest::newRow("hung file twice") << QString() << 2;
    }

    void nextFilePlaysAfterHungOne()
    {
        QFETCH(QString, before);
        QFETCH(int, hungOpens);
        MpvEngine engine(QByteArrayLiteral("null"));
        // Goes before the engine, also when a check failed: an engine that
        // waited for its stuck core would wait for ever.
        HungShare share;
        if (!share.problem().isEmpty())
            QSKIP(qPrintable(share.problem()));
        if (!before.isEmpty())
            openAndPlay(engine, before);
        for (int i = 0; i < hungOpens && !QTest::currentTestFailed(); ++i)
            openHung(engine, share, QStringLiteral("did not answer"));
        QSignalSpy failed(&engine, &MpvEngine::openFailed);
        QSignalSpy errors(&engine, &MpvEngine::playbackError);
        openAndPlay(engine, QStringLiteral("tone.wav"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(engine.Duration(), 20.0);

        // The given-up loads end with an error now, which must not reach the
        // file playing (its core counts its files from 1 as well).
        QVERIFY(coresEndedAfter(share));
        const double playedBefore = engine.CurrentPosition();
        QTest::qWait(500);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(errors.count(), 0);
        QCOMPARE(engine.PlayState(), MediaPlayer::Playing);
        QVERIFY(engine.CurrentPosition() > playedBefore + 0.2);
    }

    void fileOpenedWhileHungOneLoads()
    {
        // The typist gives up on the hung file before its deadline: the next
        // one opens at once, and the GUI thread never waits for the stuck core.
        MpvEngine engine(QByteArrayLiteral("null"));
        HungShare share;
        if (!share.problem().isEmpty())
            QSKIP(qPrintable(share.problem()));
        engine.Open(share.hungFile());
        QTest::qWait(500);
        QElapsedTimer took;
        took.start();
        openAndPlay(engine, QStringLiteral("tone.wav"));
        QVERIFY2(took.elapsed() < MpvEngine::OpenDeadlineMs, qPrintable(QString::number(took.elapsed())));
        QVERIFY(coresEndedAfter(share));
        QCOMPARE(engine.PlayState(), MediaPlayer::Playing);
    }

    void coresGivenUpOnAreCapped()
    {
        MpvEngine engine(QByteArrayLiteral("null"));
        HungShare share;
        if (!share.problem().isEmpty())
            QSKIP(qPrintable(share.problem()));
        for (int i = 0; i < MpvEngine::MaxAbandonedCores; ++i)
            openHung(engine, share, QStringLiteral("did not answer"));
        QCOMPARE(MpvEngine::abandonedCores(), MpvEngine::MaxAbandonedCores);
        // At the cap nothing more is started, whatever is opened.
        const int threads = threadCount();
        openHung(engine, share, QStringLiteral("still waits"));
        engine.Open(mediaFile(QStringLiteral("tone.wav")));
        QCOMPARE(engine.PlayState(), MediaPlayer::NoFile);
        QCOMPARE(threadCount(), threads);

        QVERIFY(coresEndedAfter(share));
        openAndPlay(engine, QStringLiteral("tone.wav"));
    }
};

QTEST_GUILESS_MAIN(TestHungShare)
#include "test_hungshare.moc"
