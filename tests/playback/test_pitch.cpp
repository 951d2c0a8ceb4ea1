// SPDX-License-Identifier: GPL-3.0-or-later
// What the engine makes of a 440 Hz tone at the rates the pitch slider can
// set: still audible, still 440 Hz. The engine plays through libmpv's PCM
// file output (it writes audiodump.wav in the working directory, faster than
// real time) and the test measures the decoded tone.

#include "MediaFiles.h"
#include "WavFile.h"
#include "engine/MpvEngine.h"

#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <memory>
#include <vector>

class TestPitch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    // The engine starts at one rate and is then set to the other (as a
    // pitch-track press does with a file open).
    void toneKeepsItsPitch_data()
    {
        QTest::addColumn<double>("startRate");
        QTest::addColumn<double>("rate");
        for (double rate : {0.015, 0.1, 0.5, 1.0, 1.5, 1.999})
            QTest::addRow("%g", rate) << rate << rate;
        QTest::newRow("1, then 0.1") << 1.0 << 0.1;
        QTest::newRow("1, then 1.5") << 1.0 << 1.5;
        QTest::newRow("0.1, then 1") << 0.1 << 1.0;
        QTest::newRow("0.5, then 0.015") << 0.5 << 0.015;
    }

    void toneKeepsItsPitch()
    {
        QFETCH(double, startRate);
        QFETCH(double, rate);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            MpvEngine mp(QByteArrayLiteral("pcm"));
            mp.setRate(startRate);
            openNow(mp, mediaFile("short.wav"));
            QCOMPARE(mp.PlayState(), MediaPlayer::Stopped);
            mp.setRate(rate);
            QCOMPARE(mp.Rate(), rate);
            // 0.3 s of the tone, whatever the rate.
            mp.setCurrentPosition(1.7);
            mp.Play();
            QVERIFY(QTest::qWaitFor([&] { return mp.PlayState() == MediaPlayer::Stopped; }, 20000));
        }
        QDir::setCurrent(previous);

        std::vector<float> samples;
        int sampleRate = 0;
        QVERIFY(readWav(dir.filePath("audiodump.wav"), samples, sampleRate));
        QVERIFY(sampleRate > 0);
        const double seconds = double(samples.size()) / sampleRate;
        QVERIFY2(seconds > 0.8 * 0.3 / rate, qPrintable(QString::number(seconds)));

        // Away from the ramps at either end: loud, and 440 crossings up a second.
        const size_t from = samples.size() / 5, to = samples.size() - samples.size() / 5;
        double energy = 0;
        int upward = 0;
        for (size_t i = from; i < to; ++i) {
            energy += double(samples[i]) * samples[i];
            if (samples[i - 1] < 0 && samples[i] >= 0)
                ++upward;
        }
        const double rms = std::sqrt(energy / (to - from));
        const double frequency = upward * double(sampleRate) / (to - from);
        QVERIFY2(rms > 0.1, qPrintable(QString("silent: RMS %1").arg(rms)));
        QVERIFY2(std::abs(frequency - 440) < 8, qPrintable(QString("%1 Hz").arg(frequency)));
    }
};

QTEST_GUILESS_MAIN(TestPitch)
#include "test_pitch.moc"
