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

    // Each part stays in the chain while another changes, the rate above all.
    void chainFromParts_data()
    {
        QTest::addColumn<AudioSettings>("settings");
        QTest::addColumn<double>("fromRate");
        QTest::addColumn<double>("toRate");
        QTest::addColumn<QByteArrayList>("present");
        QTest::addColumn<QByteArrayList>("absent");
        QTest::newRow("defaults") << audio(100) << 1.0 << 1.0 << QByteArrayList{"pan=mono|c0<c0+c1"}
                                  << QByteArrayList{"scaletempo2", "highpass", "alimiter"};
        QTest::newRow("clear speech, rate up") << audio(100, AudioChannel::Left, true) << 1.0 << 1.5
                                               << QByteArrayList{"c0=c0", "highpass=f=100", "afftdn", "speechnorm", "scaletempo2"}
                                               << QByteArrayList{"alimiter"};
        QTest::newRow("clear speech, rate back to 1") << audio(100, AudioChannel::Both, true) << 1.5 << 1.0
                                                      << QByteArrayList{"highpass", "afftdn", "speechnorm"}
                                                      << QByteArrayList{"scaletempo2"};
        QTest::newRow("150 %, right, rate down") << audio(150, AudioChannel::Right) << 1.0 << 0.5
                                                 << QByteArrayList{"c0<c1+0.0001*c0", "level_in=3.3750", "scaletempo2"}
                                                 << QByteArrayList{"highpass"};
        QTest::newRow("out of range, rate back to 1") << audio(500) << 2.0 << 1.0
                                                      << QByteArrayList{"level_in=8.0000"} << QByteArrayList{"scaletempo2"};
    }
    void chainFromParts()
    {
        QFETCH(AudioSettings, settings);
        QFETCH(double, fromRate);
        QFETCH(double, toRate);
        QFETCH(QByteArrayList, present);
        QFETCH(QByteArrayList, absent);
        MpvEngine mp(QByteArrayLiteral("null"));
        openNow(mp, mediaFile("short.wav"));
        mp.setRate(fromRate);
        mp.setAudio(settings);
        mp.setRate(toRate);
        QCOMPARE(mp.Rate(), toRate);
        const QByteArray af = filters(mp);
        for (const QByteArray &part : present)
            QVERIFY2(af.contains(part), af + " lacks " + part);
        for (const QByteArray &part : absent)
            QVERIFY2(!af.contains(part), af + " holds " + part);
    }

    // libmpv's own volume up to 100 %, the limiter's gain above it.
    void volume_data()
    {
        QTest::addColumn<int>("set");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("volume");
        QTest::addColumn<double>("engine");
        QTest::addColumn<bool>("limited");
        QTest::newRow("half") << 50 << 0 << 50 << 50.0 << false;
        QTest::newRow("one step up from 100") << 100 << 1 << 105 << 100.0 << true;
        QTest::newRow("steps up stop at 200") << 198 << 2 << 200 << 100.0 << true;
        QTest::newRow("steps down stop at 0") << 3 << -1 << 0 << 0.0 << false;
        QTest::newRow("above the range") << 250 << 0 << 200 << 100.0 << true;
        QTest::newRow("below the range") << -10 << 0 << 0 << 0.0 << false;
    }
    void volume()
    {
        QFETCH(int, set);
        QFETCH(int, steps);
        QFETCH(int, volume);
        QFETCH(double, engine);
        QFETCH(bool, limited);
        MpvEngine mp(QByteArrayLiteral("null"));
        openNow(mp, mediaFile("short.wav"));
        AudioControls controls(&mp);
        controls.setVolume(set);
        for (int i = 0; i < std::abs(steps); ++i)
            steps > 0 ? controls.volumeUp() : controls.volumeDown();
        QCOMPARE(controls.volume(), volume);
        QCOMPARE(mp.audio().volumePercent, volume);
        QCOMPARE(engineVolume(mp), engine);
        QCOMPARE(filters(mp).contains("alimiter"), limited);
    }

    void playsWithClearSpeech()
    {
        MpvEngine mp(QByteArrayLiteral("null"));
        QSignalSpy errors(&mp, &MpvEngine::playbackError);
        mp.setAudio(audio(180, AudioChannel::Both, true));
        openNow(mp, mediaFile("speech.mp3"));
        mp.Play();
        QTest::qWait(1200);
        QCOMPARE(mp.PlayState(), MediaPlayer::Playing);
        QVERIFY2(mp.CurrentPosition() > 0.6, qPrintable(QString::number(mp.CurrentPosition())));
        QVERIFY(filters(mp).contains("speechnorm"));
        QCOMPARE(errors.count(), 0);
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

    void settingsRoundTrip()
    {
        SettingsStore store;
        {
            AudioControls first(nullptr);
            first.restoreFrom(store);
            first.setVolume(135);
            first.setChannel(AudioChannel::Right);
            first.setClearSpeech(true);
        }
        MpvEngine mp(QByteArrayLiteral("null"));
        AudioControls second(&mp);
        second.restoreFrom(store);
        QCOMPARE(second.settings(), audio(135, AudioChannel::Right, true));
        QCOMPARE(mp.audio(), second.settings());
    }

    // A value not understood falls back to its default, and only it.
    void junkReadsAsDefault_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("junk");
        QTest::addColumn<AudioSettings>("expected");
        const AudioSettings stored = audio(60, AudioChannel::Left, true);
        QTest::newRow("volume as a word") << "volume" << "loud" << audio(100, AudioChannel::Left, true);
        QTest::newRow("volume above 200") << "volume" << "201" << audio(100, AudioChannel::Left, true);
        QTest::newRow("volume below 0") << "volume" << "-1" << audio(100, AudioChannel::Left, true);
        QTest::newRow("unknown channel") << "channel" << "middle" << audio(60, AudioChannel::Both, true);
        QTest::newRow("clear speech as yes") << "clearSpeech" << "yes" << audio(60, AudioChannel::Left, false);
        QTest::newRow("clear speech as 1") << "clearSpeech" << "1" << audio(60, AudioChannel::Left, false);
        QTest::newRow("all valid") << "other" << "x" << stored;
    }
    void junkReadsAsDefault()
    {
        QFETCH(QString, key);
        QFETCH(QString, junk);
        QFETCH(AudioSettings, expected);
        SettingsStore store;
        QVERIFY(SaveAudioSettings(store, audio(60, AudioChannel::Left, true)));
        QVERIFY(store.setSection(QStringLiteral("audio"), {{key, junk}}));
        QCOMPARE(LoadAudioSettings(store), expected);
    }
};

QTEST_GUILESS_MAIN(TestAudio)
#include "test_audio.moc"
