// SPDX-License-Identifier: GPL-3.0-or-later
// Files resume where they were left, over the real engine (null audio).

#include "MediaFiles.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"
#include "engine/Resumer.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
struct Rig
{
    QTemporaryDir dir;
    Player player{std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 5.0; }};
    Resumer resumer{player, std::make_unique<ResumeStore>(dir.filePath(QStringLiteral("places")))};

    bool open(const QString &name)
    {
        player.open(mediaFile(name));
        return QTest::qWaitFor([this] { return !player.isOpening(); }, 5000) && player.hasFile();
    }
};
} // namespace

class TestResume : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void reopenedWhereLeft_data()
    {
        QTest::addColumn<QString>("leaving");
        QTest::addColumn<bool>("resumes");
        QTest::newRow("paused") << "pause" << true;
        QTest::newRow("left while playing") << "play" << true;
        QTest::newRow("stopped") << "stop" << false;
        QTest::newRow("played to the end") << "end" << false;
        QTest::newRow("resuming off") << "off" << false;
    }
    void reopenedWhereLeft()
    {
        QFETCH(QString, leaving);
        QFETCH(bool, resumes);
        Rig rig;
        rig.resumer.setEnabled(leaving != "off");
        QVERIFY(rig.open("tone.wav"));
        rig.player.jumpTo(leaving == "end" ? 19.5 : 8);
        rig.player.play();
        QTest::qWait(300);
        if (leaving == "stop")
            rig.player.stop();
        else if (leaving == "end")
            QVERIFY(QTest::qWaitFor([&] { return !rig.player.isPlaying(); }, 3000));
        else if (leaving != "play")
            rig.player.pause();
        const double left = rig.player.position();
        QVERIFY(rig.open("short.wav"));
        QCOMPARE(rig.resumer.resumedAt(), std::nullopt);

        QVERIFY(rig.open("tone.wav"));
        QVERIFY(!rig.player.isPlaying());
        if (resumes) {
            // Left while playing: kept a moment after it was read here.
            const double slack = leaving == "play" ? 0.15 : 0.01;
            QVERIFY2(left > 8.1, qPrintable(QString::number(left)));
            QVERIFY(rig.resumer.resumedAt());
            QVERIFY(qAbs(*rig.resumer.resumedAt() - left) < slack);
            QVERIFY(qAbs(rig.player.position() - *rig.resumer.resumedAt()) < 0.01);
        } else {
            QCOMPARE(rig.resumer.resumedAt(), std::nullopt);
            QCOMPARE(rig.player.position(), 0.0);
        }
    }

    // Play asked for while the file opens starts at the place, not at 0.
    void playsFromThePlace()
    {
        Rig rig;
        const auto tone = FileIdentity::of(QFile::encodeName(mediaFile("tone.wav")));
        QVERIFY(tone);
        rig.resumer.store().keep(*tone, 12);
        double lowestPlayed = 1e9;
        connect(&rig.player, &Player::positionMoved, &rig.player, [&](double seconds) {
            if (rig.player.isPlaying())
                lowestPlayed = std::min(lowestPlayed, seconds);
        });
        rig.player.open(mediaFile("tone.wav"));
        rig.player.play();
        QVERIFY(QTest::qWaitFor([&] { return rig.player.isPlaying() && rig.player.position() > 12.3; }, 5000));
        QVERIFY2(lowestPlayed >= 12, qPrintable(QString::number(lowestPlayed)));
        QCOMPARE(rig.resumer.resumedAt(), 12.0);
    }
};

QTEST_GUILESS_MAIN(TestResume)
#include "test_resume.moc"
