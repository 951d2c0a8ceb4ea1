// SPDX-License-Identifier: GPL-3.0-or-later
// What clear speech costs, measured on the engine as the bar has it, with
// it off and on in the same run (taken in turns, so that the machine's load
// falls on both alike):
// - process CPU while playing speech at 1.0x (null output, which plays in
//   real time);
// - a rewind: from the position write until libmpv plays again from the
//   target (its playback restart);
// - how much later the sound comes than the position says: the filters'
//   look-ahead, from the PCM output, as the time the first silent gap of
//   tone.wav (at 5.00 s) appears in the samples.
//
//   bench_audio_cost MEDIA_DIR [MS_PER_TURN] [REWINDS]

#include "BenchStats.h"
#include "WavFile.h"
#include "engine/MpvEngine.h"

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>

namespace {

constexpr int Turns = 4;

double cpuMilliseconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3
        + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

void runEventsFor(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    const auto start = BenchClock::now();
    while (!done() && millisecondsSince(start) < ms)
        runEventsFor(5);
    return done();
}

AudioSettings clearSpeech(bool on)
{
    AudioSettings audio;
    audio.clearSpeech = on;
    return audio;
}

// Seconds after 5.00 at which the first 5 ms without the tone start, in a
// dump that begins at `from` seconds of tone.wav; NaN if none was found.
double gapDelay(const QString &dump, double from)
{
    std::vector<float> samples;
    int rate = 0;
    if (!readWav(dump, samples, rate) || rate <= 0)
        return std::nan("");
    const size_t window = size_t(rate) / 200;
    for (size_t at = 0; at + window <= samples.size(); at += window / 5) {
        double sum = 0;
        for (size_t i = at; i < at + window; ++i)
            sum += double(samples[i]) * samples[i];
        if (std::sqrt(sum / window) < 0.05)
            return from + double(at) / rate - 5.0;
    }
    return std::nan("");
}

double soundDelay(const QString &toneFile, bool on)
{
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    QDir::setCurrent(dir.path());
    {
        MpvEngine mp(QByteArrayLiteral("pcm"));
        mp.setAudio(clearSpeech(on));
        mp.Open(toneFile);
        waitFor([&] { return !mp.Opening(); }, 5000);
        mp.setCurrentPosition(4.5);
        mp.Play();
        waitFor([&] { return mp.PlayState() == MediaPlayer::Stopped; }, 20000);
    }
    QDir::setCurrent(previous);
    return gapDelay(dir.filePath("audiodump.wav"), 4.5);
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR [MS_PER_TURN] [REWINDS]\n", argv[0]);
        return 2;
    }
    std::setlocale(LC_NUMERIC, "C");
    const QDir media(QString::fromLocal8Bit(argv[1]));
    const QString speech = media.absoluteFilePath("speech.mp3");
    const QString tone = media.absoluteFilePath("tone.wav");
    if (!QFile::exists(speech) || !QFile::exists(tone)) {
        std::fprintf(stderr, "missing speech.mp3 or tone.wav in %s\n", argv[1]);
        return 2;
    }
    const int ms = argc > 2 ? std::max(500, std::atoi(argv[2])) : 3000;
    const int rewinds = argc > 3 ? std::max(1, std::atoi(argv[3])) : 20;

    MpvEngine mp(QByteArrayLiteral("null"));
    mp.Open(speech);
    if (!waitFor([&] { return !mp.Opening(); }, 5000) || mp.PlayState() != MediaPlayer::Stopped) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(speech));
        return 1;
    }
    mp.Play();
    runEventsFor(500);

    double cpu[2] = {0, 0};
    for (int turn = 0; turn < Turns; ++turn) {
        for (const bool on : {false, true}) {
            if (mp.CurrentPosition() + ms / 1000.0 + 1 > mp.Duration())
                mp.setCurrentPosition(0);
            mp.setAudio(clearSpeech(on));
            runEventsFor(300);
            const double cpuStart = cpuMilliseconds();
            const auto start = BenchClock::now();
            runEventsFor(ms);
            cpu[on] += 100.0 * (cpuMilliseconds() - cpuStart) / millisecondsSince(start) / Turns;
        }
    }

    std::vector<double> rewind[2];
    bool restarted = false;
    QObject::connect(&mp, &MpvEngine::playbackRestarted, [&] { restarted = true; });
    for (int i = 0; i < rewinds; ++i) {
        for (const bool on : {false, true}) {
            mp.setAudio(clearSpeech(on));
            if (mp.CurrentPosition() < 6)
                mp.setCurrentPosition(10);
            runEventsFor(300);
            restarted = false;
            const auto start = BenchClock::now();
            mp.setCurrentPosition(mp.CurrentPosition() - 5);
            if (waitFor([&] { return restarted; }, 3000))
                rewind[on].push_back(millisecondsSince(start));
        }
    }

    std::printf("Clear speech, off and on in turns (speech.mp3, 1.0x, ao=null)\n");
    std::printf("  CPU, percent of one core (%d x %d ms each): off %.2f%%, on %.2f%%, on - off %+.2f%%\n", Turns, ms,
                cpu[0], cpu[1], cpu[1] - cpu[0]);
    printRow("rewind 5 s, write to playback restart, off", rewind[0]);
    printRow("rewind 5 s, write to playback restart, on", rewind[1]);
    std::printf("  sound behind the position (tone.wav gap at 5.00 s, ao=pcm): off %.1f ms, on %.1f ms\n",
                soundDelay(tone, false) * 1e3, soundDelay(tone, true) * 1e3);
    return 0;
}
