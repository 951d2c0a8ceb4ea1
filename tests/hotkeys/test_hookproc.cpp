// SPDX-License-Identifier: GPL-3.0-or-later
// The hot-key rules, driven event by event as the key sources deliver them.
#include "HotKeyRig.h"
#include "hotkeys/GlobalHotKeys.h"
#include "rules/KeyAssignments.h"
#include "ui/Startup.h"

#include <QTest>
#include <limits>

namespace {
constexpr FunctionKey F4 = FunctionKey::F4, F5 = FunctionKey::F5, F6 = FunctionKey::F6, F7 = FunctionKey::F7,
                      F8 = FunctionKey::F8;
}

class TestHookProc : public QObject
{
    Q_OBJECT
    HotKeyRig *t = nullptr;

    // One press and one release.
    void pressAndRelease(FunctionKey vk)
    {
        QVERIFY(t->key(vk));
        QVERIFY(t->key(vk));
    }

private slots:
    void init()
    {
        t = new HotKeyRig;
        t->hotKeys.setBindings({F4, F5, F6, F8});
    }
    void cleanup() { delete t; }

    // Each row is one Play/Pause event with media open.
    void playPauseCycle_data()
    {
        QTest::addColumn<int>("countBefore");
        QTest::addColumn<int>("state");
        QTest::addColumn<int>("countAfter");
        QTest::addColumn<int>("plays");
        QTest::addColumn<int>("pauses");
        QTest::addColumn<int>("picture1");
        QTest::addColumn<int>("picture2");
        QTest::newRow("0: press counts") << 0 << int(MediaPlayer::Stopped) << 1 << 0 << 0 << 0 << 0;
        QTest::newRow("1: release plays") << 1 << int(MediaPlayer::Paused) << 2 << 1 << 0 << 4 << 2;
        QTest::newRow("2: press counts") << 2 << int(MediaPlayer::Playing) << 3 << 0 << 0 << 0 << 0;
        QTest::newRow("3: release pauses") << 3 << int(MediaPlayer::Playing) << 0 << 0 << 1 << 1 << 5;
        QTest::newRow("3: stopped, no Pause, paused look") << 3 << int(MediaPlayer::Stopped) << 0 << 0 << 0 << 1 << 5;
        QTest::newRow("4: beyond the cycle") << 4 << int(MediaPlayer::Playing) << 5 << 0 << 0 << 0 << 0;
        QTest::newRow("100: beyond the cycle") << 100 << int(MediaPlayer::Playing) << 101 << 0 << 0 << 0 << 0;
        QTest::newRow("32767: stays at the top") << 32767 << int(MediaPlayer::Playing) << 32767 << 0 << 0 << 0 << 0;
    }
    void playPauseCycle()
    {
        QFETCH(int, countBefore);
        QFETCH(int, state);
        QFETCH(int, countAfter);
        QFETCH(int, plays);
        QFETCH(int, pauses);
        QFETCH(int, picture1);
        QFETCH(int, picture2);
        t->player.state = PlayState(state);
        t->hotKeys.setCounts({std::int16_t(countBefore), 0, 0});
        QVERIFY(t->key(F6));
        QCOMPARE(int(t->counts().playPause), countAfter);
        QCOMPARE(t->player.plays, plays);
        QCOMPARE(t->player.pauses, pauses);
        QCOMPARE(t->images[1], picture1);
        QCOMPARE(t->images[2], picture2);
        QCOMPARE(t->images[3], 3); // the stop button is released on every event
        QCOMPARE(t->counts().rewind, std::int16_t(0));
        QCOMPARE(t->counts().forward, std::int16_t(0));
    }

    void playPauseToggleWithPressAndRelease()
    {
        t->player.state = MediaPlayer::Paused;
        QVERIFY(t->key(F6));
        QCOMPARE(t->player.plays, 0); // not on the press
        QVERIFY(t->key(F6));
        QCOMPARE(t->player.plays, 1);
        QCOMPARE(t->images[1], 4);
        QCOMPARE(t->images[2], 2);
        pressAndRelease(F6);
        QCOMPARE(t->player.pauses, 1);
        QCOMPARE(t->images[1], 1);
        QCOMPARE(t->images[2], 5);
        QCOMPARE(t->counts().playPause, std::int16_t(0));
        pressAndRelease(F6);
        QCOMPARE(t->player.plays, 2);
    }

    void afterPlayButtonOnePressPauses()
    {
        t->player.state = MediaPlayer::Playing;
        t->hotKeys.setCounts({2, 0, 0}); // what a click on Play leaves
        pressAndRelease(F6);
        QCOMPARE(t->player.pauses, 1);
        QCOMPARE(t->player.plays, 0);
    }

    void heldPlayPauseAlternatesEveryTwoEvents()
    {
        t->player.state = MediaPlayer::Paused;
        // Plays on events 2 and 6, pauses on 4 and 8.
        for (int event = 1; event <= 8; ++event) {
            QVERIFY(t->key(F6));
            QCOMPARE(int(t->counts().playPause), event % 4);
            QCOMPARE(t->player.plays, (event + 2) / 4);
            QCOMPARE(t->player.pauses, event / 4);
        }
    }

    void fastRewind_data()
    {
        QTest::addColumn<float>("windCount");
        QTest::addColumn<double>("position");
        QTest::addColumn<bool>("written");
        QTest::addColumn<double>("result");
        QTest::newRow("10 - 3") << 520.f << 10.0 << true << 7.0;
        QTest::newRow("3.5 - 3") << 520.f << 3.5 << true << 0.5;
        QTest::newRow("3.0 stays, no clamping") << 520.f << 3.0 << false << 3.0;
        QTest::newRow("2.5 stays, no clamping") << 520.f << 2.5 << false << 2.5;
        QTest::newRow("step 2 from 430") << 430.f << 10.0 << true << 8.0;
        QTest::newRow("step 0 writes back") << 149.f << 5.0 << true << 5.0;
        QTest::newRow("step 0 at the start") << 149.f << 0.0 << false << 0.0;
    }
    void fastRewind()
    {
        QFETCH(float, windCount);
        QFETCH(double, position);
        QFETCH(bool, written);
        QFETCH(double, result);
        t->windStep = WindStepOf(windCount);
        t->player.state = MediaPlayer::Playing;
        t->player.position = position;
        QVERIFY(t->key(F5));
        QCOMPARE(t->counts().rewind, std::int16_t(1));
        QVERIFY(t->player.writes.isEmpty()); // nothing on the press
        QVERIFY(t->key(F5));
        QCOMPARE(t->counts().rewind, std::int16_t(0));
        QCOMPARE(!t->player.writes.isEmpty(), written);
        QCOMPARE(t->player.position, result);
        QCOMPARE(t->imageChanges, 0);
    }

    void fastForward_data()
    {
        QTest::addColumn<float>("windCount");
        QTest::addColumn<double>("position");
        QTest::addColumn<bool>("written");
        QTest::addColumn<double>("result");
        QTest::newRow("50 + 3") << 520.f << 50.0 << true << 53.0;
        QTest::newRow("57 stays, no clamping") << 520.f << 57.0 << false << 57.0;
        QTest::newRow("58 stays, no clamping") << 520.f << 58.0 << false << 58.0;
        QTest::newRow("step 3 from 460") << 460.f << 10.0 << true << 13.0;
        QTest::newRow("step 0 writes back") << 100.f << 10.0 << true << 10.0;
        QTest::newRow("step 0 at the end") << 100.f << 60.0 << false << 60.0;
    }
    void fastForward()
    {
        QFETCH(float, windCount);
        QFETCH(double, position);
        QFETCH(bool, written);
        QFETCH(double, result);
        t->windStep = WindStepOf(windCount);
        t->player.state = MediaPlayer::Playing;
        t->player.duration = 60.0;
        t->player.position = position;
        pressAndRelease(F8);
        QCOMPARE(t->counts().forward, std::int16_t(0));
        QCOMPARE(!t->player.writes.isEmpty(), written);
        QCOMPARE(t->player.position, result);
    }

    void heldWindKeysActOnEverySecondEvent_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<double>("expected");
        QTest::newRow("Fast Forward") << int(F8) << 30.0 + 5 * 3;
        QTest::newRow("Fast Rewind") << int(F5) << 30.0 - 5 * 3;
    }
    void heldWindKeysActOnEverySecondEvent()
    {
        QFETCH(int, key);
        QFETCH(double, expected);
        t->player.state = MediaPlayer::Playing;
        t->player.duration = 600;
        t->player.position = 30;
        // press, nine auto-repeat presses, release: eleven events
        for (int event = 1; event <= 11; ++event) {
            QVERIFY(t->key(key));
            QCOMPARE(t->player.writes.size(), event / 2);
        }
        QCOMPARE(t->player.position, expected);
    }

    void fullRewindOnEveryEvent()
    {
        t->player.state = MediaPlayer::Playing;
        for (int i = 0; i < 5; ++i) {
            t->player.position = 42;
            QVERIFY(t->key(F4));
            QCOMPARE(t->player.position, 0.0);
        }
        QCOMPARE(t->player.writes.size(), 5);
        QCOMPARE(t->imageChanges, 0);
    }

    // No file: every assigned key is swallowed, only the counters move.
    void noMediaOpen_data()
    {
        QTest::addColumn<int>("number");
        QTest::newRow("Full Rewind") << int(F4);
        QTest::newRow("Fast Rewind") << int(F5);
        QTest::newRow("Play/Pause") << int(F6);
        QTest::newRow("Fast Forward") << int(F8);
    }
    void noMediaOpen()
    {
        QFETCH(int, number);
        const FunctionKey key = FunctionKey(number);
        t->player.state = MediaPlayer::NoFile;
        pressAndRelease(key);
        QVERIFY(t->player.writes.isEmpty());
        QCOMPARE(t->player.plays + t->player.pauses, 0);
        QCOMPARE(t->imageChanges, 0);
        QCOMPARE(int(t->counts().rewind), key == F5 ? 2 : 0);
        QCOMPARE(int(t->counts().playPause), key == F6 ? 2 : 0);
        QCOMPARE(int(t->counts().forward), key == F8 ? 2 : 0);
    }

    // Counts made with no file open are not undone by the hook; only a
    // transport click brings the key back into its cycle.
    void counterPastFiringValueUntilReset()
    {
        pressAndRelease(F5);
        t->player.state = MediaPlayer::Playing;
        t->player.position = 30;
        pressAndRelease(F5);
        QVERIFY(t->player.writes.isEmpty());
        t->controller.stop(); // a click on Play, Pause or Stop
        t->player.state = MediaPlayer::Playing;
        t->player.position = 30;
        pressAndRelease(F5);
        QCOMPARE(t->player.position, 27.0);
    }

    // A key held for hours with no file open must neither wrap round into
    // the cycle nor fire on its own.
    void counterStopsAtTheTop()
    {
        constexpr std::int16_t nearTop = std::numeric_limits<std::int16_t>::max() - 1;
        t->hotKeys.setCounts({nearTop, nearTop, nearTop});
        for (int i = 0; i < 70000; ++i) {
            t->key(F5);
            t->key(F6);
            t->key(F8);
        }
        QCOMPARE(t->counts().rewind, std::numeric_limits<std::int16_t>::max());
        QCOMPARE(t->counts().playPause, std::numeric_limits<std::int16_t>::max());
        QCOMPARE(t->counts().forward, std::numeric_limits<std::int16_t>::max());
        t->player.state = MediaPlayer::Playing;
        t->player.position = 30;
        t->player.duration = 60;
        for (int i = 0; i < 10; ++i) {
            t->key(F5);
            t->key(F6);
            t->key(F8);
        }
        QVERIFY(t->player.writes.isEmpty());
        QCOMPARE(t->player.plays + t->player.pauses, 0);
    }

    void unassignedKeysPass_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("F7") << int(F7);
        QTest::newRow("F1") << 112;
        QTest::newRow("letter A") << 65;
        QTest::newRow("code 0 never matches an unbound action") << 0;
    }
    void unassignedKeysPass()
    {
        QFETCH(int, key);
        t->hotKeys.setBindings({F4, F5, F6, FunctionKey::None}); // an unbound action
        t->player.state = MediaPlayer::Playing;
        t->player.position = 30;
        t->player.duration = 60;
        QVERIFY(!t->key(key));
        QVERIFY(!t->key(key));
        QVERIFY(t->player.writes.isEmpty());
        QCOMPARE(t->counts(), HotKeys::Counts{});
        QCOMPARE(t->imageChanges, 0);
    }

    void sharedCodeGoesToTheFirstAction()
    {
        t->hotKeys.setBindings({F4, F5, F4, F5});
        t->player.state = MediaPlayer::Playing;
        t->player.position = 30;
        t->player.duration = 60;
        pressAndRelease(F4);
        QCOMPARE(t->player.position, 0.0);
        QCOMPARE(t->counts().playPause, std::int16_t(0));
        t->player.position = 30;
        pressAndRelease(F5);
        QCOMPARE(t->player.position, 27.0);
        QCOMPARE(t->counts().forward, std::int16_t(0));
    }

    void rebindingActsAtOnceAndKeepsCounters()
    {
        t->player.state = MediaPlayer::Paused;
        QVERIFY(t->key(F6)); // press on the old key
        QCOMPARE(t->counts().playPause, std::int16_t(1));
        t->hotKeys.setBindings({F4, F5, FunctionKey::F9, F8});
        QVERIFY(!t->key(F6));
        QCOMPARE(t->counts().playPause, std::int16_t(1));
        QCOMPARE(t->player.plays, 0);
        QVERIFY(t->key(120)); // the count carries on
        QCOMPARE(t->counts().playPause, std::int16_t(2));
        QCOMPARE(t->player.plays, 1);
    }

    // Play, Pause and Stop from anywhere but the hot keys (buttons, MPRIS, a
    // pedal) put the counts in step with what is heard; the hot keys' own
    // commands leave the wind counts alone.
    void transportElsewhereResetsTheCounts_data()
    {
        QTest::addColumn<int>("command");
        QTest::addColumn<int>("playPause");
        QTest::newRow("play") << int(Player::Transport::Play) << 2;
        QTest::newRow("pause") << int(Player::Transport::Pause) << 0;
        QTest::newRow("stop") << int(Player::Transport::Stop) << 0;
    }
    void transportElsewhereResetsTheCounts()
    {
        QFETCH(int, command);
        QFETCH(int, playPause);
        t->player.state = MediaPlayer::Stopped;
        t->hotKeys.setCounts({3, 1, 1});
        switch (Player::Transport(command)) {
        case Player::Transport::Play: t->controller.play(); break;
        case Player::Transport::Pause: t->controller.pause(); break;
        case Player::Transport::Stop: t->controller.stop(); break;
        }
        QCOMPARE(t->counts(), (HotKeys::Counts{std::int16_t(playPause), 0, 0}));

        t->hotKeys.setCounts({1, 1, 1});
        QVERIFY(t->key(F6)); // the hot key's own play
        QCOMPARE(t->player.state, MediaPlayer::Playing);
        QCOMPARE(t->counts(), (HotKeys::Counts{2, 1, 1}));
    }

    void windStep_data()
    {
        QTest::addColumn<float>("windCount");
        QTest::addColumn<double>("step");
        QTest::newRow("default slider 520") << 520.f << 3.0;
        QTest::newRow("430") << 430.f << 2.0;
        QTest::newRow("460") << 460.f << 3.0;
        QTest::newRow("exactly 450") << 450.f << 3.0;
        QTest::newRow("149") << 149.f << 0.0;
        QTest::newRow("0") << 0.f << 0.0;
        QTest::newRow("negative truncates toward zero") << -200.f << -1.0;
    }
    void windStep()
    {
        QFETCH(float, windCount);
        QFETCH(double, step);
        QCOMPARE(WindStepOf(windCount), step);
    }
};

QTEST_GUILESS_MAIN(TestHookProc)
#include "test_hookproc.moc"
