// SPDX-License-Identifier: GPL-3.0-or-later
// Seek accuracy: where playback lands after a position write, measured on
// the sound itself. For each target the engine (libmpv with the engine's own
// options, the exact seek the engine issues) loads the file paused, seeks,
// and plays into a PCM file; the first 100 ms of that sound are then matched
// against an independent decoding of the whole file (ffmpeg) to find the
// time they really start at. Landed minus target is the error; the position
// the engine reports after the seek is compared too.
//
//   bench_seek_accuracy MEDIA_DIR [SEEKS]
// MEDIA_DIR holds speech.mp3 (tests/media/make_media.sh); a WAV of the same
// speech is made from it. Needs ffmpeg. SEEK_DEBUG=1 prints every seek.
#include "BenchStats.h"
#include "engine/MpvEngine.h"

#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <mpv/client.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr int SampleRate = 44100;
constexpr int Window = SampleRate / 10;     // 100 ms compared
constexpr int Search = SampleRate / 10;     // +-100 ms searched
// The comparison starts 50 ms into the sound: an MP3 decoder restarted at a
// seek needs a frame or two before its output equals a continuous decoding.
constexpr int Skip = SampleRate / 20;

std::vector<int16_t> decode(const QString &file)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", file, "-f", "s16le", "-ac", "1", "-ar",
                                             QString::number(SampleRate), "-"});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0) {
        std::fprintf(stderr, "ffmpeg could not decode %s\n", qPrintable(file));
        std::exit(1);
    }
    const QByteArray raw = ffmpeg.readAllStandardOutput();
    std::vector<int16_t> pcm(size_t(raw.size()) / 2);
    std::memcpy(pcm.data(), raw.constData(), pcm.size() * 2);
    return pcm;
}

bool waitFor(mpv_handle *h, mpv_event_id id)
{
    const auto start = BenchClock::now();
    while (millisecondsSince(start) < 5000) {
        const mpv_event *e = mpv_wait_event(h, 1);
        if (e->event_id == id)
            return true;
        if (e->event_id == MPV_EVENT_END_FILE)
            return false;
    }
    return false;
}

struct Landing
{
    double reportedMs;   // the engine's position after the seek, minus the target
    double soundMs;      // where the sound really starts, minus the target
    double residual;     // mean absolute sample difference at the best match
};

enum class Way { PausedSeek, PlayingSeek, StartOption };

// Seeks to `target` in a fresh engine and plays 300 ms into a PCM file.
// PausedSeek: load paused, seek, play (a bookmark jump, then Play).
// StartOption: load with the start position set (no seek at all), the
// control for the method itself.
bool seekAndRecord(const QByteArray &file, double target, Way way, const QString &pcmPath, double &reported)
{
    mpv_handle *h = mpv_create();
    MpvEngine::configure(h, "pcm");
    mpv_set_option_string(h, "ao-pcm-file", QFile::encodeName(pcmPath).constData());
    mpv_set_option_string(h, "ao-pcm-waveheader", "no");
    mpv_set_option_string(h, "audio-format", "s16");
    mpv_set_option_string(h, "audio-channels", "mono");
    mpv_set_option_string(h, "audio-samplerate", QByteArray::number(SampleRate).constData());
    mpv_set_option_string(h, "pause", "yes");
    const QByteArray to = QByteArray::number(target, 'f', 6);
    if (way == Way::StartOption)
        mpv_set_option_string(h, "start", to.constData());
    if (mpv_initialize(h) < 0)
        return false;
    const char *load[] = {"loadfile", file.constData(), nullptr};
    mpv_command(h, load);
    bool ok = waitFor(h, MPV_EVENT_FILE_LOADED);
    if (ok) {
        const char *seek[] = {"seek", to.constData(), "absolute+exact", nullptr};
        if (way == Way::PausedSeek)
            mpv_command(h, seek);
        ok = waitFor(h, MPV_EVENT_PLAYBACK_RESTART);
        mpv_get_property(h, "time-pos", MPV_FORMAT_DOUBLE, &reported);
        int play = 0;
        mpv_set_property(h, "pause", MPV_FORMAT_FLAG, &play);
        const auto start = BenchClock::now();
        while (millisecondsSince(start) < 300)
            mpv_wait_event(h, 0.05);
    }
    mpv_terminate_destroy(h);
    return ok;
}

Landing measure(const QByteArray &file, const std::vector<int16_t> &ref, double target, Way way,
                const QString &pcmPath)
{
    QFile::remove(pcmPath);
    double reported = NAN;
    if (!seekAndRecord(file, target, way, pcmPath, reported))
        return {NAN, NAN, NAN};
    QFile f(pcmPath);
    f.open(QIODevice::ReadOnly);
    const QByteArray raw = f.readAll();
    if (raw.size() < (Skip + Window) * 2)
        return {NAN, NAN, NAN};
    const auto *out = reinterpret_cast<const int16_t *>(raw.constData());
    const long at = std::lround(target * SampleRate);
    double best = INFINITY;
    long bestShift = 0;
    for (long d = -Search; d <= Search; ++d) {
        if (at + d < 0 || at + d + Skip + Window > long(ref.size()))
            continue;
        double sum = 0;
        for (int i = Skip; i < Skip + Window && sum < best; ++i)
            sum += std::abs(double(out[i]) - ref[size_t(at + d + i)]);
        if (sum < best) {
            best = sum;
            bestShift = d;
        }
    }
    return {(reported - target) * 1000, bestShift * 1000.0 / SampleRate, best / Window};
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s MEDIA_DIR [SEEKS]\n", argv[0]);
        return 64;
    }
    std::setlocale(LC_NUMERIC, "C");
    const int seeks = argc > 2 ? std::atoi(argv[2]) : 20;
    const QString mp3 = QDir(QString::fromLocal8Bit(argv[1])).filePath(QStringLiteral("speech.mp3"));
    QTemporaryDir tmp;
    const QString wav = tmp.filePath(QStringLiteral("speech.wav"));
    if (QProcess::execute(QStringLiteral("ffmpeg"), {"-v", "error", "-y", "-i", mp3, "-ac", "1", "-ar",
                                                     QString::number(SampleRate), wav}) != 0) {
        std::fprintf(stderr, "ffmpeg could not make %s\n", qPrintable(wav));
        return 1;
    }

    std::printf("seek accuracy, %d exact seeks per file, landed sound against an independent decoding\n", seeks);
    for (const QString &file : {wav, mp3}) {
        const std::vector<int16_t> ref = decode(file);
        const double seconds = double(ref.size()) / SampleRate;
        std::mt19937 rng(7);
        std::uniform_real_distribution<double> pick(0.5, seconds - 1.0);
        std::printf("%s (%.0f s):\n", qPrintable(QFileInfo(file).suffix().toUpper()), seconds);
        for (Way way : {Way::PausedSeek, Way::StartOption}) {
        std::vector<double> sound, reported;
        int unmatched = 0;
        for (int n = 0, tries = 0; n < seeks && tries < seeks * 5; ++tries) {
            const double target = pick(rng);
            // Only where there is sound to match (speech has pauses).
            double energy = 0;
            for (long i = std::lround(target * SampleRate) + Skip, e = i + Window; i < e && i < long(ref.size()); ++i)
                energy += std::abs(ref[size_t(i)]);
            if (energy / Window < 300)
                continue;
            ++n;
            const Landing l = measure(QFile::encodeName(file), ref, target, way, tmp.filePath(QStringLiteral("out.pcm")));
            if (qEnvironmentVariableIsSet("SEEK_DEBUG"))
                std::printf("  target %.3f: sound %+.3f ms, reported %+.3f ms, residual %.1f\n", target, l.soundMs, l.reportedMs, l.residual);
            // A match is trusted only if the sound is nearly identical there.
            if (std::isnan(l.soundMs) || l.residual > 64) {
                ++unmatched;
                continue;
            }
            sound.push_back(std::abs(l.soundMs));
            reported.push_back(std::abs(l.reportedMs));
        }
        std::printf(" %s\n", way == Way::PausedSeek ? "exact seek while paused, then play (the engine's seek)"
                                                    : "control: opened at the target, no seek");
        printRow("|sound landed - target|", sound);
        std::printf("  %-44s max    %8.3f ms\n", "", sound.empty() ? 0.0 : *std::max_element(sound.begin(), sound.end()));
        if (way == Way::PausedSeek)
            printRow("|reported position - target|", reported);
        if (unmatched)
            std::printf("  %d seeks whose sound could not be matched\n", unmatched);
        }
    }
    return 0;
}
