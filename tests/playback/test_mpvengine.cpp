// SPDX-License-Identifier: GPL-3.0-or-later
// The media engine over the real libmpv, with the null audio output, playing
// generated media (tone.wav: 20 s of 440 Hz; speech.mp3: about 45 s).

#include "MediaFiles.h"
#include "engine/MpvEngine.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <mpv/client.h>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <memory>
#include <thread>

namespace {
constexpr double ToneLength = 20.0;
constexpr double SpeechLength = 44.669;

std::unique_ptr<MpvEngine> newEngine()
{
    return std::make_unique<MpvEngine>(QByteArrayLiteral("null"));
}

// Lets the engine play for a while with the event loop running.
void playFor(int ms)
{
    QTest::qWait(ms);
}
} // namespace

class TestMpvEngine : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    void everyEngineOptionIsKnown()
    {
        // A misspelt or retired option would silently leave a gap in the
        // engine's isolation.
        mpv_handle *handle = mpv_create();
        QVERIFY(handle);
        QVERIFY(MpvEngine::configure(handle, MpvEngine::defaultAudioOutputs()));
        // The sound server's buffer is not libmpv's short default (whose
        // wakeups cost a core's percent while playing); a misspelt name
        // would be skipped without a word.
        QCOMPARE(mpv_initialize(handle), 0);
        for (const char *name : {"pipewire-buffer", "pulse-buffer", "alsa-buffer-time"}) {
            char *value = mpv_get_property_string(handle, name);
            QVERIFY2(value, name);
            QVERIFY2(QByteArray(value).startsWith("250"), name);
            mpv_free(value);
        }
        mpv_terminate_destroy(handle);
    }

    void readsWithNoFile()
    {
        auto mp = newEngine();
        mp->start();
        QCOMPARE(mp->PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QCOMPARE(mp->Duration(), 0.0);
        QCOMPARE(mp->Rate(), 1.0);
        // Writes and commands with no file change nothing and do not fail.
        mp->setCurrentPosition(12.5);
        mp->Play();
        mp->Pause();
        mp->Stop();
        QCOMPARE(mp->PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QCOMPARE(mp->Duration(), 0.0);
    }

    void readsBeforeTheEngineStarted()
    {
        // Reads and a rate set at start-up answer before the engine runs.
        auto mp = newEngine();
        QCOMPARE(mp->PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        mp->setRate(1.25);
        QCOMPARE(mp->Rate(), 1.25);
        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(mp->Rate(), 1.25);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
    }

    void openGood_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("duration");
        QTest::newRow("wav") << "tone.wav" << ToneLength;
        QTest::newRow("mp3") << "speech.mp3" << SpeechLength;
        QTest::newRow("blank") << "names/with blank.wav" << 2.0;
        QTest::newRow("single quote") << "names/quote'single.wav" << 2.0;
        QTest::newRow("double quote") << "names/quote\"double.wav" << 2.0;
        QTest::newRow("semicolon") << "names/semi;colon.wav" << 2.0;
        QTest::newRow("newline") << "names/new\nline.wav" << 2.0;
        QTest::newRow("non-ASCII") << QString::fromUtf8("names/Grüße ünïcödé.wav") << 2.0;
        QTest::newRow("shell characters") << "names/dollar$HOME `x`.wav" << 2.0;
    }

    void openGood()
    {
        QFETCH(QString, name);
        QFETCH(double, duration);
        auto mp = newEngine();
        QSignalSpy failed(mp.get(), &MpvEngine::openFailed);
        openNow(*mp, mediaFile(name));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QVERIFY2(std::abs(mp->Duration() - duration) < 0.05, qPrintable(QString::number(mp->Duration())));
        QCOMPARE(mp->CurrentPosition(), 0.0);
        // Open does not start playback.
        playFor(300);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QCOMPARE(failed.count(), 0);
    }

    void openBad_data()
    {
        QTest::addColumn<QString>("path");
        QTest::newRow("missing") << mediaFile("no such file.wav");
        QTest::newRow("text named mp3") << mediaFile("text.mp3");
        QTest::newRow("0 bytes") << mediaFile("empty.mp3");
        QTest::newRow("directory") << mediaFile("names");
        QTest::newRow("empty path") << QString();
        QTest::newRow("URL") << "http://127.0.0.1:9/x.mp3";
        QTest::newRow("relative missing") << "nowhere/x.wav";
    }

    void openBad()
    {
        QFETCH(QString, path);
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        mp->Play();
        QSignalSpy failed(mp.get(), &MpvEngine::openFailed);
        openNow(*mp, path);
        QCOMPARE(mp->PlayState(), MediaPlayer::NoFile);
        QCOMPARE(mp->Duration(), 0.0);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QCOMPARE(failed.count(), 1);
        QVERIFY(!failed.at(0).at(0).toString().isEmpty());
        // The program goes on: the next good file opens and plays.
        openNow(*mp, mediaFile("speech.mp3"));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.1; }, 3000));
    }

    void pipeIsRefusedAtOnce()
    {
        // A pipe nobody writes to would block the engine's reader: only
        // regular files are opened.
        QTemporaryDir dir;
        const QString pipe = dir.filePath("hung.mp3");
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        auto mp = newEngine();
        QSignalSpy failed(mp.get(), &MpvEngine::openFailed);
        QElapsedTimer t;
        t.start();
        openNow(*mp, pipe);
        QVERIFY2(t.elapsed() < 1000, qPrintable(QString::number(t.elapsed())));
        QCOMPARE(mp->PlayState(), MediaPlayer::NoFile);
        QCOMPARE(failed.count(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), QStringLiteral("This is not a file."));
        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
    }

    void userConfigurationIsIgnored()
    {
        // The user's own mpv settings and key bindings must not reach the
        // engine (each test runs with its own HOME).
        const QString config = QDir::homePath() + "/.config/mpv";
        QVERIFY(QDir().mkpath(config + "/scripts"));
        auto write = [](const QString &path, const QByteArray &text) {
            QFile file(path);
            return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
        };
        QVERIFY(write(config + "/mpv.conf", "start=7\nspeed=2\npause=no\naf=lavfi=[volume=0]\n"));
        QVERIFY(write(config + "/scripts/seek.lua", "mp.register_event('file-loaded', function() mp.set_property('time-pos', 9) end)\n"));
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(mp->Rate(), 1.0);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        playFor(300);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.2; }, 3000));
        QVERIFY(mp->CurrentPosition() < 2);
        QDir(config).removeRecursively();
    }

    void truncatedMp3PlaysToItsEnd()
    {
        auto mp = newEngine();
        openNow(*mp, mediaFile("truncated.mp3"));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QVERIFY(mp->Duration() > 5);
        mp->setRate(4);
        mp->setCurrentPosition(mp->Duration() - 1);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->PlayState() != MediaPlayer::Playing; }, 5000));
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QCOMPARE(mp->CurrentPosition(), mp->Duration());
    }

    // A read right after a write gives what was written, in every state.
    void writeThenRead_data()
    {
        QTest::addColumn<PlayState>("state");
        QTest::addColumn<double>("target");
        QTest::addColumn<double>("expected");
        const struct { const char *name; PlayState state; } states[] = {
            {"stopped", MediaPlayer::Stopped}, {"paused", MpvEngine::Paused}, {"playing", MediaPlayer::Playing}};
        for (const auto &s : states) {
            QTest::addRow("%s to 0", s.name) << s.state << 0.0 << 0.0;
            QTest::addRow("%s to 7.25", s.name) << s.state << 7.25 << 7.25;
            QTest::addRow("%s to 19.5", s.name) << s.state << 19.5 << 19.5;
            QTest::addRow("%s past the end", s.name) << s.state << 25.0 << ToneLength;
            QTest::addRow("%s negative", s.name) << s.state << -3.0 << 0.0;
        }
    }

    void writeThenRead()
    {
        QFETCH(PlayState, state);
        QFETCH(double, target);
        QFETCH(double, expected);
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        mp->setCurrentPosition(10);
        mp->Play();
        playFor(250);
        if (state == MpvEngine::Paused)
            mp->Pause();
        else if (state == MediaPlayer::Stopped)
            mp->Stop();
        QCOMPARE(mp->PlayState(), state);
        mp->setCurrentPosition(target);
        QCOMPARE(mp->CurrentPosition(), expected);
        if (state != MediaPlayer::Playing) {
            // Held while not playing, also once the engine has settled; at
            // the end, stopped.
            playFor(300);
            QCOMPARE(mp->CurrentPosition(), expected);
            if (expected == ToneLength)
                QVERIFY(QTest::qWaitFor([&] { return mp->PlayState() == MediaPlayer::Stopped; }, 3000));
            else
                QCOMPARE(mp->PlayState(), state);
            QCOMPARE(mp->CurrentPosition(), expected);
        } else if (expected == ToneLength) {
            // Played into the end: stopped there.
            QVERIFY(QTest::qWaitFor([&] { return mp->PlayState() == MediaPlayer::Stopped; }, 2000));
            QCOMPARE(mp->CurrentPosition(), ToneLength);
        }
    }

    void readModifyWriteWhilePlaying()
    {
        // Fast Rewind: write, then write what was read minus 3.
        auto mp = newEngine();
        openNow(*mp, mediaFile("speech.mp3"));
        mp->Play();
        playFor(200);
        mp->setCurrentPosition(20);
        mp->setCurrentPosition(mp->CurrentPosition() - 3);
        QCOMPARE(mp->CurrentPosition(), 17.0);
        playFor(400);
        const double now = mp->CurrentPosition();
        QVERIFY2(now >= 17.0 && now < 17.8, qPrintable(QString::number(now)));
    }

    void positionNeverGoesBackWhilePlaying()
    {
        // After a seek while playing the held target is let go only once the
        // engine's live position reached it: reads never jump back.
        auto mp = newEngine();
        openNow(*mp, mediaFile("speech.mp3"));
        mp->Play();
        playFor(100);
        double last = 0;
        for (const double target : {30.0, 5.0, 12.5}) {
            mp->setCurrentPosition(target);
            last = target;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 400) {
                QTest::qWait(5);
                const double now = mp->CurrentPosition();
                QVERIFY2(now >= last, qPrintable(QString("%1 after %2").arg(now).arg(last)));
                last = now;
            }
            QVERIFY2(last > target + 0.1, qPrintable(QString::number(last)));
        }
    }

    void pausePlayStop()
    {
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        mp->Play();
        QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.3; }, 3000));

        mp->Pause();
        QCOMPARE(mp->PlayState(), MediaPlayer::Paused);
        const double paused = mp->CurrentPosition();
        playFor(300);
        QCOMPARE(mp->CurrentPosition(), paused);
        mp->Pause();  // pausing again changes nothing
        QCOMPARE(mp->PlayState(), MediaPlayer::Paused);

        mp->Play();
        QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
        QVERIFY(mp->CurrentPosition() >= paused);
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > paused + 0.2; }, 3000));
        QVERIFY(mp->CurrentPosition() < paused + 1.5);

        mp->Stop();
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QVERIFY(mp->Duration() > 0);  // Stop keeps the file
        const double stopped = mp->CurrentPosition();
        QVERIFY(stopped > paused);
        playFor(300);
        QCOMPARE(mp->CurrentPosition(), stopped);
        mp->Pause();  // no effect while stopped
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        mp->setCurrentPosition(0);  // what the Stop button does next
        QCOMPARE(mp->CurrentPosition(), 0.0);

        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.2; }, 3000));
        QVERIFY(mp->CurrentPosition() < 1.5);
    }

    void playAtTheEndStartsAgain()
    {
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        mp->setCurrentPosition(ToneLength - 0.4);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->PlayState() == MediaPlayer::Stopped; }, 3000));
        // At the end: stopped, the file still open, the position its end.
        QCOMPARE(mp->CurrentPosition(), ToneLength);
        QCOMPARE(mp->Duration(), ToneLength);
        playFor(200);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);

        mp->Play();
        QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.2; }, 3000));
        QVERIFY(mp->CurrentPosition() < 1.5);
        QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
    }

    void rewindFromTheEnd_data()
    {
        QTest::addColumn<int>("settleMs");
        QTest::newRow("at once") << 0;
        QTest::newRow("while the engine reaches the end") << 2;
        QTest::newRow("as it reached the end") << 10;
        QTest::newRow("after the end settled") << 200;
    }

    void rewindFromTheEnd()
    {
        // A position written at the end plays on from there, not from 0.
        QFETCH(int, settleMs);
        auto mp = newEngine();
        openNow(*mp, mediaFile("tone.wav"));
        mp->setCurrentPosition(ToneLength);
        QCOMPARE(mp->CurrentPosition(), ToneLength);
        playFor(settleMs);
        mp->setCurrentPosition(ToneLength - 3);
        mp->Play();
        const double started = mp->CurrentPosition();
        QVERIFY2(started >= ToneLength - 3 && started < ToneLength - 3 + 0.05, qPrintable(QString::number(started)));
        playFor(400);
        QVERIFY(mp->CurrentPosition() > ToneLength - 3);
        QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
    }

    void rate_data()
    {
        QTest::addColumn<double>("rate");
        QTest::addColumn<double>("expected");
        QTest::newRow("0.015") << 0.015 << 0.015;
        QTest::newRow("1") << 1.0 << 1.0;
        QTest::newRow("1.5") << 1.5 << 1.5;
        QTest::newRow("1.999") << 1.999 << 1.999;
        QTest::newRow("0.01 lowest") << 0.01 << 0.01;
        QTest::newRow("100 highest") << 100.0 << 100.0;
        QTest::newRow("0 refused") << 0.0 << 0.8;
        QTest::newRow("-0.01 refused") << -0.01 << 0.8;
        QTest::newRow("100.5 refused") << 100.5 << 0.8;
        QTest::newRow("NaN refused") << std::numeric_limits<double>::quiet_NaN() << 0.8;
    }

    void rate()
    {
        QFETCH(double, rate);
        QFETCH(double, expected);
        auto mp = newEngine();
        openNow(*mp, mediaFile("speech.mp3"));
        mp->setRate(0.8);
        mp->Play();
        mp->setRate(rate);
        QCOMPARE(mp->Rate(), expected);
        // Alive at that rate: the position moves at about that speed, once
        // the audio already on its way out at the old rate has played.
        playFor(400);
        const double from = mp->CurrentPosition();
        QElapsedTimer wall;
        wall.start();
        playFor(600);
        const double moved = mp->CurrentPosition() - from;
        const double expectedMove = std::min(expected * wall.elapsed() / 1000.0, SpeechLength - from);
        if (expected <= 2) {
            QVERIFY2(moved > 0, qPrintable(QString::number(moved)));
            QVERIFY2(std::abs(moved - expectedMove) < 0.25 * expectedMove + 0.1,
                     qPrintable(QString("moved %1, expected about %2").arg(moved).arg(expectedMove)));
        }
        QCOMPARE(mp->PlayState(), mp->CurrentPosition() >= SpeechLength ? MediaPlayer::Stopped : MediaPlayer::Playing);
    }

    void rateSetBeforeOpenPersists()
    {
        auto mp = newEngine();
        mp->start();
        mp->setRate(1.5);
        QCOMPARE(mp->Rate(), 1.5);
        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(mp->Rate(), 1.5);
        openNow(*mp, mediaFile("speech.mp3"));
        QCOMPARE(mp->Rate(), 1.5);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.05; }, 3000));
        const double from = mp->CurrentPosition();
        QElapsedTimer wall;
        wall.start();
        playFor(800);
        const double speed = (mp->CurrentPosition() - from) / (wall.elapsed() / 1000.0);
        QVERIFY2(speed > 1.3 && speed < 1.7, qPrintable(QString::number(speed)));
    }

    void secondOpenWhilePlaying()
    {
        auto mp = newEngine();
        QSignalSpy failed(mp.get(), &MpvEngine::openFailed);
        QSignalSpy errors(mp.get(), &MpvEngine::playbackError);
        openNow(*mp, mediaFile("tone.wav"));
        mp->Play();
        playFor(300);
        openNow(*mp, mediaFile("speech.mp3"));
        // The new file is open, at its start, not playing.
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QVERIFY(std::abs(mp->Duration() - SpeechLength) < 0.05);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        playFor(300);
        QCOMPARE(mp->PlayState(), MediaPlayer::Stopped);
        QCOMPARE(mp->CurrentPosition(), 0.0);
        QCOMPARE(failed.count(), 0);
        QCOMPARE(errors.count(), 0);
        mp->Play();
        QVERIFY(QTest::qWaitFor([&] { return mp->CurrentPosition() > 0.2; }, 3000));
    }

    void seekWhilePlayingPlaysFromTheTarget()
    {
        auto mp = newEngine();
        openNow(*mp, mediaFile("speech.mp3"));
        mp->Play();
        playFor(200);
        QSignalSpy restarted(mp.get(), &MpvEngine::playbackRestarted);
        mp->setCurrentPosition(33.3);
        QVERIFY(restarted.wait(2000));
        playFor(300);
        const double now = mp->CurrentPosition();
        QVERIFY2(now > 33.3 && now < 34.0, qPrintable(QString::number(now)));
    }

    // Every reading is pushed when it changes, with what a read gives then:
    // the position as playback moves on and at once on a write.
    void readingsArePushed()
    {
        auto mp = newEngine();
        QList<double> positions;
        double worstLag = 0;
        connect(mp.get(), &MpvEngine::positionChanged, this, [&](double seconds) {
            positions.append(seconds);
            worstLag = std::max(worstLag, std::abs(mp->CurrentPosition() - seconds));
        });
        QSignalSpy durations(mp.get(), &MpvEngine::durationChanged);
        QSignalSpy states(mp.get(), &MpvEngine::playStateChanged);
        QSignalSpy rates(mp.get(), &MpvEngine::rateChanged);

        openNow(*mp, mediaFile("tone.wav"));
        QCOMPARE(durations.last().at(0).toDouble(), ToneLength);
        QCOMPARE(states.last().at(0).value<PlayState>(), MediaPlayer::Stopped);
        mp->setRate(1.5);
        mp->setRate(1.5);
        mp->setRate(0);   // refused
        QCOMPARE(rates.count(), 1);
        QCOMPARE(rates.at(0).at(0).toDouble(), 1.5);

        mp->Play();
        QCOMPARE(states.last().at(0).value<PlayState>(), MediaPlayer::Playing);
        QTRY_VERIFY_WITH_TIMEOUT(positions.size() >= 5 && positions.last() > 0.5, 3000);
        QVERIFY(std::is_sorted(positions.cbegin(), positions.cend()));
        QVERIFY2(worstLag < 0.05, qPrintable(QString::number(worstLag)));

        mp->Pause();
        QCOMPARE(states.last().at(0).value<PlayState>(), MediaPlayer::Paused);
        QCOMPARE(positions.last(), mp->CurrentPosition());
        mp->setCurrentPosition(3.5);
        QCOMPARE(positions.last(), 3.5);
        // Paused, the position holds: nothing more to push.
        const qsizetype settled = positions.size();
        playFor(300);
        QCOMPARE(positions.size(), settled);

        openNow(*mp, mediaFile("no such file.wav"));
        QCOMPARE(positions.last(), 0.0);
        QCOMPARE(durations.last().at(0).toDouble(), 0.0);
        QCOMPARE(states.last().at(0).value<PlayState>(), MediaPlayer::NoFile);
    }

    void engineGoneAfterDestruction()
    {
        // Destroyed while playing, with events still queued, the engine
        // shuts its libmpv core down: a second client on the core is told.
        for (int i = 0; i < 3; ++i) {
            auto mp = newEngine();
            openNow(*mp, mediaFile("short.wav"));
            mp->Play();
            mp->setCurrentPosition(1);
            QCOMPARE(mp->PlayState(), MediaPlayer::Playing);
            mpv_handle *watcher = mpv_create_client(mp->handle(), "watcher");
            QVERIFY(watcher);
            // The core waits for every client to go before it ends, so the
            // watcher goes on its own thread, at the shutdown or after 5 s.
            std::atomic_bool shutdownSeen = false;
            std::thread watching([&] {
                QDeadlineTimer deadline(5000);
                while (!shutdownSeen && !deadline.hasExpired())
                    shutdownSeen = mpv_wait_event(watcher, 0.1)->event_id == MPV_EVENT_SHUTDOWN;
                mpv_destroy(watcher);
            });
            mp.reset();
            watching.join();
            QVERIFY(shutdownSeen);
        }
    }
};

QTEST_GUILESS_MAIN(TestMpvEngine)
#include "test_mpvengine.moc"
