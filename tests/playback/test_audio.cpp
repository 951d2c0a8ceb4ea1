// SPDX-License-Identifier: GPL-3.0-or-later
// Volume, channel and clear speech over the real libmpv: the filter chain as
// libmpv holds it, what comes out (null output, and the PCM file output for
// the samples), and the settings as the settings file keeps them.

#include "MediaFiles.h"
#include "WavFile.h"
#include "engine/AudioControls.h"
#include "engine/MpvEngine.h"
#include "rules/SettingsStore.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <mpv/client.h>

#include <algorithm>
#include <cmath>

Q_DECLARE_METATYPE(AudioSettings)

namespace {

QByteArray filters(const MpvEngine &mp)
{
    char *text = mpv_get_property_string(mp.handle(), "af");
    const QByteArray af(text);
    mpv_free(text);
    return af;
}

double engineVolume(const MpvEngine &mp)
{
    double volume = -1;
    mpv_get_property(mp.handle(), "volume", MPV_FORMAT_DOUBLE, &volume);
    return volume;
}

AudioSettings audio(int volume, AudioChannel channel = AudioChannel::Both, bool clearSpeech = false)
{
    return {volume, channel, clearSpeech};
}

} // namespace

class TestAudio : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase()
    {
        useEngineLocale();
        requireMedia();
    }

    // Each part stays in the chain while another changes, the rate above
    // all; libmpv's own volume goes up to 100 %, the limiter's gain above;
    // and the engine plays with the chain.
    void chainFromParts_data()
    {
        QTest::addColumn<AudioSettings>("settings");
        QTest::addColumn<double>("fromRate");
        QTest::addColumn<double>("toRate");
        QTest::addColumn<QByteArrayList>("present");
        QTest::addColumn<QByteArrayList>("absent");
        QTest::addColumn<double>("volume");
        QTest::newRow("defaults") << audio(100) << 1.0 << 1.0 << QByteArrayList{"pan=mono|c0<c0+c1"}
                                  << QByteArrayList{"scaletempo2", "highpass", "alimiter"} << 100.0;
        QTest::newRow("clear speech, rate up") << audio(100, AudioChannel::Left, true) << 1.0 << 1.5
                                               << QByteArrayList{"c0=c0", "highpass=f=100", "afftdn", "speechnorm", "scaletempo2"}
                                               << QByteArrayList{"alimiter"} << 100.0;
        QTest::newRow("clear speech, rate back to 1") << audio(40, AudioChannel::Both, true) << 1.5 << 1.0
                                                      << QByteArrayList{"highpass", "afftdn", "speechnorm"}
                                                      << QByteArrayList{"scaletempo2", "alimiter"} << 40.0;
        QTest::newRow("150 %, right, rate down") << audio(150, AudioChannel::Right) << 1.0 << 0.5
                                                 << QByteArrayList{"c0<c1+0.0001*c0", "level_in=3.3750", "scaletempo2"}
                                                 << QByteArrayList{"highpass"} << 100.0;
        QTest::newRow("out of range, rate back to 1") << audio(500) << 2.0 << 1.0 << QByteArrayList{"level_in=8.0000"}
                                                      << QByteArrayList{"scaletempo2"} << 100.0;
    }
    void chainFromParts()
    {
        QFETCH(AudioSettings, settings);
        QFETCH(double, fromRate);
        QFETCH(double, toRate);
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, absent);
        QFETCH(double, volume);
        MpvEngine mp(QByteArrayLiteral("null"));
        QSignalSpy errors(&mp, &MpvEngine::playbackError);
        openNow(mp, mediaFile("speech.mp3"));
        mp.setRate(fromRate);
        mp.setAudio(settings);
        mp.setRate(toRate);
        QCOMPARE(mp.Rate(), toRate);
        const QByteArray af = filters(mp);
        for (const QByteArray &part : present)
            QVERIFY2(af.contains(part), af + " lacks " + part);
        for (const QByteArray &part : absent)
            QVERIFY2(!af.contains(part), af + " holds " + part);
        QCOMPARE(engineVolume(mp), volume);
        mp.Play();
        QTest::qWait(800);
        QVERIFY2(mp.CurrentPosition() > 0.3 * toRate, qPrintable(QString::number(mp.CurrentPosition())));
        QCOMPARE(mp.PlayState(), MediaPlayer::Playing);
        QCOMPARE(errors.count(), 0);
    }

    void volumeStaysInRange()
    {
        AudioControls controls(nullptr);
        controls.setVolume(198);
        controls.volumeUp();
        QCOMPARE(controls.volume(), 200);
        controls.setVolume(3);
        controls.volumeDown();
        QCOMPARE(controls.volume(), 0);
        controls.setVolume(250);
        QCOMPARE(controls.volume(), 200);
    }

    // The samples that come out: the chosen channel, and no peak clipped.
    void whatIsHeard_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<AudioSettings>("settings");
        QTest::addColumn<double>("minRms");
        QTest::addColumn<double>("maxRms");
        // short.wav is a tone at half scale: RMS 0.354.
        QTest::newRow("left of left-only, Left") << "left-only.wav" << audio(100, AudioChannel::Left) << 0.33 << 0.37;
        QTest::newRow("left-only, Right") << "left-only.wav" << audio(100, AudioChannel::Right) << 0.0 << 0.001;
        QTest::newRow("left-only, Both") << "left-only.wav" << audio(100) << 0.16 << 0.19;
        QTest::newRow("mono, Right") << "short.wav" << audio(100, AudioChannel::Right) << 0.33 << 0.37;
        QTest::newRow("mono, 200 %") << "short.wav" << audio(200) << 0.5 << 0.9;
        QTest::newRow("mono, 200 %, clear speech") << "short.wav" << audio(200, AudioChannel::Both, true) << 0.3 << 0.9;
    }
    void whatIsHeard()
    {
        QFETCH(QString, file);
        QFETCH(AudioSettings, settings);
        QFETCH(double, minRms);
        QFETCH(double, maxRms);
        QTemporaryDir dir;
        const QString previous = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        {
            MpvEngine mp(QByteArrayLiteral("pcm"));
            mp.setAudio(settings);
            openNow(mp, mediaFile(file));
            mp.Play();
            QVERIFY(QTest::qWaitFor([&] { return mp.PlayState() == MediaPlayer::Stopped; }, 10000));
        }
        QDir::setCurrent(previous);
        std::vector<float> samples;
        int sampleRate = 0;
        QVERIFY(readWav(dir.filePath("audiodump.wav"), samples, sampleRate));
        QVERIFY(samples.size() > size_t(sampleRate));
        double sum = 0, peak = 0;
        for (float s : samples) {
            sum += double(s) * s;
            peak = std::max(peak, double(std::abs(s)));
        }
        const double rms = std::sqrt(sum / samples.size());
        QVERIFY2(rms >= minRms && rms <= maxRms, qPrintable(QString::number(rms)));
        QVERIFY2(peak < 0.95, qPrintable(QString::number(peak)));
    }

    // What the commands stored comes back at the next start; a value not
    // understood falls back to its default, and only it.
    void storedSettings_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("junk");
        QTest::addColumn<AudioSettings>("expected");
        QTest::newRow("as stored") << "other" << "x" << audio(60, AudioChannel::Left, true);
        QTest::newRow("volume as a word") << "volume" << "loud" << audio(100, AudioChannel::Left, true);
        QTest::newRow("volume above 200") << "volume" << "201" << audio(100, AudioChannel::Left, true);
        QTest::newRow("volume below 0") << "volume" << "-1" << audio(100, AudioChannel::Left, true);
        QTest::newRow("unknown channel") << "channel" << "middle" << audio(60, AudioChannel::Both, true);
        QTest::newRow("clear speech as yes") << "clearSpeech" << "yes" << audio(60, AudioChannel::Left, false);
        QTest::newRow("clear speech as 1") << "clearSpeech" << "1" << audio(60, AudioChannel::Left, false);
    }
    void storedSettings()
    {
        QFETCH(QString, key);
        QFETCH(QString, junk);
        QFETCH(AudioSettings, expected);
        SettingsStore store;
        {
            AudioControls before(nullptr);
            before.restoreFrom(store);
            before.setVolume(60);
            before.setChannel(AudioChannel::Left);
            before.setClearSpeech(true);
        }
        QVERIFY(store.setSection(QStringLiteral("audio"), {{key, junk}}));
        MpvEngine mp(QByteArrayLiteral("null"));
        AudioControls after(&mp);
        after.restoreFrom(store);
        QCOMPARE(after.settings(), expected);
        QCOMPARE(mp.audio(), expected);
        SaveAudioSettings(store, AudioSettings());
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
