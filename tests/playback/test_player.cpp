// SPDX-License-Identifier: GPL-3.0-or-later
// The player over the real engine (null audio): each change announced once,
// and commands given while a file is still opening.

#include "MediaFiles.h"
#include "engine/MpvEngine.h"
#include "engine/Player.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

namespace {
struct Rig
{
    Player player{std::make_unique<MpvEngine>(QByteArrayLiteral("null")), [] { return 5.0; }};

    bool opened() { return QTest::qWaitFor([this] { return !player.isOpening(); }, 5000); }
};
} // namespace

class TestPlayer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void eachChangeAnnouncedOnce()
    {
        Rig rig;
        rig.player.open(mediaFile("tone.wav"));
        QVERIFY(rig.opened());
        QSignalSpy states(&rig.player, &Player::stateChanged);
        QSignalSpy rates(&rig.player, &Player::rateChanged);
        rig.player.play();
        QCOMPARE(states.count(), 1);
        rig.player.setRate(1.5);
        QCOMPARE(rates.count(), 1);
        rig.player.stop();
        QCOMPARE(states.count(), 2);
        QTest::qWait(200);  // nothing more comes with the engine's events
        QCOMPARE(states.count(), 2);
        QCOMPARE(rates.count(), 1);
        QCOMPARE(states.at(0).at(0).value<PlayState>(), MediaPlayer::Playing);
        QCOMPARE(states.at(1).at(0).value<PlayState>(), MediaPlayer::Stopped);
    }

    void commandsWhileOpening_data()
    {
        QTest::addColumn<QString>("file");
        // p play, a pause, t play/pause, s stop, j jump to 7, r rewind
        QTest::addColumn<QString>("commands");
        QTest::addColumn<PlayState>("state");
        QTest::addColumn<double>("position");  // playing: at least this
        QTest::newRow("play") << "tone.wav" << "p" << MediaPlayer::Playing << 0.1;
        QTest::newRow("jump, then play") << "tone.wav" << "jp" << MediaPlayer::Playing << 7.1;
        QTest::newRow("jump alone") << "tone.wav" << "j" << MediaPlayer::Stopped << 7.0;
        QTest::newRow("play, then pause") << "tone.wav" << "pa" << MediaPlayer::Paused << -1.0;
        QTest::newRow("toggled twice") << "tone.wav" << "tt" << MediaPlayer::Paused << -1.0;
        QTest::newRow("jump, play, stop") << "tone.wav" << "jps" << MediaPlayer::Stopped << 0.0;
        QTest::newRow("play, jump, rewind") << "tone.wav" << "pjr" << MediaPlayer::Playing << 0.1;
        QTest::newRow("failed file drops them") << "text.mp3" << "jp" << MediaPlayer::NoFile << 0.0;
    }

    void commandsWhileOpening()
    {
        QFETCH(QString, file);
        QFETCH(QString, commands);
        QFETCH(PlayState, state);
        QFETCH(double, position);
        Rig rig;
        QSignalSpy files(&rig.player, &Player::fileChanged);
        QSignalSpy failed(&rig.player, &Player::openFailed);
        rig.player.open(mediaFile(file));
        QVERIFY(rig.player.isOpening());
        QCOMPARE(files.count(), 0);
        // A wind needs the position: refused as with no file.
        QVERIFY(!rig.player.windForward());
        for (const QChar c : commands) {
            switch (c.toLatin1()) {
            case 'p': rig.player.play(); break;
            case 'a': rig.player.pause(); break;
            case 't': rig.player.togglePlayPause(); break;
            case 's': rig.player.stop(); break;
            case 'j': rig.player.jumpTo(7); break;
            case 'r': rig.player.rewindToStart(); break;
            }
        }
        QVERIFY(rig.opened());
        QCOMPARE(files.count(), 1);
        QCOMPARE(files.at(0).at(1).toBool(), state != MediaPlayer::NoFile);
        QCOMPARE(failed.count(), state == MediaPlayer::NoFile ? 1 : 0);
        QCOMPARE(rig.player.playState(), state);
        if (state == MediaPlayer::Playing) {
            QTRY_VERIFY(rig.player.position() > position);
            QVERIFY(rig.player.position() < position + 3);
        } else if (position >= 0)
            QCOMPARE(rig.player.position(), position);
        else
            QVERIFY(rig.player.position() < 1);
    }

    void newFileDropsTheOldFilesCommands()
    {
        Rig rig;
        rig.player.open(mediaFile("tone.wav"));
        rig.player.play();
        rig.player.open(mediaFile("short.wav"));
        QVERIFY(rig.opened());
        QTest::qWait(200);
        QCOMPARE(rig.player.playState(), MediaPlayer::Stopped);
        QVERIFY(rig.player.duration() < 3);
    }
};

QTEST_GUILESS_MAIN(TestPlayer)
#include "test_player.moc"
